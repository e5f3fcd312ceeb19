// worker.h: what every test worker shares: its context, the prologue that counts the
// adapters, and the rule that a failed driver request is reported before anything else.
#pragma once

#include <atomic>
#include <cstdint>

#include "common/adapter/control_device.h"
#include "ethtester/diagnostics_result.h"
#include "ethtester/run_ports.h"
#include "ethtester/worker_threads.h"

namespace lt::ethtester {

struct WorkerContext {
    const std::atomic<int>& stopRequested;  // written only by Exit on the user-interface thread
    RunIdleEvent& runIdle;
    Reporter& reporter;
    TitleSink& title;
    const TestSelection& selection;

    bool stopSeen() const { return stopRequested.load(std::memory_order_acquire) != 0; }
};

// Reports a failed request (API name DeviceIoControl and the system's text, into the log
// when logging is on) and passes the success flag through. `error` is taken by reference so
// that a call written as reportIfFailed(c, request(..., error), error) reads the code the
// request set, whatever order the arguments are evaluated in.
bool reportIfFailed(WorkerContext& context, bool ok, const uint32_t& error);

// The prologue of both workers: the adapter count, or the result that ends the worker
// (2 when the request failed, 3 when no adapter is attached). Returns true with `count`
// set when the worker goes on.
bool countAdapters(WorkerContext& context, adapter::ControlHandle& handle, uint32_t& count, TestResult& result);

// Sets the run-idle event and gives the stop result; used at every stop check.
TestResult stopWorker(WorkerContext& context);

}  // namespace lt::ethtester
