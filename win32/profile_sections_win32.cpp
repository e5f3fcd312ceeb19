// profile_sections_win32.cpp: ProfileFilesWin32::appendSection, the one profile-file change that is no profile-API call:
// the section is added as text with CreateFileA and WriteFile, between two flushes of the profile functions' cache.
#include "win32/profile_files_win32.h"

#include <windows.h>

namespace lt::win32 {

bool ProfileFilesWin32::appendSection(const std::string& path, std::string_view section,
                                      std::span<const std::string> lines) {
    if (path.empty() || path.size() >= MAX_PATH) return false;
    // The documented flush of the profile functions: they drop their cached copy of the
    // file, so their next call reads it with the section added here.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string text;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart > 0) {
        LARGE_INTEGER last{};
        last.QuadPart = size.QuadPart - 1;
        char byte = 0;
        DWORD read = 0;
        if (SetFilePointerEx(file, last, nullptr, FILE_BEGIN) && ReadFile(file, &byte, 1, &read, nullptr) &&
            read == 1 && byte != '\n')
            text = "\r\n";
    }
    text += "[";
    text += section;
    text += "]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    LARGE_INTEGER zero{};
    DWORD written = 0;
    const bool ok = SetFilePointerEx(file, zero, nullptr, FILE_END) &&
                    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size();
    CloseHandle(file);
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    return ok;
}

}  // namespace lt::win32
