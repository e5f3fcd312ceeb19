// system_paths_win32.h: SystemPaths over GetWindowsDirectoryA, GetCurrentDirectoryA and GetVersionExA.
#pragma once

#include "common/platform/system_paths.h"

namespace lt::win32 {

class SystemPathsWin32 final : public platform::SystemPaths {
public:
    // Into a buffer of 260 characters; nothing when the call fails or the directory is longer.
    std::optional<std::string> windowsDirectory() override;
    // The whole current directory, however long; nothing when the call fails.
    std::optional<std::string> currentDirectory() override;
    // The NT platform with major version 5 (Windows 2000 or XP).
    bool isRecommendedSystem() override;
};

}  // namespace lt::win32
