// file_lookup_win32.cpp: a path exists when FindFirstFileA finds an entry for it; the search handle is closed at once.
#include "win32/file_lookup_win32.h"

#include <windows.h>

namespace lt::win32 {

bool FileLookupWin32::exists(const std::string& path) {
    WIN32_FIND_DATAA data;
    const HANDLE found = FindFirstFileA(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return true;
}

}  // namespace lt::win32
