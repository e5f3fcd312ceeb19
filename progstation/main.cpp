// main.cpp: ProgStation's entry point: wires the Win32 ports to the main dialog and runs it.
//
// Built twice: ProgStation.exe on the adapter driver, and with LT_TRAINING_BUILD defined
// ProgStationTraining.exe on the simulated bench, which shows its training mark and starts
// the training tester. Only the training build links the bench.
#include "common/login/login_dialogs.h"
#include "progstation/ledger/file_ledger.h"
#include "progstation/ledger/server_ledger.h"
#include "progstation/press_ledger.h"
#include "progstation/station_dialog.h"
#include "resources/progstation_ids.h"
#include "win32/adapter_access.h"
#ifdef LT_TRAINING_BUILD
#include "win32/bench_access_win32.h"
#endif
#include "win32/computer_name_win32.h"
#include "win32/dialog_host.h"
#include "win32/driver_disk_win32.h"
#include "win32/error_text.h"
#include "win32/file_system_win32.h"
#include "win32/ledger_ports_win32.h"
#include "win32/password_files_win32.h"
#include "win32/pauses_win32.h"
#include "win32/process_launcher_win32.h"
#include "win32/profile_files_win32.h"
#include "win32/resource_strings.h"
#include "win32/system_paths_win32.h"
#include "win32/usb_registry_win32.h"

#include <windows.h>

#include <memory>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    lt::win32::ProfileFilesWin32 profiles;
    lt::win32::FileSystemWin32 files;
    lt::win32::SystemPathsWin32 system;
    lt::win32::PausesWin32 pauses;
    lt::win32::ErrorTextsWin32 errors;
    lt::win32::ResourceStrings strings;
    lt::win32::UsbRegistryWin32 registry;
    lt::win32::ProcessLauncherWin32 launcher;
    lt::win32::PasswordFilesWin32 passwordFiles;
    lt::win32::ShellFoldersWin32 shellFolders;
    lt::win32::FolderBrowserWin32 folderBrowser;
#ifdef LT_TRAINING_BUILD
    lt::win32::AdapterAccess access = lt::win32::openBenchAccess();
#else
    lt::win32::AdapterAccess access = lt::win32::openDriverAccess();
#endif

    // The production ledger, its lines signed with the station's name ([LEDGER] StationName,
    // else the computer's name): on the ledger server of [LEDGER] Connection when that is set
    // (the stations of a line share their ranges there), else the station's own
    // AddressLedger.csv beside EpromData.ini. A server that cannot be reached is reported at
    // each press; the station never falls back to the file.
    lt::win32::LedgerFilesWin32 ledgerFiles;
    lt::win32::LedgerClockWin32 ledgerClock;
    lt::win32::ComputerNameWin32 computer;
    lt::settings::SettingsStore settings(
        profiles, files, lt::settings::settingsPaths(system).value_or(lt::settings::settingsPathsIn("")));
    const std::string station = lt::progstation::stationName(settings, computer);
    const std::string connection = lt::progstation::ledgerConnection(settings);
    std::unique_ptr<lt::ledger::AddressLedger> ledger;
    if (connection.empty())
        ledger = std::make_unique<lt::ledger::FileLedger>(ledgerFiles, ledgerClock,
                                                          lt::progstation::stationLedgerPath(system), station);
    else
        ledger = std::make_unique<lt::ledger::ServerLedger>(ledgerClock, connection, station);

    lt::login::LoginState loginState;  // one per run of the program
    lt::login::PasswordStore passwordStore(passwordFiles, system);
    lt::login::InlineLoginTexts loginTexts;

    lt::progstation::StationDialog dialog(
        lt::progstation::StationPorts{profiles, files, system, pauses, errors, strings, *access.device,
                                      registry, launcher, *ledger, access.training},
        lt::login::LoginContext{loginState, passwordStore, loginTexts, lt::login::kStationLogin},
        lt::progstation::DriverDiskPorts{profiles, system, files, shellFolders, folderBrowser, strings});
    lt::win32::runDialog(IDD_PROGSTATION, dialog, nullptr, std::string(lt::progstation::kProgramName));
    return 0;
}
