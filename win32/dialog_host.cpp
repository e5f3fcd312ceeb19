// dialog_host.cpp: the Win32 dialog host: the message trampoline, the edit-box subclass and DialogView over the window.
#include "win32/dialog_host.h"

#include <commctrl.h>

#include <set>
#include <span>
#include <vector>

namespace lt::win32 {

namespace {

constexpr UINT_PTR kSubclassId = 0x4C54;  // this host's edit-box subclass
constexpr COLORREF kNoticeText = RGB(128, 0, 0);        // dark red
constexpr COLORREF kNoticeBackground = RGB(255, 255, 192);  // pale yellow

class DialogHost final : public ui::DialogView {
public:
    DialogHost(int templateId, ui::DialogLogic& logic, std::string programName)
        : templateId_(templateId), logic_(logic), programName_(std::move(programName)) {}
    ~DialogHost() override {
        if (noticeBrush_) DeleteObject(noticeBrush_);
    }
    DialogHost(const DialogHost&) = delete;
    DialogHost& operator=(const DialogHost&) = delete;

    int run(HWND owner) {
        const INT_PTR result = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(templateId_), owner,
                                               &DialogHost::dialogProc, reinterpret_cast<LPARAM>(this));
        return result <= 0 && !ended_ ? IDCANCEL : static_cast<int>(result);
    }

    // ---- DialogView.
    std::string text(int id) override { return windowText(item(id)); }
    void setText(int id, std::string_view text) override {
        HWND control = item(id);
        if (!control) return;
        SetWindowTextA(control, std::string(text).c_str());
        UpdateWindow(control);  // shown at once, even when the handler then blocks the thread
    }
    bool checked(int id) override { return IsDlgButtonChecked(hwnd_, id) == BST_CHECKED; }
    void setChecked(int id, bool on) override { CheckDlgButton(hwnd_, id, on ? BST_CHECKED : BST_UNCHECKED); }
    bool enabled(int id) override {
        HWND control = item(id);
        return control && IsWindowEnabled(control);
    }
    void enable(int id, bool on) override {
        if (HWND control = item(id)) EnableWindow(control, on ? TRUE : FALSE);
    }
    void focus(int id) override {
        if (HWND control = item(id)) {
            focusSet_ = true;
            SetFocus(control);
        }
    }
    int focused() override {
        HWND f = GetFocus();
        return f && IsChild(hwnd_, f) ? GetDlgCtrlID(f) : 0;
    }
    void limitText(int id, uint32_t chars) override { SendDlgItemMessageA(hwnd_, id, EM_LIMITTEXT, chars, 0); }
    int lineLength(int id) override {
        // The text length less the selection (EM_GETSEL): EM_LINELENGTH does not leave out
        // the selected characters of a single-line box everywhere.
        HWND box = item(id);
        if (!box) return 0;
        DWORD from = 0, to = 0;
        SendMessageA(box, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
        const int length = GetWindowTextLengthA(box);
        const int selected = to > from ? static_cast<int>(to - from) : 0;
        return length > selected ? length - selected : 0;
    }

    void showNotice(int id, std::string_view text) override {
        HWND control = item(id);
        if (!control) return;
        if (!noticeBrush_) noticeBrush_ = CreateSolidBrush(kNoticeBackground);
        notices_.insert(id);
        SetWindowTextA(control, std::string(text).c_str());
        ShowWindow(control, SW_SHOWNA);
        UpdateWindow(control);
    }

    void setListColumns(int id, std::span<const ui::ListColumn> columns) override {
        HWND list = item(id);
        if (!list) return;
        while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
        }
        int index = 0;
        for (const auto& c : columns) {
            std::string title = c.title;
            LVCOLUMNA column{};
            column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            column.pszText = title.data();
            column.cx = c.width;
            column.iSubItem = index;
            SendMessageA(list, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&column));
            ++index;
        }
    }
    void clearList(int id) override { SendDlgItemMessageA(hwnd_, id, LVM_DELETEALLITEMS, 0, 0); }
    void addListRow(int id, std::span<const std::string> cells) override {
        HWND list = item(id);
        if (!list || cells.empty()) return;
        const int row = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
        std::string first = cells[0];
        LVITEMA entry{};
        entry.mask = LVIF_TEXT;
        entry.iItem = row;
        entry.pszText = first.data();
        const int at = static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&entry)));
        for (std::size_t i = 1; i < cells.size(); ++i) {
            std::string cell = cells[i];
            LVITEMA sub{};
            sub.iSubItem = static_cast<int>(i);
            sub.pszText = cell.data();
            SendMessageA(list, LVM_SETITEMTEXTA, at, reinterpret_cast<LPARAM>(&sub));
        }
    }

    void addListGridLines(int id) override {
        HWND list = item(id);
        if (!list) return;
        const auto style = static_cast<DWORD>(SendMessageA(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
        SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style | LVS_EX_GRIDLINES);
    }

    ui::Answer messageBox(std::string_view text, ui::Icon icon, ui::Buttons buttons, std::string_view caption) override {
        UINT flags = 0;
        switch (icon) {
        case ui::Icon::None: break;
        case ui::Icon::Stop: flags |= MB_ICONSTOP; break;
        case ui::Icon::Exclamation: flags |= MB_ICONEXCLAMATION; break;
        case ui::Icon::Information: flags |= MB_ICONINFORMATION; break;
        case ui::Icon::Question: flags |= MB_ICONQUESTION; break;
        }
        switch (buttons) {
        case ui::Buttons::Ok: flags |= MB_OK; break;
        case ui::Buttons::OkCancel: flags |= MB_OKCANCEL; break;
        case ui::Buttons::AbortRetryIgnore: flags |= MB_ABORTRETRYIGNORE; break;
        case ui::Buttons::YesNo: flags |= MB_YESNO; break;
        case ui::Buttons::YesNoCancel: flags |= MB_YESNOCANCEL; break;
        case ui::Buttons::RetryCancel: flags |= MB_RETRYCANCEL; break;
        case ui::Buttons::YesNoDefaultNo: flags |= MB_YESNO | MB_DEFBUTTON2; break;
        }
        const std::string title = caption.empty() ? programName_ : std::string(caption);
        return static_cast<ui::Answer>(MessageBoxA(hwnd_, std::string(text).c_str(), title.c_str(), flags));
    }
    void beep() override { MessageBeep(0xFFFFFFFF); }
    std::string title() override { return windowText(hwnd_); }
    // Called by EthTester's loopback worker for every frame: the text goes through a buffer
    // on the stack, so a title update allocates nothing.
    void setTitle(std::string_view title) override {
        char text[512];
        const std::size_t n = title.size() < sizeof text ? title.size() : sizeof text - 1;
        title.copy(text, n);
        text[n] = '\0';
        SetWindowTextA(hwnd_, text);
    }
    void setIcon(int iconId) override {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        auto load = [&](int metricX, int metricY) {
            return LoadImageA(instance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, GetSystemMetrics(metricX),
                              GetSystemMetrics(metricY), LR_SHARED);
        };
        SendMessageA(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(load(SM_CXICON, SM_CYICON)));
        SendMessageA(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(load(SM_CXSMICON, SM_CYSMICON)));
    }
    void startTimer(int timerId, uint32_t milliseconds) override { SetTimer(hwnd_, timerId, milliseconds, nullptr); }
    void stopTimer(int timerId) override { KillTimer(hwnd_, timerId); }
    void endDialog(int code) override {
        if (ended_) return;
        ended_ = true;
        EndDialog(hwnd_, code);
    }
    int runChild(int templateId, ui::DialogLogic& logic) override {
        DialogHost child(templateId, logic, programName_);
        return child.run(hwnd_);
    }

private:
    HWND item(int id) const { return GetDlgItem(hwnd_, id); }

    static std::string windowText(HWND window) {
        if (!window) return {};
        const int length = GetWindowTextLengthA(window);
        std::vector<char> buffer(static_cast<std::size_t>(length) + 2, '\0');
        const int got = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
        return std::string(buffer.data(), static_cast<std::size_t>(got > 0 ? got : 0));
    }

    static BOOL CALLBACK subclassEdit(HWND child, LPARAM host) {
        char cls[16] = {};
        GetClassNameA(child, cls, sizeof cls);
        if (lstrcmpiA(cls, "Edit") == 0) SetWindowSubclass(child, &DialogHost::editProc, kSubclassId, host);
        return TRUE;
    }

    // Characters bound for an edit box pass the logic's filter before the box sees them.
    static LRESULT CALLBACK editProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
        auto* host = reinterpret_cast<DialogHost*>(ref);
        if (message == WM_CHAR && !host->ended_) {
            if (!host->logic_.filterChar(GetDlgCtrlID(edit), static_cast<char>(wParam))) return 0;
        } else if (message == WM_NCDESTROY) {
            RemoveWindowSubclass(edit, &DialogHost::editProc, kSubclassId);
        }
        return DefSubclassProc(edit, message, wParam, lParam);
    }

    static INT_PTR CALLBACK dialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_INITDIALOG) {
            auto* host = reinterpret_cast<DialogHost*>(lParam);
            SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
            host->hwnd_ = hwnd;
            EnumChildWindows(hwnd, &DialogHost::subclassEdit, lParam);
            host->logic_.attach(*host);
            host->focusSet_ = false;
            host->logic_.onInit();
            // TRUE lets the system focus the first tab stop; not when the logic chose.
            return host->focusSet_ ? FALSE : TRUE;
        }
        auto* host = reinterpret_cast<DialogHost*>(GetWindowLongPtrA(hwnd, DWLP_USER));
        if (!host) return FALSE;
        switch (message) {
        case WM_COMMAND: {
            const int id = LOWORD(wParam);
            const UINT code = HIWORD(wParam);
            if (host->ended_) return TRUE;
            if (code == EN_KILLFOCUS && lParam) {
                char cls[16] = {};
                GetClassNameA(reinterpret_cast<HWND>(lParam), cls, sizeof cls);
                if (lstrcmpiA(cls, "Edit") == 0) {
                    host->logic_.onFocusLost(id);
                    return TRUE;
                }
            }
            if (id == IDOK && code == BN_CLICKED) host->logic_.onOk();
            else if (id == IDCANCEL && code == BN_CLICKED) host->logic_.onCancel();
            else host->logic_.onCommand(id, static_cast<ui::Notify>(code));
            return TRUE;
        }
        case WM_TIMER:
            if (!host->ended_) host->logic_.onTimer(static_cast<int>(wParam));
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            // A notice's own colours; every other static keeps the system's.
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lParam));
            if (!host->noticeBrush_ || host->notices_.count(id) == 0) return FALSE;
            HDC dc = reinterpret_cast<HDC>(wParam);
            SetTextColor(dc, kNoticeText);
            SetBkColor(dc, kNoticeBackground);
            return reinterpret_cast<INT_PTR>(host->noticeBrush_);
        }
        default:
            return FALSE;
        }
    }

    int templateId_;
    ui::DialogLogic& logic_;
    std::string programName_;
    HWND hwnd_ = nullptr;
    bool ended_ = false;
    bool focusSet_ = false;
    std::set<int> notices_;        // statics shown by showNotice
    HBRUSH noticeBrush_ = nullptr;  // their background, made at the first notice
};

void registerCommonControls() {
    static bool done = false;
    if (done) return;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    done = true;
}

}  // namespace

int runDialog(int templateId, ui::DialogLogic& logic, HWND owner, const std::string& programName) {
    registerCommonControls();
    DialogHost host(templateId, logic, programName);
    return host.run(owner);
}

}  // namespace lt::win32
