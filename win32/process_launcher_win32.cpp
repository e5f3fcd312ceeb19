// process_launcher_win32.cpp: CreateProcessA with the program named on its own, then an
// unlimited wait and the program's exit code.
#include "win32/process_launcher_win32.h"

#include <windows.h>

#include <vector>

#include "win32/drawing_flush.h"

namespace lt::win32 {

progstation::ProgramEnd ProcessLauncherWin32::runAndWait(const std::string& path) {
    // The program is named as the application and its command line is the quoted path, so a
    // folder with a blank in its name ("Program Files") can never start another program
    // (C:\Program.exe) in its place.
    const std::string quoted = "\"" + path + "\"";
    std::vector<char> commandLine(quoted.begin(), quoted.end());
    commandLine.push_back('\0');
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_PROCESS_GROUP, nullptr,
                        nullptr, &startup, &process))
        return {};
    // The wait blocks the user-interface thread: what it drew before (the status line) is put on
    // the screen first.
    flushDrawing();
    WaitForSingleObject(process.hProcess, INFINITE);
    progstation::ProgramEnd end{true, std::nullopt};
    DWORD code = 0;
    if (GetExitCodeProcess(process.hProcess, &code)) end.exitCode = code;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return end;
}

}  // namespace lt::win32
