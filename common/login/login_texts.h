// login_texts.h: the login's messages, their icons, and where each program takes their texts from.
//
// The texts are the same in both programs: the station holds them in its code, the
// editor loads them from its string table (IDs in resources/login_ids.h).
#pragma once

#include "common/ui/dialog_view.h"
#include "common/ui/strings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace lt::login {

enum class LoginMessage {
    UserNameBlank,     // "UserName Can't be Blank !!!"
    PasswordBlank,     // "PassWord Can't be Blank!!!"
    WrongUserName,     // "InCorrect UserName !!!"
    WrongPassword,     // "InCorrect PassWord !!!"
    WrongOldPassword,  // "Wrong Old PassWord!!!"
    TooShort,          // "PassWord Should Have Minimum of 4 Characters !!!"
    TooLong,           // "PassWord Can Have Maximum of 10 Characters !!!"
    Mismatch,          // "PassWords Doesn't Match !!!"
    Saved,             // "New PassWord Saved !!!"
};

// The text as the station holds it.
std::string_view inlineText(LoginMessage message);
// The editor's string-table ID.
uint32_t editorStringId(LoginMessage message);
// Stop for the two wrong entries, none for the saved password, exclamation otherwise.
ui::Icon messageIcon(LoginMessage message);

class LoginTexts {
public:
    virtual ~LoginTexts() = default;
    virtual std::string text(LoginMessage message) const = 0;
};

// The station's texts, compiled in.
class InlineLoginTexts : public LoginTexts {
public:
    std::string text(LoginMessage message) const override { return std::string(inlineText(message)); }
};

// The editor's texts, from its string table.
class TableLoginTexts : public LoginTexts {
public:
    explicit TableLoginTexts(const ui::Strings& strings) : strings_(strings) {}
    std::string text(LoginMessage message) const override { return strings_.text(editorStringId(message)); }

private:
    const ui::Strings& strings_;
};

}  // namespace lt::login
