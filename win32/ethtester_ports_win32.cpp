// ethtester_ports_win32.cpp: MessageBoxA without owner, GetLocalTime, the log file by its ANSI path.
#include "win32/ethtester_ports_win32.h"

#include <windows.h>

namespace lt::win32 {

void ErrorBoxWin32::show(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), "Error", MB_OK | MB_ICONERROR);
}

ethtester::LocalTime LocalClockWin32::now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond};
}

void LogFilesWin32::remove(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

std::FILE* LogFilesWin32::openForAppend(const std::string& path) { return std::fopen(path.c_str(), "a+"); }

}  // namespace lt::win32
