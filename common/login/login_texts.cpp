// login_texts.cpp: the login messages' texts, string IDs and icons.
#include "common/login/login_texts.h"

#include "resources/login_ids.h"

namespace lt::login {

std::string_view inlineText(LoginMessage message) {
    switch (message) {
    case LoginMessage::UserNameBlank: return "UserName Can't be Blank !!!";
    case LoginMessage::PasswordBlank: return "PassWord Can't be Blank!!!";
    case LoginMessage::WrongUserName: return "InCorrect UserName !!!";
    case LoginMessage::WrongPassword: return "InCorrect PassWord !!!";
    case LoginMessage::WrongOldPassword: return "Wrong Old PassWord!!!";
    case LoginMessage::TooShort: return "PassWord Should Have Minimum of 4 Characters !!!";
    case LoginMessage::TooLong: return "PassWord Can Have Maximum of 10 Characters !!!";
    case LoginMessage::Mismatch: return "PassWords Doesn't Match !!!";
    case LoginMessage::Saved: return "New PassWord Saved !!!";
    }
    return {};
}

uint32_t editorStringId(LoginMessage message) {
    switch (message) {
    case LoginMessage::UserNameBlank: return IDS_LOGIN_USER_BLANK;
    case LoginMessage::PasswordBlank: return IDS_LOGIN_PASSWORD_BLANK;
    case LoginMessage::WrongUserName: return IDS_LOGIN_WRONG_USER;
    case LoginMessage::WrongPassword: return IDS_LOGIN_WRONG_PASSWORD;
    case LoginMessage::WrongOldPassword: return IDS_LOGIN_WRONG_OLD;
    case LoginMessage::TooShort: return IDS_LOGIN_TOO_SHORT;
    case LoginMessage::TooLong: return IDS_LOGIN_TOO_LONG;
    case LoginMessage::Mismatch: return IDS_LOGIN_MISMATCH;
    case LoginMessage::Saved: return IDS_LOGIN_PASSWORD_SAVED;
    }
    return 0;
}

ui::Icon messageIcon(LoginMessage message) {
    switch (message) {
    case LoginMessage::WrongUserName:
    case LoginMessage::WrongPassword: return ui::Icon::Stop;
    case LoginMessage::Saved: return ui::Icon::None;
    default: return ui::Icon::Exclamation;
    }
}

}  // namespace lt::login
