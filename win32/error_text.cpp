// error_text.cpp: FormatMessageA over the system message table.
#include "win32/error_text.h"

#include <windows.h>

namespace lt::win32 {

std::string systemErrorText(uint32_t code) {
    char text[1024] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    return std::string(text, n);
}

}  // namespace lt::win32
