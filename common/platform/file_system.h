// file_system.h: the port for the programs' file-system calls: whether a path exists, folders, copies, full paths and the read-only attribute.
//
// Paths are Windows paths ("C:\windows\Customize.ini", "C:\Drv_Disk_8207_6514"); the
// portable implementation also takes host paths and reads a backslash as a directory
// separator. Nothing is thrown; a failure is a false (or empty) answer. Where a call names
// the platform's path buffer (MAX_PATH), a path that does not fit it fails the call, never
// a write past a buffer.
#pragma once

#include <optional>
#include <string>

namespace lt::platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // True when the path names an existing file or folder, as a look-up of the path with
    // FindFirstFileA succeeds: a path with a trailing separator, or one that cannot be
    // examined, counts as missing. Wildcards are not expanded by the portable implementation.
    virtual bool exists(const std::string& path) = 0;
    // True when the path names an existing directory (path buffer).
    virtual bool directoryExists(const std::string& path) = 0;
    // Creates one directory (its parent must exist); false when it exists already or
    // cannot be made (path buffer).
    virtual bool createDirectory(const std::string& path) = 0;
    // Copies a file, replacing a file of the same name at `to` (path buffer, both paths).
    virtual bool copyFile(const std::string& from, const std::string& to) = 0;
    // The absolute form of the path as the system resolves it (drive, "." and ".."
    // resolved; letter case and a trailing backslash kept as given); nothing when it
    // cannot be had.
    virtual std::optional<std::string> fullPath(const std::string& path) = 0;
    // Clears the read-only attribute of `path` when it is set, keeping every other
    // attribute (GetFileAttributesA, then SetFileAttributesA). A missing file is left
    // alone. True when the file is writable afterwards or does not exist.
    virtual bool clearReadOnly(const std::string& path) = 0;
};

}  // namespace lt::platform
