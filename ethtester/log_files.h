// log_files.h: the port for the diagnostic log's file calls: delete the old log, open it for appending.
#pragma once

#include <cstdio>
#include <string>

namespace lt::ethtester {

// The file calls of the log. Paths are kept as the platform's own file functions take
// them: on Windows in the ANSI code page, as GetCurrentDirectoryA gives them, end to end.
class LogFiles {
public:
    virtual ~LogFiles() = default;
    // Sets the file's attributes to normal and deletes it (SetFileAttributesA, DeleteFileA);
    // a file that is not there is left so.
    virtual void remove(const std::string& path) = 0;
    // Opens the file for reading and appending in text mode; null when it cannot be opened.
    virtual std::FILE* openForAppend(const std::string& path) = 0;
};

}  // namespace lt::ethtester
