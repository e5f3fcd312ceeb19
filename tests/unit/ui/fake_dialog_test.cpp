// fake_dialog_test.cpp: the fake view behaves like the real controls where dialog logic depends on it.
#include "tests/fakes/fake_dialog.h"

#include <gtest/gtest.h>

using namespace lt::test;
using namespace lt::ui;

namespace {

constexpr uint32_t kUpper = 0x8, kNumber = 0x2000;

// Records what it is told and can be told what to do.
struct Probe : DialogLogic {
    std::vector<std::string> events;
    int moveFocusOnChar = 0;
    int refocusOnLoss = 0;
    void onCommand(int id, Notify code) override {
        if (code == Notify::Clicked) events.push_back("click " + std::to_string(id));
    }
    void onFocusLost(int id) override {
        events.push_back("lost " + std::to_string(id));
        if (refocusOnLoss == id) view().focus(id);
    }
    bool filterChar(int id, char ch) override {
        if (ch == 'g') return false;
        if (moveFocusOnChar) view().focus(moveFocusOnChar);
        (void)id;
        return true;
    }
    void onOk() override { events.push_back("ok"); }
    void onCancel() override { events.push_back("cancel"); }
};

struct FakeDialogTest : ::testing::Test {
    FakeDialog view;
    Probe probe;
    void SetUp() override {
        view.add(10, ControlKind::Edit, "", kUpper);
        view.add(11, ControlKind::Edit, "", kNumber);
        view.add(12, ControlKind::Edit);
        view.add(20, ControlKind::AutoCheckBox, "Check");
        view.add(30, ControlKind::PushButton, "Push");
        view.open(probe);
    }
};

}  // namespace

TEST_F(FakeDialogTest, anUpperCaseBoxHoldsCapitalsWhetherTypedOrSet) {
    view.setText(10, "ab1f");
    EXPECT_EQ(view.text(10), "AB1F");
    view.setText(10, "");
    view.focus(10);
    view.type("2b");
    EXPECT_EQ(view.text(10), "2B");
}

TEST_F(FakeDialogTest, aLengthLimitStopsTypingButNotTextThatTheProgramSets) {
    view.limitText(12, 2);
    view.focus(12);
    view.type("abc");
    EXPECT_EQ(view.text(12), "ab");
    EXPECT_EQ(view.session().beeps, 1);
    view.setText(12, "abcdef");
    EXPECT_EQ(view.text(12), "abcdef");
    view.type("\b");
    EXPECT_EQ(view.text(12), "abcde");
}

TEST_F(FakeDialogTest, aNumberBoxRefusesTypedLettersButTakesSetText) {
    view.focus(11);
    view.type("1x2");
    EXPECT_EQ(view.text(11), "12");
    view.setText(11, "ab");
    EXPECT_EQ(view.text(11), "ab");
}

TEST_F(FakeDialogTest, aDisabledControlIgnoresClicksTypingAndFocusMoves) {
    view.enable(20, false);
    view.enable(30, false);
    view.enable(12, false);
    view.click(20);
    view.click(30);
    EXPECT_FALSE(view.checked(20));
    view.focus(10);
    view.moveFocus(12);
    EXPECT_EQ(view.focused(), 10);
    view.focus(12);
    EXPECT_EQ(view.focused(), 10);
    view.type("x");
    EXPECT_EQ(view.text(10), "X");
    EXPECT_EQ(view.text(12), "");
    EXPECT_EQ(probe.events, (std::vector<std::string>{}));
}

TEST_F(FakeDialogTest, aCheckBoxTogglesBeforeItsClickIsReportedAndTakesTheFocus) {
    view.focus(12);
    view.click(20);
    EXPECT_TRUE(view.checked(20));
    EXPECT_EQ(view.focused(), 20);
    EXPECT_EQ(probe.events, (std::vector<std::string>{"lost 12", "click 20"}));
}

TEST_F(FakeDialogTest, aFilteredCharacterStillGoesToTheBoxItWasTypedInAfterTheFocusMoved) {
    probe.moveFocusOnChar = 12;
    view.focus(10);
    view.type("a");
    EXPECT_EQ(view.text(10), "A");
    EXPECT_EQ(view.text(12), "");
    EXPECT_EQ(view.focused(), 12);
    view.type("g");
    EXPECT_EQ(view.text(12), "");
}

TEST_F(FakeDialogTest, aFocusLossHandlerThatTakesTheFocusBackKeepsIt) {
    probe.refocusOnLoss = 11;
    view.focus(11);
    view.moveFocus(12);
    EXPECT_EQ(view.focused(), 11);
    view.click(30);  // the click is lost: the box took the focus back
    EXPECT_EQ(view.focused(), 11);
    // The box reports its loss each time; the button, taking the focus back, does not.
    EXPECT_EQ(probe.events, (std::vector<std::string>{"lost 11", "lost 12", "lost 11"}));
}

TEST_F(FakeDialogTest, enterPressesTheFocusedButtonElseTheDefaultElseOk) {
    view.focus(30);
    view.pressEnter();
    view.focus(12);
    view.pressEnter();
    view.pressEscape();
    view.closeBox();
    EXPECT_EQ(probe.events, (std::vector<std::string>{"click 30", "ok", "cancel", "cancel"}));
    view.add(31, ControlKind::DefPushButton, "Default");
    view.pressEnter();
    EXPECT_EQ(probe.events.back(), "click 31");
}

TEST_F(FakeDialogTest, messageBoxesTakeTheirAnswersFromTheScriptInOrder) {
    view.answerNext(Answer::Retry);
    EXPECT_EQ(view.messageBox("conflict", Icon::Exclamation, Buttons::AbortRetryIgnore), Answer::Retry);
    EXPECT_EQ(view.messageBox("again", Icon::Exclamation, Buttons::AbortRetryIgnore), Answer::Abort);
    ASSERT_EQ(view.messages().size(), 2u);
    EXPECT_EQ(view.messages()[0].text, "conflict");
    EXPECT_EQ(view.messages()[1].answer, Answer::Abort);
}
