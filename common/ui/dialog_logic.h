// dialog_logic.h: the base of every dialog's logic: the window events it receives through its view.
//
// A host (the Win32 dialog host or the tests' fake view) attaches the view, calls onInit
// once when the dialog opens and then the handlers below as the operator acts. The
// default handlers give a plain dialog's reactions: Enter (or a click on ID 1) ends it
// with OK, Escape and the close box (ID 2) with Cancel, every other event is ignored.
#pragma once

#include "common/ui/dialog_view.h"

namespace lt::ui {

// Notification codes of WM_COMMAND, with the system's values.
enum class Notify : uint16_t {
    Clicked = 0,       // BN_CLICKED, and menu or accelerator commands
    SetFocus = 0x100,  // EN_SETFOCUS
    KillFocus = 0x200, // EN_KILLFOCUS (also reported through onFocusLost)
    Change = 0x300,    // EN_CHANGE
    Update = 0x400,    // EN_UPDATE
};

class DialogLogic {
public:
    virtual ~DialogLogic() = default;

    void attach(DialogView& view) { view_ = &view; }
    DialogView& view() { return *view_; }
    bool attached() const { return view_ != nullptr; }

    // The dialog opens: its controls exist and hold the template's texts and states.
    virtual void onInit() {}
    // Enter with no default button, or a click on a control with ID 1.
    virtual void onOk() { view().endDialog(kIdOk); }
    // Escape, the close box, or a click on a control with ID 2.
    virtual void onCancel() { view().endDialog(kIdCancel); }
    // Any other command: a click on button `id`, or an edit box's notification.
    virtual void onCommand(int id, Notify code) {
        (void)id;
        (void)code;
    }
    // Edit box `id` has lost the keyboard focus (EN_KILLFOCUS).
    virtual void onFocusLost(int id) { (void)id; }
    // A character typed into edit box `id`, before the box sees it. Return false to drop
    // it. The handler may move the focus; a kept character still goes to box `id`.
    virtual bool filterChar(int id, char ch) {
        (void)id;
        (void)ch;
        return true;
    }
    // Timer `timerId` of DialogView::startTimer has fired.
    virtual void onTimer(int timerId) { (void)timerId; }

private:
    DialogView* view_ = nullptr;
};

}  // namespace lt::ui
