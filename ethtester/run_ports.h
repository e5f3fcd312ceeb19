// run_ports.h: what a test run needs from the dialog around it: messages and the log, and the window title.
//
// The workers run on their own thread (ethtester/worker_threads.h) and reach the dialog only
// through the title and the reporter's log functions; message boxes are shown only from the
// user-interface thread.
#pragma once

#include <cstdint>

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

}  // namespace lt::ethtester
