// process_launcher.h: the port for starting a program and waiting, without time limit, for it to end (CreateProcessA).
#pragma once

#include <string>

namespace lt::progstation {

class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    // Starts the program at `path` (no arguments, new process group, the caller's
    // environment and current directory) and waits for it to end. False when it could not
    // be started.
    virtual bool runAndWait(const std::string& path) = 0;
};

}  // namespace lt::progstation
