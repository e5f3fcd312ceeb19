// worker_threads_win32.cpp: worker threads and the waits of the user-interface thread.
#include "win32/worker_threads_win32.h"

namespace lt::win32 {
namespace {

DWORD WINAPI threadEntry(LPVOID parameter) {
    auto* body = static_cast<std::function<void()>*>(parameter);
    (*body)();
    delete body;
    return 0;
}

class Worker : public ethtester::WorkerThread {
public:
    explicit Worker(HANDLE thread) : thread_(thread) {}
    ~Worker() override { CloseHandle(thread_); }

    bool waitEndOrServeMessages() override {
        const DWORD r = MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            HWND top = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
            if (top && IsDialogMessageA(top, &msg)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        return WaitForSingleObject(thread_, 0) == WAIT_OBJECT_0;
    }

    void joinServingSent() override { waitServingSentMessages(thread_); }

private:
    HANDLE thread_;
};

}  // namespace

void waitServingSentMessages(HANDLE object) {
    for (;;) {
        const DWORD r = MsgWaitForMultipleObjects(1, &object, FALSE, INFINITE, QS_SENDMESSAGE);
        if (r != WAIT_OBJECT_0 + 1) return;  // signalled (or the wait failed: do not spin)
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);  // serves the sent messages
    }
}

std::unique_ptr<ethtester::WorkerThread> WorkerThreadsWin32::start(std::function<void()> body, uint32_t& error) {
    auto* parameter = new std::function<void()>(std::move(body));
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, threadEntry, parameter, 0, &id);
    if (!thread) {
        error = GetLastError();
        delete parameter;
        return nullptr;
    }
    return std::make_unique<Worker>(thread);
}

void WorkerThreadsWin32::yieldProcessor() { Sleep(0); }

RunIdleEventWin32::RunIdleEventWin32() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
RunIdleEventWin32::~RunIdleEventWin32() { CloseHandle(event_); }
void RunIdleEventWin32::set() { SetEvent(event_); }
void RunIdleEventWin32::reset() { ResetEvent(event_); }
bool RunIdleEventWin32::isSet() const { return WaitForSingleObject(event_, 0) == WAIT_OBJECT_0; }
void RunIdleEventWin32::waitServingSent() { waitServingSentMessages(event_); }

}  // namespace lt::win32
