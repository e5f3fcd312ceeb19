// startup_benchmark_win32.cpp: prints each program's start-up time and peak memory, measured by starting it from here.
//
// Start-up time: from CreateProcess until the program first waits for input (its dialog or
// first message box is up: WaitForInputIdle). Peak memory: the process's peak working set
// and peak committed memory (GetProcessMemoryInfo) after it has sat idle for a moment.
// The program is then ended. Each program is started RUNS times; the median start-up and
// the largest peak are printed.
// Usage: startup-benchmark RUNS PROGRAM.exe...
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Sample {
    double startupMs = 0;
    SIZE_T peakWorkingSet = 0;
    SIZE_T peakCommitted = 0;
};

bool runOnce(const std::string& program, Sample& sample) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"" + program + "\"";
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", program.c_str(), GetLastError());
        return false;
    }
    const DWORD idle = WaitForInputIdle(process.hProcess, 30000);
    QueryPerformanceCounter(&after);
    bool ok = idle == 0;
    if (!ok) std::fprintf(stderr, "%s did not become idle (%lu)\n", program.c_str(), idle);
    sample.startupMs = double(after.QuadPart - before.QuadPart) * 1000.0 / double(frequency.QuadPart);

    Sleep(500);  // let it settle: timers and first paints
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
        sample.peakWorkingSet = memory.PeakWorkingSetSize;
        sample.peakCommitted = memory.PeakPagefileUsage;
    } else {
        ok = false;
    }
    TerminateProcess(process.hProcess, 0);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc > 2 ? std::atoi(argv[1]) : 0;
    if (runs <= 0) {
        std::fprintf(stderr, "usage: startup-benchmark RUNS PROGRAM.exe...\n");
        return 2;
    }
    int status = 0;
    std::printf("%-18s %14s %16s %16s\n", "program", "start-up (ms)", "peak WS (KiB)", "peak commit (KiB)");
    for (int i = 2; i < argc; ++i) {
        const std::string program = argv[i];
        std::vector<double> startups;
        SIZE_T peakWorkingSet = 0, peakCommitted = 0;
        for (int r = 0; r < runs; ++r) {
            Sample s;
            if (!runOnce(program, s)) {
                status = 1;
                continue;
            }
            startups.push_back(s.startupMs);
            peakWorkingSet = std::max(peakWorkingSet, s.peakWorkingSet);
            peakCommitted = std::max(peakCommitted, s.peakCommitted);
        }
        if (startups.empty()) continue;
        std::sort(startups.begin(), startups.end());
        const std::string name = program.substr(program.find_last_of("\\/") + 1);
        std::printf("%-18s %14.1f %16zu %16zu\n", name.c_str(), startups[startups.size() / 2],
                    std::size_t(peakWorkingSet / 1024), std::size_t(peakCommitted / 1024));
    }
    return status;
}
