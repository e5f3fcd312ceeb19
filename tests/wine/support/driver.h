// driver.h: drives the real programs from an end-to-end test under Wine: start them, find their dialogs, act as the operator, read what they show.
//
// Every action that the program handles is synchronised: a click or a typed character
// is posted after the program has handled everything sent before, and the call returns
// after two WM_NULL round trips, the second of which the program answers only after
// the posted message's handler has run (or while a message box or modal dialog that it
// opened waits). So a read right after an action sees its result. Waits poll with a
// time-out; nothing waits for ever.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lt::wine {

inline constexpr DWORD kWait = 10000;  // default time-out of a wait, in milliseconds
// The time-out for a program's first window: under load, Wine can take several seconds to
// start a process and load its libraries. A wait ends as soon as the window is there.
inline constexpr DWORD kStartWait = 30000;

// ---- Files.

// A host path ("/work/x/SetupEditor.exe") as Wine names it ("Z:\work\x\SetupEditor.exe").
std::string windowsPath(const std::string& hostPath);
// The Windows directory of the prefix (C:\windows) and a file in it.
std::string windowsDirectory();
std::string sharedFile(const std::string& name);
// Deletes the files the programs share (the two settings files, Customize.ini, the
// password file and what a save may leave beside it, the station's ledger), whatever their
// attributes.
void cleanSharedFiles();
// The whole file, or nothing when it cannot be read.
std::optional<std::string> readFile(const std::string& path);
bool writeFile(const std::string& path, const std::string& bytes);
bool fileExists(const std::string& path);
bool isHidden(const std::string& path);
// A value as the profile API reads it; `missing` when the key is not there.
std::string profileString(const std::string& path, const std::string& section, const std::string& key,
                          const std::string& missing = "<missing>");

// ---- Windows of another program.

struct MessageBoxInfo {
    HWND hwnd = nullptr;
    std::string text;
    std::string caption;
    std::vector<int> buttons;  // IDs of the buttons present (1 OK ... 7 No)
};

// One dialog window of the program under test.
class Dialog {
public:
    explicit Dialog(HWND hwnd = nullptr) : hwnd_(hwnd) {}
    HWND hwnd() const { return hwnd_; }
    bool alive() const { return hwnd_ && IsWindow(hwnd_); }
    std::string title() const;

    HWND item(int id) const { return GetDlgItem(hwnd_, id); }
    bool exists(int id) const { return item(id) != nullptr; }
    std::string text(int id) const;
    bool checked(int id) const;
    bool enabled(int id) const;
    bool visible(int id) const;  // the control and the dialog are shown
    // The control that has the keyboard focus in the program's thread: its ID when it is
    // a control of this dialog, 0 otherwise (for example while a message box has it).
    int focusedId() const;
    HWND focusedWindow() const;

    // ---- Acting as the operator (each synchronised as above).
    void setText(int id, const std::string& text);  // WM_SETTEXT; the caret stands at the start
    void caretToEnd(int id);
    void click(int id);                              // BM_CLICK on a button or check box
    void focus(int id);                              // WM_NEXTDLGCTL: as by the Tab key
    void typeChars(const std::string& chars);        // WM_CHAR to whichever control has the focus
    void pressKey(int virtualKey);                   // WM_KEYDOWN and WM_KEYUP to the focused control
    void close();                                    // the close box (WM_SYSCOMMAND SC_CLOSE)
    void post(UINT message, WPARAM wParam, LPARAM lParam, HWND target = nullptr);
    void sync() const;

    // ---- Report-style list views, read through the program's own memory.
    std::vector<std::vector<std::string>> listRows(int id) const;

private:
    HWND hwnd_;
};

// A program started by the test, or one running already that the test attached to.
// Destroying it ends a program that the test started, if it still runs.
class Program {
public:
    // Starts `exe` (a host or Windows path) with no arguments in `workingDirectory`
    // (the test's own when empty); null when it cannot be started.
    static std::unique_ptr<Program> start(const std::string& exe, const std::string& workingDirectory = {});
    // The program of this prefix that shows a visible top-level dialog or message box with
    // this caption (one started by a script, say), waiting for it to appear; null when none
    // appears. Destroying the result leaves the program running.
    static std::unique_ptr<Program> attach(const std::string& caption, DWORD milliseconds = kWait);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    DWORD pid() const { return info_.dwProcessId; }
    HANDLE process() const { return info_.hProcess; }
    bool running() const;
    // Waits for the program to end; its exit code then, nothing on time-out.
    std::optional<DWORD> waitForExit(DWORD milliseconds = kWait);
    // Ends it (only a program this test started).
    void kill();

    // The visible top-level dialog with this caption, waiting for it to appear.
    std::optional<Dialog> waitForDialog(const std::string& caption, DWORD milliseconds = kWait) const;
    // The visible message box (a dialog holding the 0xFFFF text static), waiting for it.
    std::optional<MessageBoxInfo> waitForMessageBox(DWORD milliseconds = kWait) const;
    // The message box open now, if any (no wait).
    std::optional<MessageBoxInfo> messageBox() const;
    // True when no message box appears within `milliseconds`.
    bool noMessageBoxFor(DWORD milliseconds) const;

private:
    Program(const PROCESS_INFORMATION& info, bool started) : info_(info), started_(started) {}
    std::vector<HWND> windows() const;
    PROCESS_INFORMATION info_{};
    bool started_ = true;
};

// A visible top-level dialog of any process with this caption (a program that the
// program under test started, such as EthTester from the station), or null.
HWND anyDialog(const std::string& caption);

// Saves the window as it stands on the screen as a 24-bit BMP file, after `settleMs` for it
// to finish painting. False when the window has no size or the file cannot be written.
bool saveWindowPicture(HWND window, const std::string& path, DWORD settleMs = 150);

// Presses button `buttonId` of the box and waits for the box to close. False when the
// box has no such button or does not close.
bool answer(const MessageBoxInfo& box, int buttonId, DWORD milliseconds = kWait);

// Polls `condition` every few milliseconds until it holds or the time is up.
template <typename Condition>
bool waitUntil(Condition condition, DWORD milliseconds = kWait) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > milliseconds) return condition();
        Sleep(10);
    }
    return true;
}

}  // namespace lt::wine
