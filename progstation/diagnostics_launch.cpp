// diagnostics_launch.cpp: the two places of EthTester and the launch.
#include "progstation/diagnostics_launch.h"

namespace lt::progstation {
namespace {

// The command-line buffer of the launch holds 1025 characters with its terminator.
constexpr std::size_t kMaxPath = 1024;

}  // namespace

std::string diagnosticsInCurrentDirectory(platform::SystemPaths& paths, std::string_view program) {
    const auto current = paths.currentDirectory();
    if (!current) return {};
    std::string path = *current + "\\" + std::string(program);
    return path.size() <= kMaxPath ? path : std::string();
}

std::string diagnosticsInPackageFolder(platform::SystemPaths& paths, std::string_view program) {
    const auto windows = paths.windowsDirectory();
    if (!windows || windows->empty()) return {};
    return windows->substr(0, 1) + ":\\UsbMac\\" + std::string(program);
}

ProgramEnd launchDiagnostics(platform::SystemPaths& paths, ProcessLauncher& launcher,
                             const std::function<void()>& notFound, std::string_view program) {
    for (const std::string& path :
         {diagnosticsInCurrentDirectory(paths, program), diagnosticsInPackageFolder(paths, program)}) {
        if (path.empty()) continue;
        const ProgramEnd end = launcher.runAndWait(path);
        if (end.started) return end;
    }
    notFound();
    return {};
}

}  // namespace lt::progstation
