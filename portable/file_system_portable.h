// file_system_portable.h: the portable implementation of FileSystem (common/platform/file_system.h), in standard C++ (std::filesystem).
//
// The read-only attribute is the owner's write permission. Paths as the portable profile
// files take them: a backslash is a directory separator on hosts that use "/".
#pragma once

#include "common/platform/file_system.h"

namespace lt::platform {

class PortableFileSystem final : public FileSystem {
public:
    bool exists(const std::string& path) override;
    bool directoryExists(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    std::optional<std::string> fullPath(const std::string& path) override;
    bool clearReadOnly(const std::string& path) override;
};

}  // namespace lt::platform
