// resource_strings.cpp: LoadStringA from the program's own resources.
#include "win32/resource_strings.h"

#include <windows.h>

namespace lt::win32 {

std::string ResourceStrings::text(uint32_t id) const {
    char buffer[1024] = {};
    const int n = LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

}  // namespace lt::win32
