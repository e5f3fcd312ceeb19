// driver.cpp: starting programs, finding and driving their dialogs and message boxes, reading their list views, cleaning the shared files.
#include "tests/wine/support/driver.h"

#include <commctrl.h>

#include <fstream>
#include <sstream>
#include <cstdio>
#include <vector>

namespace lt::wine {

namespace {

constexpr UINT kSendTimeout = 5000;

LRESULT send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_NORMAL, kSendTimeout, &result)) return 0;
    return static_cast<LRESULT>(result);
}

std::string className(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string windowText(HWND hwnd) {
    if (!hwnd) return {};
    const LRESULT length = send(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
    const LRESULT got = send(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::string(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
}

// The 0xFFFF static that holds a message box's text.
HWND messageText(HWND dialog) {
    HWND found = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (GetWindowLongPtrA(child, GWLP_ID) == 0xFFFF && className(child) == "Static") found = child;
    }
    return found;
}

}  // namespace

// ---- Files.

std::string windowsPath(const std::string& hostPath) {
    if (hostPath.size() > 1 && hostPath[1] == ':') return hostPath;
    std::string out = "Z:" + hostPath;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

std::string windowsDirectory() {
    char buffer[MAX_PATH] = {};
    const UINT n = GetWindowsDirectoryA(buffer, MAX_PATH);
    return std::string(buffer, n);
}

std::string sharedFile(const std::string& name) { return windowsDirectory() + "\\" + name; }

void cleanSharedFiles() {
    for (const char* name : {"EpromData.ini", "EthernetDiagnostic.ini", "Customize.ini", "Password.dat",
                             "Password.dat.new", "AddressLedger.csv"}) {
        const std::string path = sharedFile(name);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool isHidden(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN);
}

std::string profileString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& missing) {
    char buffer[512] = {};
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "\x01", buffer, sizeof buffer, path.c_str());
    const std::string value(buffer, n);
    return value == "\x01" ? missing : value;
}

// ---- Dialog.

std::string Dialog::title() const { return windowText(hwnd_); }

std::string Dialog::text(int id) const { return windowText(item(id)); }

bool Dialog::checked(int id) const { return send(item(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

bool Dialog::enabled(int id) const {
    HWND control = item(id);
    return control && IsWindowEnabled(control);
}

bool Dialog::visible(int id) const {
    HWND control = item(id);
    return control && IsWindowVisible(control);
}

HWND Dialog::focusedWindow() const {
    sync();
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(hwnd_, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

int Dialog::focusedId() const {
    HWND focus = focusedWindow();
    if (!focus || GetParent(focus) != hwnd_) return 0;
    return GetDlgCtrlID(focus);
}

void Dialog::sync() const {
    send(hwnd_, WM_NULL, 0, 0);
    Sleep(1);
    send(hwnd_, WM_NULL, 0, 0);
}

void Dialog::post(UINT message, WPARAM wParam, LPARAM lParam, HWND target) {
    send(hwnd_, WM_NULL, 0, 0);  // everything sent before is handled first
    PostMessageA(target ? target : hwnd_, message, wParam, lParam);
    sync();
}

void Dialog::setText(int id, const std::string& text) {
    send(item(id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    sync();
}

void Dialog::caretToEnd(int id) {
    send(item(id), EM_SETSEL, static_cast<WPARAM>(-1), -1);
    const LRESULT length = send(item(id), WM_GETTEXTLENGTH, 0, 0);
    send(item(id), EM_SETSEL, length, length);
}

void Dialog::click(int id) { post(BM_CLICK, 0, 0, item(id)); }

void Dialog::focus(int id) { post(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item(id)), TRUE); }

void Dialog::typeChars(const std::string& chars) {
    for (const char c : chars) {
        HWND target = focusedWindow();
        if (!target) target = hwnd_;
        post(WM_CHAR, static_cast<unsigned char>(c), 1, target);
    }
}

void Dialog::pressKey(int virtualKey) {
    HWND target = focusedWindow();
    if (!target) target = hwnd_;
    const UINT scan = MapVirtualKeyA(virtualKey, 0);
    post(WM_KEYDOWN, virtualKey, 1 | (scan << 16), target);
    if (IsWindow(target)) post(WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u, target);
}

void Dialog::close() { post(WM_SYSCOMMAND, SC_CLOSE, 0); }

std::vector<std::vector<std::string>> Dialog::listRows(int id) const {
    std::vector<std::vector<std::string>> rows;
    HWND list = item(id);
    if (!list) return rows;
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process) return rows;
    const HWND header = reinterpret_cast<HWND>(send(list, LVM_GETHEADER, 0, 0));
    const int columns = header ? static_cast<int>(send(header, HDM_GETITEMCOUNT, 0, 0)) : 1;
    const int count = static_cast<int>(send(list, LVM_GETITEMCOUNT, 0, 0));
    constexpr int kChars = 512;
    // One LVITEMW and its text buffer in the program's memory.
    auto* remote = static_cast<char*>(VirtualAllocEx(process, nullptr, sizeof(LVITEMW) + kChars * sizeof(wchar_t),
                                                     MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (remote) {
        wchar_t* remoteText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
        for (int row = 0; row < count; ++row) {
            std::vector<std::string> cells;
            for (int column = 0; column < std::max(columns, 1); ++column) {
                LVITEMW entry{};
                entry.iSubItem = column;
                entry.pszText = remoteText;
                entry.cchTextMax = kChars;
                SIZE_T moved = 0;
                WriteProcessMemory(process, remote, &entry, sizeof entry, &moved);
                const LRESULT n = send(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
                wchar_t text[kChars] = {};
                ReadProcessMemory(process, remoteText, text, sizeof text, &moved);
                char narrow[kChars * 3] = {};
                const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(n), narrow, sizeof narrow,
                                                      nullptr, nullptr);
                cells.emplace_back(narrow, bytes > 0 ? static_cast<std::size_t>(bytes) : 0);
            }
            rows.push_back(std::move(cells));
        }
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    }
    CloseHandle(process);
    return rows;
}

// ---- Program.

std::unique_ptr<Program> Program::start(const std::string& exe, const std::string& workingDirectory) {
    const std::string path = windowsPath(exe);
    std::string commandLine = "\"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::string directory = workingDirectory.empty() ? std::string() : windowsPath(workingDirectory);
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &info))
        return nullptr;
    return std::unique_ptr<Program>(new Program(info, true));
}

std::unique_ptr<Program> Program::attach(const std::string& caption, DWORD milliseconds) {
    HWND window = nullptr;
    if (!waitUntil([&] { return (window = anyDialog(caption)) != nullptr; }, milliseconds)) return nullptr;
    PROCESS_INFORMATION info{};
    info.dwThreadId = GetWindowThreadProcessId(window, &info.dwProcessId);
    info.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, info.dwProcessId);
    if (!info.hProcess) return nullptr;
    return std::unique_ptr<Program>(new Program(info, false));
}

Program::~Program() {
    if (started_ && running()) kill();
    if (info_.hThread) CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

bool Program::running() const { return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

std::optional<DWORD> Program::waitForExit(DWORD milliseconds) {
    if (WaitForSingleObject(info_.hProcess, milliseconds) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return code;
}

void Program::kill() {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, kWait);
}

std::vector<HWND> Program::windows() const {
    struct Search {
        DWORD pid;
        std::vector<HWND> found;
    } search{info_.dwProcessId, {}};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == s->pid && IsWindowVisible(hwnd) && className(hwnd) == "#32770") s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::optional<Dialog> Program::waitForDialog(const std::string& caption, DWORD milliseconds) const {
    std::optional<Dialog> result;
    waitUntil(
        [&] {
            for (HWND hwnd : windows()) {
                if (!messageText(hwnd) && windowText(hwnd) == caption) {
                    result = Dialog(hwnd);
                    return true;
                }
            }
            return false;
        },
        milliseconds);
    return result;
}

std::optional<MessageBoxInfo> Program::messageBox() const {
    for (HWND hwnd : windows()) {
        HWND text = messageText(hwnd);
        if (!text) continue;
        MessageBoxInfo box;
        box.hwnd = hwnd;
        box.text = windowText(text);
        box.caption = windowText(hwnd);
        for (int id = IDOK; id <= IDNO; ++id)
            if (GetDlgItem(hwnd, id)) box.buttons.push_back(id);
        return box;
    }
    return std::nullopt;
}

std::optional<MessageBoxInfo> Program::waitForMessageBox(DWORD milliseconds) const {
    std::optional<MessageBoxInfo> box;
    waitUntil([&] { return (box = messageBox()).has_value(); }, milliseconds);
    return box;
}

bool Program::noMessageBoxFor(DWORD milliseconds) const { return !waitForMessageBox(milliseconds).has_value(); }

bool answer(const MessageBoxInfo& box, int buttonId, DWORD milliseconds) {
    HWND button = GetDlgItem(box.hwnd, buttonId);
    if (!button) return false;
    send(box.hwnd, WM_NULL, 0, 0);
    PostMessageA(button, BM_CLICK, 0, 0);
    return waitUntil([&] { return !IsWindow(box.hwnd) || !IsWindowVisible(box.hwnd); }, milliseconds);
}

HWND anyDialog(const std::string& caption) {
    struct Search {
        std::string caption;
        HWND found;
    } s{caption, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            char cls[16] = {}, text[256] = {};
            GetClassNameA(hwnd, cls, sizeof cls);
            GetWindowTextA(hwnd, text, sizeof text);
            if (IsWindowVisible(hwnd) && std::string(cls) == "#32770" && s->caption == text) s->found = hwnd;
            return s->found ? FALSE : TRUE;
        },
        reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool saveWindowPicture(HWND window, const std::string& path, DWORD settleMs) {
    if (!window) return false;
    Sleep(settleMs);
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (DWORD(w) * 3 + 3) & ~3u;
    std::vector<char> pixels(std::size_t(stride) * h);
    GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + DWORD(pixels.size());
    bool saved = false;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        saved = std::fwrite(&file, sizeof file, 1, f) == 1 && std::fwrite(&info, sizeof info, 1, f) == 1 &&
                std::fwrite(pixels.data(), 1, pixels.size(), f) == pixels.size();
        saved = std::fclose(f) == 0 && saved;
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return saved;
}

}  // namespace lt::wine
