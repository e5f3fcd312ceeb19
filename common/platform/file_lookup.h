// file_lookup.h: the port that tells whether a path names an existing file or folder (FindFirstFileA).
#pragma once

#include <string>

namespace lt::platform {

class FileLookup {
public:
    virtual ~FileLookup() = default;

    // True when the path names an existing file or folder, as a look-up of the path with
    // FindFirstFileA succeeds. Paths are Windows paths; the portable implementation also
    // takes host paths and reads a backslash as a directory separator. Nothing is thrown.
    virtual bool exists(const std::string& path) = 0;
};

}  // namespace lt::platform
