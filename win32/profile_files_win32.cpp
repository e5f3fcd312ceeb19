// profile_files_win32.cpp: the private-profile calls, one per operation, with NUL-terminated copies of the names.
#include "win32/profile_files_win32.h"

#include <windows.h>

#include <algorithm>
#include <limits>
#include <vector>

namespace lt::win32 {

namespace {
// The API takes C strings: a name or value ends at its first NUL, as it does here.
std::string text(std::string_view value) { return std::string(value.substr(0, value.find('\0'))); }
}  // namespace

std::string ProfileFilesWin32::readString(const std::string& path, std::string_view section, std::string_view key,
                                          std::string_view defaultValue, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    const DWORD size = DWORD(std::min<std::size_t>(bufferSize, std::numeric_limits<DWORD>::max()));
    std::vector<char> buffer(size, '\0');
    const DWORD n = GetPrivateProfileStringA(text(section).c_str(), text(key).c_str(), text(defaultValue).c_str(),
                                             buffer.data(), size, path.c_str());
    return std::string(buffer.data(), std::min<DWORD>(n, size - 1));
}

uint32_t ProfileFilesWin32::readInt(const std::string& path, std::string_view section, std::string_view key,
                                    int32_t defaultValue) {
    return GetPrivateProfileIntA(text(section).c_str(), text(key).c_str(), defaultValue, path.c_str());
}

bool ProfileFilesWin32::writeString(const std::string& path, std::string_view section, std::string_view key,
                                    std::string_view value) {
    return WritePrivateProfileStringA(text(section).c_str(), text(key).c_str(), text(value).c_str(), path.c_str()) !=
           FALSE;
}

bool ProfileFilesWin32::deleteKey(const std::string& path, std::string_view section, std::string_view key) {
    return WritePrivateProfileStringA(text(section).c_str(), text(key).c_str(), nullptr, path.c_str()) != FALSE;
}

bool ProfileFilesWin32::deleteSection(const std::string& path, std::string_view section) {
    return WritePrivateProfileStringA(text(section).c_str(), nullptr, nullptr, path.c_str()) != FALSE;
}

bool ProfileFilesWin32::writeSection(const std::string& path, std::string_view section,
                                     std::span<const std::string> lines) {
    // One buffer of NUL-terminated lines closed by an empty one.
    std::string list;
    for (const std::string& line : lines) {
        list += line;
        list += '\0';
    }
    list += '\0';
    return WritePrivateProfileSectionA(text(section).c_str(), list.c_str(), path.c_str()) != FALSE;
}

// Another program may hold the file open for a moment without delete sharing (a backup
// agent, a virus scanner, an editor reading it): the rename over it is then refused with a
// sharing violation, or under Wine with access denied, and a copy from a file held without
// read sharing with a sharing violation. A careful replace tries again briefly, as such a
// program lets go within milliseconds, and fails after that.
template <typename Step>
bool ProfileFilesWin32::retried(Step step) const {
    const DWORD start = GetTickCount();
    for (;;) {
        if (step()) return true;
        const DWORD error = GetLastError();
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) return false;
        if (GetTickCount() - start >= retry_.totalMs) return false;
        Sleep(retry_.stepMs);
    }
}

bool ProfileFilesWin32::writeStrings(const std::string& path, std::span<const settings::ProfileWrite> writes) {
    const std::string copy = path + ".new";
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(copy.c_str());  // what an interrupted change may have left
    // The change is made on the copy; only the rename publishes it, so a failure at any
    // step leaves the file as it was, with none of the writes.
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES &&
        !retried([&] { return CopyFileA(path.c_str(), copy.c_str(), FALSE) != FALSE; })) {
        DeleteFileA(copy.c_str());
        return false;
    }
    bool ok = true;
    for (const settings::ProfileWrite& w : writes)
        ok = ok && WritePrivateProfileStringA(text(w.section).c_str(), text(w.key).c_str(), text(w.value).c_str(),
                                              copy.c_str()) != FALSE;
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, copy.c_str());  // the API's cache goes to the file
    if (ok && GetFileAttributesA(copy.c_str()) == INVALID_FILE_ATTRIBUTES) return true;  // nothing to write
    if (ok)
        ok = retried([&] {
            return MoveFileExA(copy.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
        });
    if (!ok) DeleteFileA(copy.c_str());
    return ok;
}

}  // namespace lt::win32
