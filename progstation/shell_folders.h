// shell_folders.h: the port for the shell's folder operations on the driver disk: delete a folder with its contents, open one in the file browser.
//
// Paths are Windows paths ("C:\Drv_Disk_8207_6514"); one that does not fit the platform's
// path buffer (MAX_PATH) fails the call. Nothing is thrown.
#pragma once

#include <string>

namespace lt::progstation {

class ShellFolders {
public:
    virtual ~ShellFolders() = default;
    // Removes the folder and everything in it, without confirmation, without error
    // dialogs and not into the recycle bin. True when the shell reports success.
    virtual bool deleteFolder(const std::string& path) = 0;
    // Opens the folder in the system's file browser, shown normally.
    virtual bool openFolder(const std::string& path) = 0;
};

}  // namespace lt::progstation
