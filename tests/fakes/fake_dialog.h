// fake_dialog.h: the fake DialogView of the unit tests: control states in a table, operator actions, scripted message boxes and child dialogs.
//
// Built from a dialog template of a program's resource script, it holds the template's
// controls with their kinds and styles and behaves like the real controls where the
// dialogs' logic depends on it:
// - an upper-case edit box (ES_UPPERCASE) holds capitals, whether typed or set;
// - a number box (ES_NUMBER) refuses typed non-digits; a length limit stops typing but
//   not text the program sets;
// - a disabled control ignores clicks and typing and cannot take the focus, neither
//   from the operator nor from the program (SetFocus fails on it);
// - a click moves the focus to the button first (so an edit box losing it reports
//   that), an automatic check box toggles before its click is reported;
// - Enter presses the focused push button, else the default push button, else OK;
//   Escape and the close box give Cancel;
// - a character typed goes through DialogLogic::filterChar and then into the box it
//   was typed in, even when the filter moved the focus.
// Text positions are not modelled beyond a selection: typing replaces the selected
// characters or else appends, Backspace removes the selected characters or else the last
// one. Tab into an edit box selects its whole text, as the dialog manager does; text the
// program sets and a typed character leave nothing selected.
// Message boxes are answered from `session().answers` in order (when none is left, by
// `session().decide` when set, else the box's default button: the first, or No for
// Buttons::YesNoDefaultNo) and recorded; child
// dialogs run the scripts queued with onChild() for their template.
#pragma once

#include "common/ui/dialog_logic.h"
#include "tests/fakes/rc_file.h"

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace lt::test {

struct FakeControl {
    ControlKind kind = ControlKind::Other;
    std::string text;
    bool checked = false;
    bool enabled = true;
    bool visible = true;  // WS_VISIBLE of the template; showNotice shows a hidden static
    bool notice = false;  // shown by showNotice
    uint32_t style = 0;
    uint32_t limit = 0;  // 0: no limit set
    std::size_t selectionFrom = 0, selectionTo = 0;  // selected characters [from, to); none when equal
    std::vector<ui::ListColumn> columns;
    std::vector<std::vector<std::string>> rows;
    bool gridLines = false;

    bool isEdit() const { return kind == ControlKind::Edit; }
    std::size_t selected() const { return selectionTo > selectionFrom ? selectionTo - selectionFrom : 0; }
    bool isButton() const { return kind == ControlKind::PushButton || kind == ControlKind::DefPushButton; }
    bool upperCase() const { return isEdit() && (style & 0x8) != 0; }
    bool numbersOnly() const { return isEdit() && (style & 0x2000) != 0; }
};

struct ShownMessage {
    std::string text;
    std::string caption;
    ui::Icon icon = ui::Icon::None;
    ui::Buttons buttons = ui::Buttons::Ok;
    int dialogId = 0;  // the template of the dialog that showed it
    ui::Answer answer = ui::Answer::Ok;
};

class FakeDialog;
using ChildScript = std::function<void(FakeDialog& child)>;

// What the dialogs of one test share: the message-box script and record, beeps, the
// scripts of child dialogs.
struct FakeSession {
    std::deque<ui::Answer> answers;
    // An operator who reads each box (the answer filled in is the default button), for a
    // program that runs a station on its own.
    std::function<ui::Answer(const ShownMessage& box)> decide;
    std::vector<ShownMessage> messages;
    int beeps = 0;
    std::map<int, std::deque<ChildScript>> childScripts;
    std::vector<int> childrenRun;  // templates of the child dialogs run, in order
};

class FakeDialog : public ui::DialogView {
public:
    // Dialog `dialogId` of `rc` (a test fails when it has no such dialog).
    FakeDialog(const RcFile& rc, int dialogId);
    // A dialog of hand-made controls (add them before open()).
    FakeDialog();
    // A hand-made owner whose child dialogs come from `rc`.
    explicit FakeDialog(const RcFile& rc);

    FakeControl& add(int id, ControlKind kind, std::string text = {}, uint32_t style = 0);
    bool has(int id) const { return controls_.count(id) != 0; }
    // The control's state (a test fails when the dialog has no control `id`).
    FakeControl& control(int id);

    FakeSession& session() { return *session_; }
    std::vector<ShownMessage>& messages() { return session_->messages; }
    // Queues the script that the next run of child dialog `templateId` runs.
    void onChild(int templateId, ChildScript script) { session_->childScripts[templateId].push_back(std::move(script)); }
    void answerNext(ui::Answer answer) { session_->answers.push_back(answer); }

    // ---- Running.
    void open(ui::DialogLogic& logic);
    bool ended() const { return ended_; }
    int endCode() const { return endCode_; }
    int templateId() const { return templateId_; }
    const std::map<int, uint32_t>& timers() const { return timers_; }
    int iconId() const { return icon_; }

    // ---- Operator actions (ignored once the dialog has ended).
    void click(int id);
    void type(std::string_view chars);
    void moveFocus(int id);  // the operator clicks into `id` (nothing gets selected)
    void tabTo(int id);      // the operator tabs into `id`: an edit box's text is selected
    // The operator selects characters [from, to) of edit box `id` (cut to its text).
    void select(int id, std::size_t from, std::size_t to);
    void pressEnter();
    void pressEscape();
    void closeBox();
    void fireTimer(int timerId);

    // ---- DialogView.
    std::string text(int id) override;
    void setText(int id, std::string_view text) override;
    bool checked(int id) override;
    void setChecked(int id, bool on) override;
    bool enabled(int id) override;
    void enable(int id, bool on) override;
    void focus(int id) override;
    int focused() override { return focused_; }
    void limitText(int id, uint32_t chars) override;
    int lineLength(int id) override;
    void showNotice(int id, std::string_view text) override;
    void setListColumns(int id, std::span<const ui::ListColumn> columns) override;
    void clearList(int id) override;
    void addListRow(int id, std::span<const std::string> cells) override;
    void addListGridLines(int id) override;
    ui::Answer messageBox(std::string_view text, ui::Icon icon, ui::Buttons buttons,
                          std::string_view caption = {}) override;
    void beep() override { ++session_->beeps; }
    std::string title() override { return title_; }
    void setTitle(std::string_view title) override { title_ = std::string(title); }
    void setIcon(int iconId) override { icon_ = iconId; }
    void startTimer(int timerId, uint32_t milliseconds) override { timers_[timerId] = milliseconds; }
    void stopTimer(int timerId) override { timers_.erase(timerId); }
    void endDialog(int code) override;
    int runChild(int templateId, ui::DialogLogic& logic) override;

private:
    FakeControl* find(int id);
    void setFocusTo(int id, int depth);
    void command(int id);

    const RcFile* rc_ = nullptr;
    int templateId_ = 0;
    std::shared_ptr<FakeSession> session_;
    std::map<int, FakeControl> controls_;
    ui::DialogLogic* logic_ = nullptr;
    int focused_ = 0;
    unsigned focusCalls_ = 0;
    bool ended_ = false;
    int endCode_ = 0;
    std::string title_;
    int icon_ = 0;
    std::map<int, uint32_t> timers_;
};

}  // namespace lt::test
