// ethtester_ports_win32.h: EthTester's error box (no owner), local clock and log files over Win32.
#pragma once

#include "ethtester/error_box.h"
#include "ethtester/local_clock.h"
#include "ethtester/log_files.h"

namespace lt::win32 {

class ErrorBoxWin32 : public ethtester::ErrorBox {
public:
    void show(const std::string& text) override;
};

class LocalClockWin32 : public ethtester::Clock {
public:
    ethtester::LocalTime now() override;
};

// The log file by its ANSI path: SetFileAttributesA and DeleteFileA, and the C library's
// fopen, which takes the path in the ANSI code page too.
class LogFilesWin32 : public ethtester::LogFiles {
public:
    void remove(const std::string& path) override;
    std::FILE* openForAppend(const std::string& path) override;
};

}  // namespace lt::win32
