// worker_threads.h: the port for EthTester's worker threads and the run-idle event that the Exit handler waits on.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace lt::ethtester {

// The manual-reset event that tells the Exit handler that no worker is busy.
class RunIdleEvent {
public:
    virtual ~RunIdleEvent() = default;
    virtual void set() = 0;
    virtual void reset() = 0;
    virtual bool isSet() const = 0;
    // Waits until the event is set, serving messages sent to the user-interface thread
    // meanwhile (a worker may be setting the window title).
    virtual void waitServingSent() = 0;
};

// One started worker thread.
class WorkerThread {
public:
    virtual ~WorkerThread() = default;  // the thread has ended by then (callers join first)
    // Waits until the thread ends or messages arrive for the user-interface thread; serves
    // every pending message (dialog keyboard navigation kept). True when the thread has ended.
    virtual bool waitEndOrServeMessages() = 0;
    // Waits for the thread to end, serving only sent messages meanwhile.
    virtual void joinServingSent() = 0;
};

class WorkerThreads {
public:
    virtual ~WorkerThreads() = default;
    // Starts `body` on a new thread at once; null with `error` set when it cannot start.
    virtual std::unique_ptr<WorkerThread> start(std::function<void()> body, uint32_t& error) = 0;
    // Gives up the rest of the time slice (Sleep 0).
    virtual void yieldProcessor() = 0;
};

}  // namespace lt::ethtester
