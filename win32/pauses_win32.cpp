// pauses_win32.cpp: Sleep, after the drawing done so far has reached the screen.
#include "win32/pauses_win32.h"

#include <windows.h>

#include "win32/drawing_flush.h"

namespace lt::win32 {

// The pauses block the user-interface thread: what its handler drew just before (a status
// line, the busy state) is put on the screen first.
void PausesWin32::pause(uint32_t milliseconds) {
    flushDrawing();
    Sleep(milliseconds);
}

}  // namespace lt::win32
