// main.cpp: SetupEditor's entry point: wires the Win32 ports to the settings editor dialog and runs it.
#include "common/login/login_dialogs.h"
#include "resources/setupeditor_ids.h"
#include "setupeditor/settings_editor_dialog.h"
#include "win32/dialog_host.h"
#include "win32/file_system_win32.h"
#include "win32/password_files_win32.h"
#include "win32/pauses_win32.h"
#include "win32/profile_files_win32.h"
#include "win32/resource_strings.h"
#include "win32/system_paths_win32.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    lt::win32::ProfileFilesWin32 profiles;
    lt::win32::FileSystemWin32 files;
    lt::win32::SystemPathsWin32 system;
    lt::win32::PausesWin32 pauses;
    lt::win32::ResourceStrings strings;
    lt::win32::PasswordFilesWin32 passwordFiles;

    lt::login::LoginState loginState;  // one per run of the program
    lt::login::PasswordStore passwordStore(passwordFiles, system);
    lt::login::TableLoginTexts loginTexts(strings);

    lt::setupeditor::SettingsEditorDialog dialog(
        lt::setupeditor::EditorPorts{profiles, files, system, pauses, strings},
        lt::login::LoginContext{loginState, passwordStore, loginTexts, lt::login::kEditorLogin});
    lt::win32::runDialog(IDD_SETTINGS_EDITOR, dialog, nullptr, "SetupEditor");
    return 0;
}
