// computer_name_win32.cpp: GetComputerNameA into a buffer of the name's largest size.
#include "win32/computer_name_win32.h"

#include <windows.h>

namespace lt::win32 {

std::string ComputerNameWin32::name() {
    char buffer[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof buffer;
    if (!GetComputerNameA(buffer, &size)) return {};
    return std::string(buffer, size);
}

}  // namespace lt::win32
