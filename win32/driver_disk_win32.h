// driver_disk_win32.h: the driver disk's ports over the Windows shell: the folder browser, delete and open.
#pragma once

#include "progstation/folder_browser.h"
#include "progstation/shell_folders.h"

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

}  // namespace lt::win32
