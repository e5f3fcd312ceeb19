// diagnostics_launch.cpp: the two places of EthTester and the launch.
#include "progstation/diagnostics_launch.h"

namespace lt::progstation {
namespace {

// The command-line buffer of the launch holds 1025 characters with its terminator.
constexpr std::size_t kMaxPath = 1024;

}  // namespace

std::string diagnosticsInCurrentDirectory(platform::SystemPaths& paths) {
    const auto current = paths.currentDirectory();
    if (!current) return {};
    std::string path = *current + "\\EthTester.exe";
    return path.size() <= kMaxPath ? path : std::string();
}

std::string diagnosticsInPackageFolder(platform::SystemPaths& paths) {
    const auto windows = paths.windowsDirectory();
    if (!windows || windows->empty()) return {};
    return windows->substr(0, 1) + ":\\UsbMac\\EthTester.exe";
}

void launchDiagnostics(platform::SystemPaths& paths, ProcessLauncher& launcher, const std::function<void()>& notFound) {
    for (const std::string& path : {diagnosticsInCurrentDirectory(paths), diagnosticsInPackageFolder(paths)}) {
        if (!path.empty() && launcher.runAndWait(path)) return;
    }
    notFound();
}

}  // namespace lt::progstation
