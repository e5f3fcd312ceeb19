// driver_disk_win32.cpp: the folder browser with its callback, and the shell's delete and open, for the driver disk.
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

}  // namespace lt::win32
