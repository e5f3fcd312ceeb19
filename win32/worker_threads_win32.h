// worker_threads_win32.h: EthTester's worker threads, run-idle event and title over Win32:
// CreateThread, a manual-reset event, and waits that keep serving the dialog's messages.
#pragma once

#include <windows.h>

#include "ethtester/run_ports.h"

namespace lt::win32 {

class WorkerThreadsWin32 : public ethtester::WorkerThreads {
public:
    // `dialog` gets the keyboard navigation of messages pumped while a worker runs.
    explicit WorkerThreadsWin32(HWND dialog) : dialog_(dialog) {}
    std::unique_ptr<ethtester::WorkerThread> start(std::function<void()> body, uint32_t& error) override;
    void yieldProcessor() override;

private:
    HWND dialog_;
};

class RunIdleEventWin32 : public ethtester::RunIdleEvent {
public:
    RunIdleEventWin32();  // manual reset, not signalled
    ~RunIdleEventWin32() override;
    RunIdleEventWin32(const RunIdleEventWin32&) = delete;
    RunIdleEventWin32& operator=(const RunIdleEventWin32&) = delete;

    void set() override;
    void reset() override;
    bool isSet() const override;
    void waitServingSent() override;

private:
    HANDLE event_;
};

// The window title, set with SetWindowTextA (from the worker, the system carries it to the
// window's thread and waits until it is served).
class WindowTitleWin32 : public ethtester::TitleSink {
public:
    explicit WindowTitleWin32(HWND window) : window_(window) {}
    void setTitle(const char* text) override { SetWindowTextA(window_, text); }

private:
    HWND window_;
};

// Waits for `object`, dispatching only messages sent to this thread meanwhile.
void waitServingSentMessages(HANDLE object);

}  // namespace lt::win32
