// diagnostic_log.h: EthTester's log file, USBEthDiagnostics.log: a header, a start line,
// one flushed line per entry and an end line, holding the last run only.
#pragma once

#include <cstdio>
#include <string>

#include "ethtester/local_clock.h"
#include "ethtester/log_files.h"

namespace lt::ethtester {

class DiagnosticLog {
public:
    // Longest module name and path the log keeps (the platform's 260-character buffers less
    // the terminator).
    static constexpr std::size_t kMaxText = 259;

    DiagnosticLog(Clock& clock, LogFiles& files) : clock_(clock), files_(files) {}
    ~DiagnosticLog() { closeFile(); }
    DiagnosticLog(const DiagnosticLog&) = delete;
    DiagnosticLog& operator=(const DiagnosticLog&) = delete;

    // Stores `enabled`; when enabled, opens the file afresh (deleted first when `fresh`) and
    // writes the header and the start line. A file that cannot be opened, or a path longer
    // than the log keeps, leaves logging silently off for the run.
    void open(const std::string& moduleName, const std::string& path, bool fresh, bool enabled);
    // One entry and a line end, flushed at once. A failed write closes the file.
    void writeLine(const char* text);
    // Writes the end line and closes; further writes and closes do nothing until open.
    void close();
    // A line of its own that every later open writes into the header, after the time
    // (the training build's mark); "" for none, as in the production build.
    void setHeaderNote(std::string note) { headerNote_ = std::move(note); }

    bool isOpen() const { return file_ != nullptr; }

private:
    void closeFile();

    Clock& clock_;
    LogFiles& files_;
    bool enabled_ = false;
    std::FILE* file_ = nullptr;
    std::string moduleName_;
    std::string path_;
    std::string headerNote_;
};

}  // namespace lt::ethtester
