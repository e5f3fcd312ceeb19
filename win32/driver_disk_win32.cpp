// driver_disk_win32.cpp: the folder browser with its callback, the shell's delete and open, and the file-system calls of the driver disk.
#include "win32/driver_disk_win32.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

namespace lt::win32 {
namespace {

bool fitsPathBuffer(const std::string& path) { return !path.empty() && path.size() < MAX_PATH; }

// Selects the proposed folder (the call's data) when the browser has opened, and shows
// the path of each new selection as the browser's status text.
int CALLBACK browseCallback(HWND browser, UINT message, LPARAM lParam, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    } else if (message == BFFM_SELCHANGED) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(reinterpret_cast<LPCITEMIDLIST>(lParam), path))
            SendMessageA(browser, BFFM_SETSTATUSTEXTA, 0, reinterpret_cast<LPARAM>(path));
    }
    return 0;
}

}  // namespace

std::optional<std::string> FolderBrowserWin32::chooseFolder(const std::string& proposed) {
    // The new dialog style needs COM on this thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    char displayName[MAX_PATH] = {};
    BROWSEINFOA info{};
    info.hwndOwner = GetActiveWindow();
    info.pidlRoot = nullptr;  // the whole namespace
    info.pszDisplayName = displayName;
    info.lpszTitle = nullptr;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;  // 0x41
    info.lpfn = browseCallback;
    info.lParam = reinterpret_cast<LPARAM>(proposed.c_str());
    std::optional<std::string> chosen;
    if (LPITEMIDLIST list = SHBrowseForFolderA(&info)) {
        char path[MAX_PATH] = {};
        if (SHGetPathFromIDListA(list, path)) chosen = std::string(path);
        CoTaskMemFree(list);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return chosen;
}

bool ShellFoldersWin32::deleteFolder(const std::string& path) {
    if (!fitsPathBuffer(path)) return false;
    std::string list = path;
    list.push_back('\0');  // with c_str()'s own, the list ends in two zero characters
    SHFILEOPSTRUCTA operation{};
    operation.hwnd = nullptr;
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI;  // 0x410: no questions, no error boxes, no recycle bin
    return SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

bool ShellFoldersWin32::openFolder(const std::string& path) {
    if (!fitsPathBuffer(path)) return false;
    const HINSTANCE result = ShellExecuteA(nullptr, "open", path.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(result) > 32;
}

bool DiskFilesWin32::directoryExists(const std::string& path) {
    if (!fitsPathBuffer(path)) return false;
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DiskFilesWin32::createDirectory(const std::string& path) {
    return fitsPathBuffer(path) && CreateDirectoryA(path.c_str(), nullptr) != FALSE;
}

bool DiskFilesWin32::copyFile(const std::string& from, const std::string& to) {
    return fitsPathBuffer(from) && fitsPathBuffer(to) && CopyFileA(from.c_str(), to.c_str(), FALSE) != FALSE;
}

std::optional<std::string> DiskFilesWin32::fullPath(const std::string& path) {
    if (path.empty()) return std::nullopt;
    const DWORD needed = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return std::nullopt;
    std::string buffer(needed, '\0');
    const DWORD written = GetFullPathNameA(path.c_str(), needed, buffer.data(), nullptr);
    if (written == 0 || written >= needed) return std::nullopt;
    buffer.resize(written);
    return buffer;
}

bool DiskFilesWin32::appendSection(const std::string& path, std::string_view section,
                                   std::span<const std::string> lines) {
    if (!fitsPathBuffer(path)) return false;
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
