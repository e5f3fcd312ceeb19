// login_dialogs.h: the operator login (LoginDialog) and the password change (ChangePasswordDialog) shared by the station and the editor.
//
// The login asks for the fixed user name and the station password and decides whether
// a guarded action may proceed; it has no attempt limit. The password store is open
// exactly while one of the two dialogs shows; every way out of either closes it.
#pragma once

#include "common/login/login_texts.h"
#include "common/login/password_store.h"
#include "common/ui/dialog_logic.h"

#include "resources/login_ids.h"

namespace lt::login {

// What differs between the two programs' copies of the login dialog.
struct LoginResources {
    int loginDialog;   // dialog resource of the login
    int verifyButton;  // "Verify Password"
};
inline constexpr LoginResources kStationLogin{IDD_LOGIN_STATION, IDC_LOGIN_VERIFY_STATION};
inline constexpr LoginResources kEditorLogin{IDD_LOGIN_EDITOR, IDC_LOGIN_VERIFY_EDITOR};

// Everything both dialogs work on.
struct LoginContext {
    LoginState& state;
    PasswordStore& store;
    const LoginTexts& texts;
    LoginResources resources;
};

class LoginDialog : public ui::DialogLogic {
public:
    explicit LoginDialog(LoginContext context) : c_(context) {}

    void onInit() override;
    void onOk() override { verify(); }
    void onCancel() override { leave(ui::kIdCancel); }
    void onCommand(int id, ui::Notify code) override;

private:
    void verify();
    void changePassword();
    void leave(int code);
    void show(LoginMessage message);

    LoginContext c_;
};

class ChangePasswordDialog : public ui::DialogLogic {
public:
    explicit ChangePasswordDialog(LoginContext context) : c_(context) {}

    void onInit() override;
    void onOk() override { save(); }
    void onCancel() override { leave(ui::kIdCancel); }
    void onCommand(int id, ui::Notify code) override;

private:
    void save();
    void leave(int code);
    void show(LoginMessage message);

    LoginContext c_;
};

// The outcome of a login: passed only when the dialog ended with OK and the password
// was verified (ending with OK after a password change does not pass).
struct LoginOutcome {
    int endCode = ui::kIdCancel;
    bool verified = false;
    bool passed() const { return endCode == ui::kIdOk && verified; }
};

// Clears the verified flag and runs the login modally over `owner`.
LoginOutcome runLogin(ui::DialogView& owner, LoginContext context);

}  // namespace lt::login
