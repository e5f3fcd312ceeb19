// station_ports.h: everything outside ProgStation's logic that the station reaches, one port each, wired by its entry point.
#pragma once

#include "common/adapter/control_device.h"
#include "common/adapter/training_mode.h"
#include "common/platform/error_texts.h"
#include "common/platform/file_system.h"
#include "common/platform/pauses.h"
#include "common/platform/system_paths.h"
#include "common/settings/profile_files.h"
#include "common/ui/strings.h"
#include "progstation/device_registry.h"
#include "progstation/process_launcher.h"
#include "progstation/ledger/address_ledger.h"

namespace lt::progstation {

struct StationPorts {
    settings::ProfileFiles& profiles;   // EpromData.ini, EthernetDiagnostic.ini, Customize.ini, the package INF
    platform::FileSystem& files;        // whether a settings file exists, Customize.ini's read-only attribute
    platform::SystemPaths& system;      // the Windows and current directories, the system check
    platform::Pauses& pauses;           // the fixed pauses of the cycle and the installation check
    platform::ErrorTexts& errors;       // the system's text of a failed request's error code
    const ui::Strings& strings;         // the station's string table
    adapter::ControlDevice& device;     // the adapter driver's control device (or the bench)
    DeviceRegistry& registry;           // the USB device registry, read after programming
    ProcessLauncher& launcher;          // EthTester
    ledger::AddressLedger& ledger;      // the production ledger (AddressLedger.csv), not yet opened
    adapter::TrainingMode training = {};  // the training build: `device` is the simulated bench
};

}  // namespace lt::progstation
