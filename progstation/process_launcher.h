// process_launcher.h: the port for starting a program and waiting, without time limit, for it to end (CreateProcessA).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace lt::progstation {

// How a started program ended.
struct ProgramEnd {
    bool started = false;              // false: it could not be started
    std::optional<uint32_t> exitCode;  // its exit code, when it was started and the code could be had
};

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts the program at `path` (no arguments, new process group, the caller's
    // environment and current directory) and waits for it to end.
    virtual ProgramEnd runAndWait(const std::string& path) = 0;
};

}  // namespace lt::progstation
