// login_dialogs_test.cpp: every check of the login and the password change, in both programs' copies of the dialogs.
#include "common/login/login_dialogs.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_password_files.h"

#include <gtest/gtest.h>

using namespace lt::login;
using namespace lt::test;
using lt::ui::Answer;
using lt::ui::Icon;

namespace {

const std::string kStore = "C:\\windows\\Password.dat";

// One program's copy: its script, its texts, its resource IDs.
struct Variant {
    const char* name;
    bool editor;
};

const RcFile& stationScript() {
    static RcFile rc;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        EXPECT_TRUE(rc.load(std::string(LT_LOGIN_TEST_DIR) + "/station_login.rc")) << rc.error();
    }
    return rc;
}

struct LoginTest : ::testing::TestWithParam<Variant> {
    const RcFile& rc = GetParam().editor ? programResources("setupeditor.rc") : stationScript();
    RcStrings strings{rc};
    TableLoginTexts tableTexts{strings};
    InlineLoginTexts inlineTexts;
    const LoginTexts& texts = GetParam().editor ? static_cast<const LoginTexts&>(tableTexts) : inlineTexts;
    LoginResources resources = GetParam().editor ? kEditorLogin : kStationLogin;
    FakePasswordFiles files;
    FakeSystemPaths system;
    PasswordStore store{files, system};
    LoginState state;
    FakeDialog owner{rc};

    LoginContext context() { return LoginContext{state, store, texts, resources}; }
    int verifyId() const { return resources.verifyButton; }

    // Runs one login in which `script` acts.
    LoginOutcome login(ChildScript script) {
        owner.onChild(resources.loginDialog, std::move(script));
        return runLogin(owner, context());
    }
    // Logs in with `password` typed into the password box, pressing Enter.
    LoginOutcome loginWith(const std::string& password) {
        return login([password](FakeDialog& d) {
            d.type(password);
            d.pressEnter();
        });
    }
    std::string text(LoginMessage m) const { return std::string(inlineText(m)); }
};

}  // namespace

TEST_P(LoginTest, theDialogHasTheControlsAndCaptionsOfItsProgram) {
    const RcDialog* d = rc.dialog(resources.loginDialog);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->caption, "Enter PassWord");
    EXPECT_EQ(d->fontName, "MS Sans Serif");
    EXPECT_EQ(d->fontSize, 8);
    EXPECT_EQ(d->control(verifyId())->kind, ControlKind::DefPushButton);
    EXPECT_EQ(d->control(verifyId())->text, "Verify Password");
    EXPECT_EQ(d->control(IDC_LOGIN_CHANGE)->text, "Change Password");
    EXPECT_EQ(d->control(IDC_LOGIN_EXIT)->text, "Exit");
    EXPECT_EQ(d->control(IDC_LOGIN_PASSWORD)->style & 0x20u, 0x20u);  // characters hidden
    const RcDialog* c = rc.dialog(IDD_CHANGE_PASSWORD);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->caption, "Change Password");
    EXPECT_EQ(c->control(IDC_CHANGE_SAVE)->kind, ControlKind::DefPushButton);
    EXPECT_EQ(c->control(IDC_CHANGE_SAVE)->text, "Save Password");
    for (int box : {IDC_CHANGE_OLD, IDC_CHANGE_NEW, IDC_CHANGE_CONFIRM})
        EXPECT_EQ(c->control(box)->style & 0x20u, 0x20u) << box;
}

TEST_P(LoginTest, showsTheSameTextsInBothPrograms) {
    for (auto m : {LoginMessage::UserNameBlank, LoginMessage::PasswordBlank, LoginMessage::WrongUserName,
                   LoginMessage::WrongPassword, LoginMessage::WrongOldPassword, LoginMessage::TooShort,
                   LoginMessage::TooLong, LoginMessage::Mismatch, LoginMessage::Saved})
        EXPECT_EQ(texts.text(m), inlineText(m)) << editorStringId(m);
}

TEST_P(LoginTest, opensWithTheUserNameFilledAndCreatesAnEmptyHiddenStoreAcceptingTheDefault) {
    const LoginOutcome outcome = login([&](FakeDialog& d) {
        EXPECT_EQ(d.text(IDC_LOGIN_USER), "opusr");
        EXPECT_EQ(d.focused(), IDC_LOGIN_PASSWORD);
        EXPECT_TRUE(files.exists(kStore));
        EXPECT_TRUE(files.files[kStore].hidden);
        EXPECT_EQ(files.openHandles(), 1);  // open while the dialog shows
        d.type("tpw731");
        d.click(verifyId());
    });
    EXPECT_TRUE(outcome.passed());
    EXPECT_EQ(files.files[kStore].bytes, "");  // empty until the first change
    EXPECT_EQ(files.openHandles(), 0);
    EXPECT_TRUE(owner.messages().empty());
}

TEST_P(LoginTest, verifyChecksInOrderShowingTheFirstFailureAndStayingOpen) {
    struct Case {
        const char* user;
        const char* password;
        LoginMessage message;
        Icon icon;
        const char* userAfter;
        const char* passwordAfter;
    };
    const Case cases[] = {
        {"", "", LoginMessage::UserNameBlank, Icon::Exclamation, "opusr", ""},
        {"", "tpw731", LoginMessage::UserNameBlank, Icon::Exclamation, "opusr", "tpw731"},
        {"opusr", "", LoginMessage::PasswordBlank, Icon::Exclamation, "opusr", ""},
        {"x", "", LoginMessage::PasswordBlank, Icon::Exclamation, "x", ""},
        {"OPUSR", "tpw731", LoginMessage::WrongUserName, Icon::Stop, "opusr", "tpw731"},
        {"opusr ", "tpw731", LoginMessage::WrongUserName, Icon::Stop, "opusr", "tpw731"},
        {"opusr", "TPW731", LoginMessage::WrongPassword, Icon::Stop, "opusr", ""},
        {"opusr", "tpw7311", LoginMessage::WrongPassword, Icon::Stop, "opusr", ""},
    };
    for (const auto& c : cases) {
        owner.messages().clear();
        bool stayedOpen = false;
        const LoginOutcome outcome = login([&](FakeDialog& d) {
            d.setText(IDC_LOGIN_USER, c.user);
            d.setText(IDC_LOGIN_PASSWORD, c.password);
            d.focus(IDC_LOGIN_USER);
            d.click(verifyId());
            stayedOpen = !d.ended();
            EXPECT_EQ(d.text(IDC_LOGIN_USER), c.userAfter) << c.user << "/" << c.password;
            EXPECT_EQ(d.text(IDC_LOGIN_PASSWORD), c.passwordAfter) << c.user << "/" << c.password;
            if (c.message != LoginMessage::WrongPassword) {
                EXPECT_EQ(d.focused(), IDC_LOGIN_PASSWORD) << c.user << "/" << c.password;
            }
            d.click(IDC_LOGIN_EXIT);
        });
        EXPECT_TRUE(stayedOpen) << c.user << "/" << c.password;
        EXPECT_FALSE(outcome.passed());
        ASSERT_EQ(owner.messages().size(), 1u) << c.user << "/" << c.password;
        EXPECT_EQ(owner.messages()[0].text, text(c.message));
        EXPECT_EQ(owner.messages()[0].icon, c.icon);
        EXPECT_EQ(owner.messages()[0].buttons, lt::ui::Buttons::Ok);
    }
}

TEST_P(LoginTest, anyNumberOfWrongPasswordsMayBeTriedBeforeTheRightOne) {
    const LoginOutcome outcome = login([&](FakeDialog& d) {
        for (int i = 0; i < 5; ++i) {
            d.type("wrong" + std::to_string(i));
            d.pressEnter();
            ASSERT_FALSE(d.ended());
            EXPECT_EQ(d.text(IDC_LOGIN_PASSWORD), "");
            EXPECT_FALSE(state.verified);
        }
        d.type("tpw731");
        d.pressEnter();
    });
    EXPECT_TRUE(outcome.passed());
    EXPECT_EQ(owner.messages().size(), 5u);
}

TEST_P(LoginTest, exitEscapeAndTheCloseBoxEndWithCancelAndCloseTheStore) {
    for (int way = 0; way < 3; ++way) {
        const LoginOutcome outcome = login([&](FakeDialog& d) {
            d.type("tpw731");
            if (way == 0) d.click(IDC_LOGIN_EXIT);
            if (way == 1) d.pressEscape();
            if (way == 2) d.closeBox();
            EXPECT_TRUE(d.ended());
        });
        EXPECT_EQ(outcome.endCode, lt::ui::kIdCancel);
        EXPECT_FALSE(outcome.verified);
        EXPECT_EQ(files.openHandles(), 0);
    }
}

TEST_P(LoginTest, theStoredPasswordTakesThePlaceOfTheDefault) {
    files.files[kStore] = FakeFile{"abcd", true, 0};
    EXPECT_FALSE(loginWith("tpw731").passed());
    EXPECT_TRUE(loginWith("abcd").passed());
}

TEST_P(LoginTest, aStoreStartingWithAZeroByteCountsAsEmpty) {
    files.files[kStore] = FakeFile{std::string("\0abc", 4), true, 0};
    EXPECT_TRUE(loginWith("tpw731").passed());
}

TEST_P(LoginTest, aStoreThatCannotBeOpenedKeepsThePasswordLastKnownInThisRun) {
    files.files[kStore] = FakeFile{"abcd", true, 0};
    LoginState otherProgram;
    ASSERT_TRUE(store.open(otherProgram));  // the other program shows its login
    EXPECT_FALSE(loginWith("tpw731").passed());  // nothing known yet: nothing matches
    EXPECT_FALSE(loginWith("abcd").passed());
    store.close(otherProgram);
    EXPECT_TRUE(loginWith("abcd").passed());
    ASSERT_TRUE(store.open(otherProgram));
    EXPECT_TRUE(loginWith("abcd").passed());  // last read in this run
    store.close(otherProgram);
}

TEST_P(LoginTest, aSavedFourCharacterPasswordEndsTheLoginUnpassedAndIsNeededFromThenOn) {
    owner.onChild(IDD_CHANGE_PASSWORD, [&](FakeDialog& c) {
        EXPECT_EQ(files.openHandles(), 1);
        c.setText(IDC_CHANGE_OLD, "tpw731");
        c.setText(IDC_CHANGE_NEW, "abcd");
        c.setText(IDC_CHANGE_CONFIRM, "abcd");
        c.click(IDC_CHANGE_SAVE);
        EXPECT_TRUE(c.ended());
    });
    const LoginOutcome outcome = login([&](FakeDialog& d) { d.click(IDC_LOGIN_CHANGE); });
    EXPECT_EQ(outcome.endCode, lt::ui::kIdOk);
    EXPECT_FALSE(outcome.verified);
    EXPECT_FALSE(outcome.passed());
    ASSERT_EQ(owner.messages().size(), 1u);
    EXPECT_EQ(owner.messages()[0].text, "New PassWord Saved !!!");
    EXPECT_EQ(owner.messages()[0].icon, Icon::None);
    EXPECT_EQ(files.files[kStore].bytes, "abcd");
    EXPECT_TRUE(files.files[kStore].hidden);
    EXPECT_EQ(files.openHandles(), 0);

    EXPECT_FALSE(loginWith("tpw731").passed());
    EXPECT_TRUE(loginWith("abcd").passed());
    // A fresh run of either program reads the same file.
    LoginState nextRun;
    PasswordStore nextStore(files, system);
    ASSERT_TRUE(nextStore.open(nextRun));
    EXPECT_TRUE(nextStore.read(nextRun));
    EXPECT_EQ(nextRun.expectedPassword, "abcd");
}

TEST_P(LoginTest, saveChecksInOrderShowingTheFirstFailureAndMovingTheFocus) {
    struct Case {
        const char* old;
        const char* fresh;
        const char* confirm;
        std::optional<LoginMessage> message;
        int focus;
        const char* oldAfter;
        const char* freshAfter;
        const char* confirmAfter;
    };
    const Case cases[] = {
        {"", "abcd", "abcd", LoginMessage::PasswordBlank, IDC_CHANGE_OLD, "", "abcd", "abcd"},
        {"tpw731", "", "abcd", LoginMessage::PasswordBlank, IDC_CHANGE_NEW, "tpw731", "", "abcd"},
        {"tpw731", "abcd", "", LoginMessage::PasswordBlank, IDC_CHANGE_CONFIRM, "tpw731", "abcd", ""},
        {"", "", "", LoginMessage::PasswordBlank, IDC_CHANGE_OLD, "", "", ""},
        {"TPW731", "abcd", "abcd", LoginMessage::WrongOldPassword, IDC_CHANGE_OLD, "", "abcd", "abcd"},
        {"wrong", "ab", "abc", LoginMessage::WrongOldPassword, IDC_CHANGE_OLD, "", "ab", "abc"},
        {"tpw731", "abcd", "abce", LoginMessage::Mismatch, IDC_CHANGE_NEW, "tpw731", "", ""},
        {"tpw731", "ab", "abcdefghijkl", LoginMessage::Mismatch, IDC_CHANGE_NEW, "tpw731", "", ""},
        {"tpw731", "abc", "abc", LoginMessage::TooShort, IDC_CHANGE_NEW, "tpw731", "", ""},
        {"tpw731", "abcdefghijk", "abcdefghijk", LoginMessage::TooLong, IDC_CHANGE_NEW, "tpw731", "", ""},
        {"tpw731", "abcdefghij", "abcdefghij", std::nullopt, 0, "", "", ""},
        {"tpw731", "abcd", "abcd", std::nullopt, 0, "", "", ""},
    };
    for (const auto& c : cases) {
        FakePasswordFiles fresh;
        PasswordStore s(fresh, system);
        LoginState st;
        st.expectedPassword = "tpw731";
        FakeDialog o(rc);
        bool stayedOpen = false;
        o.onChild(IDD_CHANGE_PASSWORD, [&](FakeDialog& d) {
            d.setText(IDC_CHANGE_OLD, c.old);
            d.setText(IDC_CHANGE_NEW, c.fresh);
            d.setText(IDC_CHANGE_CONFIRM, c.confirm);
            d.pressEnter();
            stayedOpen = !d.ended();
            if (!stayedOpen) return;
            EXPECT_EQ(d.focused(), c.focus) << c.fresh;
            EXPECT_EQ(d.text(IDC_CHANGE_OLD), c.oldAfter) << c.fresh;
            EXPECT_EQ(d.text(IDC_CHANGE_NEW), c.freshAfter) << c.fresh;
            EXPECT_EQ(d.text(IDC_CHANGE_CONFIRM), c.confirmAfter) << c.fresh;
            d.click(IDC_CHANGE_EXIT);
        });
        o.onChild(resources.loginDialog, [](FakeDialog& d) { d.click(IDC_LOGIN_CHANGE); });
        const LoginOutcome outcome = runLogin(o, LoginContext{st, s, texts, resources});
        ASSERT_EQ(o.messages().size(), 1u) << c.fresh;
        if (c.message) {
            EXPECT_TRUE(stayedOpen) << c.fresh;
            EXPECT_EQ(o.messages()[0].text, text(*c.message)) << c.fresh;
            EXPECT_EQ(o.messages()[0].icon, messageIcon(*c.message));
            EXPECT_EQ(outcome.endCode, lt::ui::kIdCancel);
            EXPECT_EQ(fresh.files[kStore].bytes, "") << c.fresh;
        } else {
            EXPECT_EQ(o.messages()[0].text, "New PassWord Saved !!!");
            EXPECT_EQ(outcome.endCode, lt::ui::kIdOk);
            EXPECT_EQ(fresh.files[kStore].bytes, c.fresh);
        }
        EXPECT_EQ(fresh.openHandles(), 0);
    }
}

TEST_P(LoginTest, aFailedSaveShowsNothingEndsWithCancelAndKeepsTheOldPasswordInTheFile) {
    files.files[kStore] = FakeFile{"oldpw", true, 0};
    files.failWrites = true;
    owner.onChild(IDD_CHANGE_PASSWORD, [&](FakeDialog& c) {
        c.setText(IDC_CHANGE_OLD, "oldpw");
        c.setText(IDC_CHANGE_NEW, "abcd");
        c.setText(IDC_CHANGE_CONFIRM, "abcd");
        c.click(IDC_CHANGE_SAVE);
        EXPECT_TRUE(c.ended());
        EXPECT_EQ(c.endCode(), lt::ui::kIdCancel);
    });
    const LoginOutcome outcome = login([&](FakeDialog& d) { d.click(IDC_LOGIN_CHANGE); });
    EXPECT_EQ(outcome.endCode, lt::ui::kIdCancel);
    EXPECT_TRUE(owner.messages().empty());
    EXPECT_EQ(files.files[kStore].bytes, "oldpw");
    EXPECT_EQ(files.openHandles(), 0);
    // The new password is in force in this program until it ends; the file keeps the old one.
    files.failWrites = false;
    EXPECT_EQ(state.expectedPassword, "abcd");
    EXPECT_TRUE(loginWith("oldpw").passed());  // the login reads the file again
}

TEST_P(LoginTest, leavingTheChangeDialogEndsTheLoginWithCancel) {
    owner.onChild(IDD_CHANGE_PASSWORD, [](FakeDialog& c) { c.pressEscape(); });
    const LoginOutcome outcome = login([](FakeDialog& d) { d.click(IDC_LOGIN_CHANGE); });
    EXPECT_EQ(outcome.endCode, lt::ui::kIdCancel);
    EXPECT_EQ(files.openHandles(), 0);
    EXPECT_EQ(owner.session().childrenRun, (std::vector<int>{resources.loginDialog, IDD_CHANGE_PASSWORD}));
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, LoginTest,
                         ::testing::Values(Variant{"SetupEditor", true}, Variant{"ProgStation", false}),
                         [](const ::testing::TestParamInfo<Variant>& info) { return std::string(info.param.name); });
