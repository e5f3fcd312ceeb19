// dialog_host.h: runs a dialog template modally and gives its logic the DialogView over the real window.
//
// The host passes itself to DialogBoxParamA and stores its address in the window at
// WM_INITDIALOG; from then on the window's messages become calls on the logic:
// WM_INITDIALOG -> onInit, WM_COMMAND -> onOk / onCancel / onCommand, EN_KILLFOCUS ->
// onFocusLost, WM_TIMER -> onTimer, and every character bound for one of its edit boxes
// -> filterChar before the box sees it; WM_CTLCOLORSTATIC gives the statics shown with
// showNotice their own colours. The characters are caught by subclassing each
// edit box rather than by a message hook: the modal loop belongs to the system, and a
// subclass sees the character whichever way it arrives (posted by the keyboard or sent
// by another program), always before the box itself.
#pragma once

#include "common/ui/dialog_logic.h"

#include <windows.h>

#include <string>

namespace lt::win32 {

// Runs dialog resource `templateId` of the running program with `logic`, owned by
// `owner` (null for a program's main dialog), and returns its end code (IDCANCEL when
// the dialog could not be created). Message boxes without a caption of their own get
// `programName`. Registers the common controls (list views) on first use.
int runDialog(int templateId, ui::DialogLogic& logic, HWND owner, const std::string& programName);

}  // namespace lt::win32
