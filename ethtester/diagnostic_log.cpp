// diagnostic_log.cpp: the log file.
#include "ethtester/diagnostic_log.h"

namespace lt::ethtester {

void DiagnosticLog::open(const std::string& moduleName, const std::string& path, bool fresh, bool enabled) {
    closeFile();  // a log left open by an earlier run is not reopened behind its back
    enabled_ = enabled;
    if (!enabled_) return;
    if (!path.empty()) path_ = path;
    if (!moduleName.empty()) moduleName_ = moduleName.substr(0, kMaxText);
    // A path that does not fit the platform's buffer is not cut short (that would name
    // another file): logging is off for this run, as when the file cannot be opened.
    if (path_.empty() || path_.size() > kMaxText) return;

    if (fresh) files_.remove(path_);
    file_ = files_.openForAppend(path_);
    if (!file_) return;

    const LocalTime t = clock_.now();
    char date[32], time[32];
    std::snprintf(date, sizeof date, "%d-%02d-%02d", t.year, t.month, t.day);
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
    const std::string header = "Module_Name:" + moduleName_ + "\nDate:" + date + "\nTime:" + time;
    writeLine("-------------------");
    writeLine(header.c_str());
    if (!headerNote_.empty()) writeLine(headerNote_.c_str());
    writeLine("-------------------");
    writeLine(("--------- Start of " + moduleName_ + "---------").c_str());
}

void DiagnosticLog::writeLine(const char* text) {
    if (!enabled_ || !file_) return;
    if (std::fprintf(file_, "%s\n", text) < 0 || std::fflush(file_) != 0) closeFile();
}

void DiagnosticLog::close() {
    if (!enabled_ || !file_) return;
    writeLine(("--------- End of " + moduleName_ + "---------").c_str());
    closeFile();
}

void DiagnosticLog::closeFile() {
    if (file_) {
        std::fflush(file_);
        std::fclose(file_);
        file_ = nullptr;
    }
}

}  // namespace lt::ethtester
