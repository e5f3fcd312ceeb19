// diagnostics_run.cpp: the test sequencer, the job launcher and the wait for a worker.
#include "ethtester/diagnostics_run.h"

#include "common/adapter/requests.h"
#include "ethtester/loopback_check.h"
#include "ethtester/register_check.h"
#include "ethtester/worker.h"
#include "resources/ethtester_ids.h"

namespace lt::ethtester {

TestResult TestRun::runTests(const TestSelection& s) {
    // The run-idle event is reset only while a worker thread is alive (the launcher resets
    // it just before starting one). Between jobs the failure boxes have no owner, so the
    // operator can press Exit there, and the Exit handler must not wait for a worker that
    // does not exist.
    runIdle_.set();
    if (stopSeen()) return kStopped;

    struct Step { bool selected; Job job; uint32_t progress, passed, failed; };
    const Step before[] = {
        {s.registerTest, Job::Register, IDS_REGISTER_IN_PROGRESS, IDS_REGISTER_PASSED, IDS_REGISTER_FAILED},
        {s.quickLoopback, Job::Quick, IDS_QUICK_IN_PROGRESS, IDS_QUICK_PASSED, IDS_QUICK_FAILED},
    };
    const Step after[] = {
        {s.externalLoopback, Job::External, IDS_EXTERNAL_IN_PROGRESS, IDS_EXTERNAL_PASSED, IDS_EXTERNAL_FAILED},
        {s.longLoopback, Job::Long, IDS_LONG_IN_PROGRESS, IDS_LONG_PASSED, IDS_LONG_FAILED},
    };

    TestResult result = kPassed;
    // After Exit the remaining steps end with 10 at once: no job is launched and no check is
    // made, so nothing can fail and show a box after the main window has gone.
    auto stopped = [&] {
        if (!stopSeen()) return false;
        result = kStopped;
        return true;
    };
    auto run = [&](const Step& step) {  // false when the step's failure ends the run
        if (!step.selected || stopped()) return true;
        reporter_.showStatus(step.progress);
        result = launch(step.job, s);
        if (result == kPassed) reporter_.logMessage(step.passed);
        if (result == kPassed || result == kStopped) return true;
        reporter_.reportError(step.failed, 0, 0, s.logging);
        return false;
    };

    bool goOn = run(before[0]) && run(before[1]);
    if (goOn && !stopped() && !phyModeIsAutoNegotiation()) {
        reporter_.reportError(IDS_PHY_NOT_AUTONEG, 0, 0, s.logging);
        result = kNotAutoNegotiation;
        goOn = false;
    }
    if (goOn) goOn = run(after[0]) && run(after[1]);

    if (result == kPassed)
        reporter_.showStatus(IDS_ALL_PASSED);
    else if (result != kStopped)
        reporter_.showStatus(IDS_ONE_FAULTY);
    runIdle_.set();
    return result;
}

bool TestRun::phyModeIsAutoNegotiation() {
    uint32_t error = 0, mode = 0;
    auto handle = device_.open(error);
    if (!handle) return false;
    return adapter::getPhyMode(*handle, mode, error) && mode == 0;
}

TestResult TestRun::launch(Job job, const TestSelection& s) {
    const uint32_t progress = job == Job::Register ? IDS_REGISTER_IN_PROGRESS
                              : job == Job::Quick  ? IDS_QUICK_IN_PROGRESS
                              : job == Job::Long   ? IDS_LONG_IN_PROGRESS
                                                   : IDS_EXTERNAL_IN_PROGRESS;
    reporter_.logMessage(progress);

    uint32_t error = 0;
    std::unique_ptr<adapter::ControlHandle> handle = device_.open(error);
    if (!handle) {
        reporter_.reportError(0, error, IDS_API_CREATEFILE, s.logging);
        return kNoControlDevice;
    }

    // Everything the worker reads is fixed before it starts; it hands back only its result,
    // which is read after the thread has ended.
    TestResult jobResult = kPassed;
    WorkerContext context{stopRequested_, runIdle_, reporter_, title_, s};
    adapter::ControlHandle& h = *handle;
    auto body = [&context, &h, &jobResult, job, this] {
        switch (job) {
            case Job::Register: jobResult = runRegisterWorker(context, h); break;
            case Job::Quick: jobResult = runLoopbackWorker(context, h, LoopbackKind::Quick); break;
            case Job::Long: jobResult = runLoopbackWorker(context, h, LoopbackKind::Long); break;
            case Job::External: jobResult = runLoopbackWorker(context, h, LoopbackKind::External); break;
        }
        runIdle_.set();
    };

    runIdle_.reset();
    std::unique_ptr<WorkerThread> worker = threads_.start(body, error);
    if (!worker) {
        runIdle_.set();  // no worker runs
        reporter_.reportError(0, error, IDS_API_BEGINTHREAD, s.logging);
        return kThreadStartFailed;  // the handle closes as it goes out of scope
    }
    threads_.yieldProcessor();
    waitForWorker(*worker);
    // After a stop the worker may still be running (it may be setting the title); it ends
    // at its next stop check. Wait for it, serving sent messages, before reading its result.
    worker->joinServingSent();
    return jobResult;
}

void TestRun::waitForWorker(WorkerThread& worker) {
    for (;;) {
        if (stopSeen()) {
            runIdle_.set();
            return;
        }
        if (worker.waitEndOrServeMessages()) return;
    }
}

}  // namespace lt::ethtester
