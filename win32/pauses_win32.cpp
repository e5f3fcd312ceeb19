// pauses_win32.cpp: Sleep.
#include "win32/pauses_win32.h"

#include <windows.h>

namespace lt::win32 {

void PausesWin32::pause(uint32_t milliseconds) { Sleep(milliseconds); }

}  // namespace lt::win32
