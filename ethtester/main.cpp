// main.cpp: EthTester's entry point: wires the Win32 ports to the diagnostics dialog and runs it.
//
// Built twice: EthTester.exe on the adapter driver, and with LT_TRAINING_BUILD defined
// EthTesterTraining.exe on the simulated bench, which shows its training mark in both
// windows and in the log. Only the training build links the bench.
#include "common/settings/settings_store.h"
#include "ethtester/diagnostics_dialog.h"
#include "resources/ethtester_ids.h"
#include "win32/adapter_access.h"
#ifdef LT_TRAINING_BUILD
#include "win32/bench_access_win32.h"
#endif
#include "win32/dialog_host.h"
#include "win32/error_text.h"
#include "win32/ethtester_ports_win32.h"
#include "win32/file_system_win32.h"
#include "win32/profile_files_win32.h"
#include "win32/resource_strings.h"
#include "win32/system_paths_win32.h"
#include "win32/worker_threads_win32.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    lt::win32::ProfileFilesWin32 profiles;
    lt::win32::FileSystemWin32 files;
    lt::win32::SystemPathsWin32 system;
    lt::win32::ResourceStrings strings;
    lt::win32::ErrorTextsWin32 errorTexts;
    lt::win32::ErrorBoxWin32 errorBox;
    lt::win32::WorkerThreadsWin32 threads;
    lt::win32::RunIdleEventWin32 runIdle;
    lt::win32::LocalClockWin32 clock;
    lt::win32::LogFilesWin32 logFiles;
#ifdef LT_TRAINING_BUILD
    lt::win32::AdapterAccess access = lt::win32::openBenchAccess();
#else
    lt::win32::AdapterAccess access = lt::win32::openDriverAccess();
#endif

    // Without a Windows directory the settings read as missing: every default applies.
    const lt::settings::SettingsPaths paths =
        lt::settings::settingsPaths(system).value_or(lt::settings::SettingsPaths{});
    lt::settings::SettingsStore settings(profiles, files, paths);

    lt::ethtester::DiagnosticsDialog dialog(lt::ethtester::DiagnosticsPorts{
        strings, settings, system, *access.device, errorTexts, errorBox, threads, runIdle, clock, logFiles, access.training});
    lt::win32::runDialog(IDD_ETHTESTER_MAIN, dialog, nullptr, "EthTester");
    // The station that started it writes this beside the lot in its ledger.
    return dialog.exitCode().code();
}
