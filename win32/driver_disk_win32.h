// driver_disk_win32.h: the driver disk's ports over the Windows shell (folder browser, delete, open) and file system.
#pragma once

#include "progstation/driver_disk_ports.h"

namespace lt::win32 {

// SHBrowseForFolderA with BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE, owned by the
// thread's active window (the station's dialog while its button handler runs).
class FolderBrowserWin32 final : public progstation::FolderBrowser {
public:
    std::optional<std::string> chooseFolder(const std::string& proposed) override;
};

// SHFileOperationA FO_DELETE with FOF_NOCONFIRMATION | FOF_NOERRORUI; ShellExecuteA "open".
class ShellFoldersWin32 final : public progstation::ShellFolders {
public:
    bool deleteFolder(const std::string& path) override;
    bool openFolder(const std::string& path) override;
};

// GetFileAttributesA, CreateDirectoryA, CopyFileA, GetFullPathNameA; the section text
// appended with CreateFileA and WriteFile.
class DiskFilesWin32 final : public progstation::DiskFiles {
public:
    bool directoryExists(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    std::optional<std::string> fullPath(const std::string& path) override;
    bool appendSection(const std::string& path, std::string_view section,
                       std::span<const std::string> lines) override;
};

}  // namespace lt::win32
