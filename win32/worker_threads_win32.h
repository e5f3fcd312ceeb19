// worker_threads_win32.h: EthTester's worker threads and run-idle event over Win32:
// CreateThread, a manual-reset event, and waits that keep serving the dialog's messages.
#pragma once

#include <windows.h>

#include "ethtester/worker_threads.h"

namespace lt::win32 {

// While a worker runs, every message pumped is first offered to the dialog it belongs to
// (IsDialogMessage on its top-level window), so Tab and the other dialog keys keep working.
class WorkerThreadsWin32 : public ethtester::WorkerThreads {
public:
    std::unique_ptr<ethtester::WorkerThread> start(std::function<void()> body, uint32_t& error) override;
    void yieldProcessor() override;
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

// Waits for `object`, dispatching only messages sent to this thread meanwhile.
void waitServingSentMessages(HANDLE object);

}  // namespace lt::win32
