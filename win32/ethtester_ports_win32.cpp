// ethtester_ports_win32.cpp: MessageBoxA without owner, GetLocalTime.
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

}  // namespace lt::win32
