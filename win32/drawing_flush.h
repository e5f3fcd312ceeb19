// drawing_flush.h: puts what a window's thread has drawn on the screen before the thread blocks.
#pragma once

#include <windows.h>

namespace lt::win32 {

// Wine shows a window's drawing only when its thread next looks at its message queue; a
// handler that then blocks (a fixed pause, the wait for another program) would leave the
// screen showing the state before it (the busy state and status line unseen). A wait for no
// object that returns at once looks at the queue without taking or dispatching a message.
// On Windows, which draws at once, it changes nothing.
inline void flushDrawing() { MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, QS_ALLINPUT); }

}  // namespace lt::win32
