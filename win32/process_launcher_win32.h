// process_launcher_win32.h: starting a program and waiting for it, with CreateProcessA.
#pragma once

#include "progstation/process_launcher.h"

namespace lt::win32 {

class ProcessLauncherWin32 : public progstation::ProcessLauncher {
public:
    progstation::ProgramEnd runAndWait(const std::string& path) override;
};

}  // namespace lt::win32
