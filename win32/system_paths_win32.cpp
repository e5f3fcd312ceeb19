// system_paths_win32.cpp: the Windows directory, the current directory and the system version check.
#include "win32/system_paths_win32.h"

#include <windows.h>

#include <vector>

namespace lt::win32 {

std::optional<std::string> SystemPathsWin32::windowsDirectory() {
    char buffer[260] = {};
    const UINT n = GetWindowsDirectoryA(buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return std::nullopt;
    return std::string(buffer, n);
}

std::optional<std::string> SystemPathsWin32::currentDirectory() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return std::nullopt;
    std::vector<char> buffer(needed + 1, '\0');
    const DWORD n = GetCurrentDirectoryA(DWORD(buffer.size()), buffer.data());
    if (n == 0 || n >= buffer.size()) return std::nullopt;
    return std::string(buffer.data(), n);
}

bool SystemPathsWin32::isRecommendedSystem() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return false;
    return info.dwPlatformId == VER_PLATFORM_WIN32_NT && info.dwMajorVersion == 5;
}

}  // namespace lt::win32
