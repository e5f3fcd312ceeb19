// system_paths.h: the port for the machine's fixed places: the Windows directory and the current directory.
#pragma once

#include <optional>
#include <string>

namespace lt::platform {

class SystemPaths {
public:
    virtual ~SystemPaths() = default;

    // GetWindowsDirectoryA: where the shared settings files live. Empty when it cannot be had.
    virtual std::optional<std::string> windowsDirectory() = 0;
    // GetCurrentDirectoryA.
    virtual std::optional<std::string> currentDirectory() = 0;
    // True on the NT family with major version 5 (the systems the programs recommend).
    virtual bool isRecommendedSystem() = 0;
};

}  // namespace lt::platform
