// file_attributes_win32.cpp: clears FILE_ATTRIBUTE_READONLY and keeps the other attributes.
#include "win32/file_attributes_win32.h"

#include <windows.h>

namespace lt::win32 {

bool FileAttributesWin32::clearReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // a missing file is left alone
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    return SetFileAttributesA(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)) != FALSE;
}

}  // namespace lt::win32
