// dialog_view.h: the port through which a dialog's logic acts on its window and controls.
//
// Controls are named by their fixed resource IDs. The Win32 dialog host implements it
// over a real dialog; the fake view of the unit tests over a table of control states.
// Every call comes from the dialog's user-interface thread, except setTitle, which a
// worker thread may call while the user-interface thread serves window messages.
// Nothing is thrown; a call on an ID the dialog does not have does nothing (reads give
// empty text, false, 0).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace lt::ui {

class DialogLogic;

// The end codes and the answers of message boxes, with the values the system gives them.
enum class Answer : int { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

// The framework's command IDs of the Enter and Escape keys.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

enum class Icon { None, Stop, Exclamation, Information, Question };
// YesNoDefaultNo: Yes and No with No the default button (Enter answers No), for a question
// whose Yes is the exception.
enum class Buttons { Ok, OkCancel, AbortRetryIgnore, YesNo, YesNoCancel, RetryCancel, YesNoDefaultNo };

// A column of a report-style list view.
struct ListColumn {
    std::string title;
    int width = 0;  // in pixels
};

class DialogView {
public:
    virtual ~DialogView() = default;

    // ---- Controls.
    virtual std::string text(int id) = 0;
    virtual void setText(int id, std::string_view text) = 0;
    virtual bool checked(int id) = 0;
    virtual void setChecked(int id, bool on) = 0;
    virtual bool enabled(int id) = 0;
    virtual void enable(int id, bool on) = 0;
    // Gives the control the keyboard focus. A control losing the focus to it reports
    // DialogLogic::onFocusLost first; when that handler moves the focus itself, its
    // choice stands.
    virtual void focus(int id) = 0;
    // The control that has the focus, 0 when none of the dialog's controls has it.
    virtual int focused() = 0;
    // Edit boxes: at most `chars` characters can be typed (text the program sets is not cut).
    virtual void limitText(int id, uint32_t chars) = 0;
    // Edit boxes: the length of the text not counting selected characters (a Tab into a
    // box selects its text, and a typed character replaces the selection), as the box
    // holds it before a keystroke being filtered is processed.
    virtual int lineLength(int id) = 0;
    // Shows static `id`, hidden in its template, with `text`, drawn apart from the dialog's
    // own texts (dark red on pale yellow): a notice such as the training mark.
    virtual void showNotice(int id, std::string_view text) = 0;

    // ---- List views in report style.
    virtual void setListColumns(int id, std::span<const ListColumn> columns) = 0;
    virtual void clearList(int id) = 0;
    virtual void addListRow(int id, std::span<const std::string> cells) = 0;
    // Adds the grid-lines bit to the list's extended style (the other bits stay).
    virtual void addListGridLines(int id) = 0;

    // ---- The window.
    // A modal message box owned by the dialog; an empty caption gives the program's name.
    virtual Answer messageBox(std::string_view text, Icon icon, Buttons buttons, std::string_view caption = {}) = 0;
    // The system's default sound (MessageBeep with -1).
    virtual void beep() = 0;
    virtual std::string title() = 0;
    virtual void setTitle(std::string_view title) = 0;
    // Icon resource `iconId` as both the large and the small window icon.
    virtual void setIcon(int iconId) = 0;
    // A timer that calls DialogLogic::onTimer(timerId) every `milliseconds` until stopped.
    virtual void startTimer(int timerId, uint32_t milliseconds) = 0;
    virtual void stopTimer(int timerId) = 0;
    // Ends the dialog; the call that ran it returns `code`. The handler that asks for it
    // still runs to its end.
    virtual void endDialog(int code) = 0;
    // Runs dialog resource `templateId`, owned by this one, modally with `logic`; returns
    // its end code (Cancel when it could not be created).
    virtual int runChild(int templateId, DialogLogic& logic) = 0;
};

}  // namespace lt::ui
