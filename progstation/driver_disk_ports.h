// driver_disk_ports.h: the ports of the driver disk: the system's folder browser, the shell's folder operations and the file-system calls.
//
// Paths are Windows paths ("C:\Drv_Disk_8207_6514"). Nothing is thrown; a failure is a
// false (or empty) answer. A path that does not fit the platform's path buffer is a
// failure of the operation, never a write past a buffer.
#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace lt::progstation {

// Characters of a path buffer of the platform, the terminating zero included (MAX_PATH).
inline constexpr std::size_t kPathBuffer = 260;

class FolderBrowser {
public:
    virtual ~FolderBrowser() = default;
    // Lets the operator choose a file-system folder anywhere in the system's namespace,
    // the station's window as owner. `proposed` is selected when the browser opens, and
    // the path of whatever is selected shows as the browser's status text. The chosen
    // folder's full path, nothing when the operator cancels.
    virtual std::optional<std::string> chooseFolder(const std::string& proposed) = 0;
};

class ShellFolders {
public:
    virtual ~ShellFolders() = default;
    // Removes the folder and everything in it, without confirmation, without error
    // dialogs and not into the recycle bin. True when the shell reports success.
    virtual bool deleteFolder(const std::string& path) = 0;
    // Opens the folder in the system's file browser, shown normally.
    virtual bool openFolder(const std::string& path) = 0;
};

class DiskFiles {
public:
    virtual ~DiskFiles() = default;
    // True when the path names an existing directory.
    virtual bool directoryExists(const std::string& path) = 0;
    // Creates one directory (its parent must exist); false when it exists already or
    // cannot be made.
    virtual bool createDirectory(const std::string& path) = 0;
    // Copies a file, replacing a file of the same name at `to`.
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;
    // The absolute form of the path as the system resolves it (drive, "." and ".."
    // resolved; letter case and a trailing backslash kept as given); nothing when it
    // cannot be had.
    virtual std::optional<std::string> fullPath(const std::string& path) = 0;
    // Adds "[section]" and the lines, each as it stands, at the end of the file (which
    // must exist), each line ending in CR LF. The INF's registry lines hold no "=", and
    // the profile functions keep only "name=value" lines of a section they write, so a
    // section of such lines is written as text. Any cached copy the profile functions
    // hold of the file is dropped, so their next call reads the file as it now stands.
    virtual bool appendSection(const std::string& path, std::string_view section,
                               std::span<const std::string> lines) = 0;
};

// The file-system calls over the host's files, for native builds and tests: paths as
// the portable profile files take them (a backslash is a directory separator on hosts
// that use "/").
class PortableDiskFiles final : public DiskFiles {
public:
    bool directoryExists(const std::string& path) override;
    bool createDirectory(const std::string& path) override;
    bool copyFile(const std::string& from, const std::string& to) override;
    std::optional<std::string> fullPath(const std::string& path) override;
    bool appendSection(const std::string& path, std::string_view section,
                       std::span<const std::string> lines) override;
};

}  // namespace lt::progstation
