// diagnostics_run.h: the test run: the selected tests in their fixed order, each as one job on
// one worker thread, while the user-interface thread keeps serving the window.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/adapter/control_device.h"
#include "ethtester/diagnostics_result.h"
#include "ethtester/run_ports.h"
#include "ethtester/worker_threads.h"

namespace lt::ethtester {

class TestRun {
public:
    TestRun(adapter::ControlDevice& device, WorkerThreads& threads, RunIdleEvent& runIdle, Reporter& reporter,
            TitleSink& title, const std::atomic<int>& stopRequested)
        : device_(device), threads_(threads), runIdle_(runIdle), reporter_(reporter), title_(title),
          stopRequested_(stopRequested) {}

    // Register test, quick loopback, PHY mode check, external loopback, long loopback;
    // a failure ends the run with its code after the test's failure box, a stop (10) lets
    // the remaining tests end at their first check. Returns 0, 10 or the failure code.
    TestResult runTests(const TestSelection& selection);

private:
    enum class Job { Register, Quick, Long, External };
    TestResult launch(Job job, const TestSelection& selection);
    void waitForWorker(WorkerThread& worker);
    // True when every adapter is set to auto-negotiation. A check that cannot be made
    // (no control device, failed request) counts as not set: it must not pass silently.
    bool phyModeIsAutoNegotiation();
    bool stopSeen() const { return stopRequested_.load(std::memory_order_acquire) != 0; }

    adapter::ControlDevice& device_;
    WorkerThreads& threads_;
    RunIdleEvent& runIdle_;
    Reporter& reporter_;
    TitleSink& title_;
    const std::atomic<int>& stopRequested_;
};

}  // namespace lt::ethtester
