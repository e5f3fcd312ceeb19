// run_ports.h: what a test run needs from the program around it: messages and the log,
// the window title, the run-idle event and worker threads.
//
// The workers run on their own thread and reach the dialog only through the title and
// the reporter's log functions; message boxes are shown only from the user-interface thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace lt::ethtester {

// Messages by string-table ID, and the log.
class Reporter {
public:
    virtual ~Reporter() = default;
    // Status line := text of string `id`.
    virtual void showStatus(uint32_t id) = 0;
    // Text of string `id` as one log line (nothing when logging is off).
    virtual void logMessage(uint32_t id) = 0;
    // Any of the first three may be 0 (absent). Composes the message text, "\nAPI Name: "
    // + name + "\n" and "System Error Message: " + the system's text; shows a box with
    // the message text when a message is given; logs the whole text when `log` is set.
    virtual void reportError(uint32_t messageId, uint32_t systemError, uint32_t apiNameId, bool log) = 0;
    // One formatted line into the log (nothing when logging is off).
    virtual void logLine(const char* text) = 0;
};

// The main window's title, set from a worker thread. Takes a C string so the frame loop
// of a loopback test formats into a fixed buffer and allocates nothing.
class TitleSink {
public:
    virtual ~TitleSink() = default;
    virtual void setTitle(const char* text) = 0;
};

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
