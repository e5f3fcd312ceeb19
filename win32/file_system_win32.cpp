// file_system_win32.cpp: the file-system calls over the ANSI file API; a look-up's search handle is closed at once.
#include "win32/file_system_win32.h"

#include <windows.h>

namespace lt::win32 {
namespace {

bool fitsPathBuffer(const std::string& path) { return !path.empty() && path.size() < MAX_PATH; }

}  // namespace

bool FileSystemWin32::exists(const std::string& path) {
    WIN32_FIND_DATAA data;
    const HANDLE found = FindFirstFileA(path.c_str(), &data);
    if (found == INVALID_HANDLE_VALUE) return false;
    FindClose(found);
    return true;
}

bool FileSystemWin32::directoryExists(const std::string& path) {
    if (!fitsPathBuffer(path)) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileSystemWin32::createDirectory(const std::string& path) {
    return fitsPathBuffer(path) && CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool FileSystemWin32::copyFile(const std::string& from, const std::string& to) {
    return fitsPathBuffer(from) && fitsPathBuffer(to) && CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::optional<std::string> FileSystemWin32::fullPath(const std::string& path) {
    if (path.empty()) return std::nullopt;
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::string buffer(needed, '\0');
    const DWORD written = GetFullPathNameA(path.c_str(), needed, buffer.data(), nullptr);
    if (written == 0 || written >= needed) return std::nullopt;
    buffer.resize(written);
    return buffer;
}

bool FileSystemWin32::clearReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return true;  // a missing file is left alone
    if (!(attributes & FILE_ATTRIBUTE_READONLY)) return true;
    return SetFileAttributesA(path.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY)) != FALSE;
}

}  // namespace lt::win32
