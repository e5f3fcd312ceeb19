// ethtester_standin.cpp: a stand-in EthTester for the station's launch tests: it records where it was started from and the automatic-mode key it found, then ends.
// The line goes to the file named by LT_STANDIN_LOG: "<program path> AUTO=<n>". It ends with
// the exit code LT_STANDIN_EXIT names (0 when it names none), as EthTester ends with its result.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char log[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("LT_STANDIN_LOG", log, sizeof log)) return 1;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, sizeof windows);
    char eprom[MAX_PATH + 32] = {};
    std::snprintf(eprom, sizeof eprom, "%s\\EpromData.ini", windows);
    const UINT autoMode = GetPrivateProfileIntA("DIAGNOSTICSMODE", "AUTO", 0, eprom);
    if (FILE* f = std::fopen(log, "ab")) {
        std::fprintf(f, "%s AUTO=%u\n", self, autoMode);
        std::fclose(f);
    }
    char code[16] = {};
    return GetEnvironmentVariableA("LT_STANDIN_EXIT", code, sizeof code) ? std::atoi(code) : 0;
}
