// diagnostics_launch.h: starting EthTester as a separate process and waiting for it to end.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "common/adapter/training_mode.h"
#include "common/platform/system_paths.h"
#include "progstation/process_launcher.h"

namespace lt::progstation {

inline constexpr std::string_view kDiagnosticsProgram = "EthTester.exe";
// The training build of EthTester, which works on the same bench as the training station.
inline constexpr std::string_view kTrainingDiagnosticsProgram = "EthTesterTraining.exe";

// The tester that a station starts: the training station the training tester, a
// production station the production one.
inline std::string_view diagnosticsProgram(const adapter::TrainingMode& training) {
    return training.active ? kTrainingDiagnosticsProgram : kDiagnosticsProgram;
}

// Where EthTester (file `program`) is looked for, in this order: the station's current
// directory, then the UsbMac folder of the Windows drive. A place that cannot be had is left out.
std::string diagnosticsInCurrentDirectory(platform::SystemPaths& paths,
                                          std::string_view program = kDiagnosticsProgram);
std::string diagnosticsInPackageFolder(platform::SystemPaths& paths, std::string_view program = kDiagnosticsProgram);

// Starts EthTester from the first place that works and waits for it; `notFound` shows the
// operator's message when it starts from neither. EthTester's exit code is its run's
// TestResult (0 passed).
ProgramEnd launchDiagnostics(platform::SystemPaths& paths, ProcessLauncher& launcher, const std::function<void()>& notFound,
                       std::string_view program = kDiagnosticsProgram);

}  // namespace lt::progstation
