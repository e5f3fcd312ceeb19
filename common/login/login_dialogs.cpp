// login_dialogs.cpp: the checks of Verify Password and Save Password, in their order, with their messages and focus moves.
#include "common/login/login_dialogs.h"

namespace lt::login {

// ---- LoginDialog.

void LoginDialog::onInit() {
    view().setText(IDC_LOGIN_USER, kUserName);
    view().focus(IDC_LOGIN_PASSWORD);
    if (c_.store.open(c_.state) && !c_.store.read(c_.state)) c_.state.expectedPassword = std::string(kDefaultPassword);
    // A store that can be neither opened nor created leaves the expected password as it
    // was: empty at program start (never matched), else the last one known in this run.
}

void LoginDialog::onCommand(int id, ui::Notify code) {
    if (code != ui::Notify::Clicked) return;
    if (id == c_.resources.verifyButton) verify();
    else if (id == IDC_LOGIN_CHANGE) changePassword();
    else if (id == IDC_LOGIN_EXIT) leave(ui::kIdCancel);
}

void LoginDialog::show(LoginMessage message) {
    view().messageBox(c_.texts.text(message), messageIcon(message), ui::Buttons::Ok);
}

void LoginDialog::verify() {
    const std::string user = view().text(IDC_LOGIN_USER);
    const std::string password = view().text(IDC_LOGIN_PASSWORD);
    if (user.empty()) {
        show(LoginMessage::UserNameBlank);
        view().setText(IDC_LOGIN_USER, kUserName);
        view().focus(IDC_LOGIN_PASSWORD);
        return;
    }
    if (password.empty()) {
        show(LoginMessage::PasswordBlank);
        view().focus(IDC_LOGIN_PASSWORD);
        return;
    }
    if (user != kUserName) {
        show(LoginMessage::WrongUserName);
        view().setText(IDC_LOGIN_USER, kUserName);
        view().focus(IDC_LOGIN_PASSWORD);
        return;
    }
    if (password != c_.state.expectedPassword) {
        c_.state.verified = false;
        show(LoginMessage::WrongPassword);
        view().setText(IDC_LOGIN_PASSWORD, "");
        return;
    }
    c_.state.verified = true;
    leave(ui::kIdOk);
}

void LoginDialog::changePassword() {
    c_.store.close(c_.state);
    ChangePasswordDialog change(c_);
    const int code = view().runChild(IDD_CHANGE_PASSWORD, change);
    // A saved password ends the login with OK but unverified: the operator logs in again.
    leave(code == ui::kIdOk ? ui::kIdOk : ui::kIdCancel);
}

void LoginDialog::leave(int code) {
    c_.store.close(c_.state);
    view().endDialog(code);
}

// ---- ChangePasswordDialog.

void ChangePasswordDialog::onInit() { c_.store.open(c_.state); }

void ChangePasswordDialog::onCommand(int id, ui::Notify code) {
    if (code != ui::Notify::Clicked) return;
    if (id == IDC_CHANGE_SAVE) save();
    else if (id == IDC_CHANGE_EXIT) leave(ui::kIdCancel);
}

void ChangePasswordDialog::show(LoginMessage message) {
    view().messageBox(c_.texts.text(message), messageIcon(message), ui::Buttons::Ok);
}

void ChangePasswordDialog::save() {
    for (const int box : {IDC_CHANGE_OLD, IDC_CHANGE_NEW, IDC_CHANGE_CONFIRM}) {
        if (view().text(box).empty()) {
            show(LoginMessage::PasswordBlank);
            view().focus(box);
            return;
        }
    }
    if (view().text(IDC_CHANGE_OLD) != c_.state.expectedPassword) {
        show(LoginMessage::WrongOldPassword);
        view().setText(IDC_CHANGE_OLD, "");
        view().focus(IDC_CHANGE_OLD);
        return;
    }
    const std::string fresh = view().text(IDC_CHANGE_NEW);
    const std::string confirmation = view().text(IDC_CHANGE_CONFIRM);
    const bool mismatch = fresh != confirmation;
    if (mismatch || fresh.size() < kMinPasswordLength || fresh.size() > kMaxPasswordLength) {
        show(mismatch ? LoginMessage::Mismatch
                      : fresh.size() < kMinPasswordLength ? LoginMessage::TooShort : LoginMessage::TooLong);
        view().setText(IDC_CHANGE_NEW, "");
        view().setText(IDC_CHANGE_CONFIRM, "");
        view().focus(IDC_CHANGE_NEW);
        return;
    }
    // In force in this program at once, whether or not the file takes it.
    c_.state.expectedPassword = fresh;
    if (c_.store.replace(c_.state)) {
        show(LoginMessage::Saved);
        leave(ui::kIdOk);
    } else {
        leave(ui::kIdCancel);
    }
}

void ChangePasswordDialog::leave(int code) {
    c_.store.close(c_.state);
    view().endDialog(code);
}

LoginOutcome runLogin(ui::DialogView& owner, LoginContext context) {
    context.state.verified = false;
    LoginDialog dialog(context);
    LoginOutcome outcome;
    outcome.endCode = owner.runChild(context.resources.loginDialog, dialog);
    outcome.verified = context.state.verified;
    return outcome;
}

}  // namespace lt::login
