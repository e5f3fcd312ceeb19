// file_system_win32.h: FileSystem over FindFirstFileA, GetFileAttributesA, SetFileAttributesA, CreateDirectoryA, CopyFileA and GetFullPathNameA.
#pragma once

#include "common/platform/file_system.h"

namespace lt::win32 {

class FileSystemWin32 final : public platform::FileSystem {
public:
    bool exists(const std::string& path) override;
    bool directoryExists(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    std::optional<std::string> fullPath(const std::string& path) override;
    bool clearReadOnly(const std::string& path) override;
};

}  // namespace lt::win32
