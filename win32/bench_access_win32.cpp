// bench_access_win32.cpp: choosing the training builds' bench file and opening the bench on it.
#include "win32/bench_access_win32.h"

#include <windows.h>

#include "bench/bench_device.h"
#include "win32/bench_registry_win32.h"

namespace lt::win32 {

std::string benchPathFromEnvironment() {
    char value[MAX_PATH * 2] = {};
    const DWORD n = GetEnvironmentVariableA(kBenchVariable, value, sizeof value);
    if (n == 0 || n >= sizeof value) return {};
    std::string path(value, n);
    if (path[0] == '/' && runningUnderWine()) {  // Wine's drive Z: is the Unix root
        for (char& c : path)
            if (c == '/') c = '\\';
        path.insert(0, "Z:");
    }
    return path;
}

std::string trainingBenchPath() {
    std::string path = benchPathFromEnvironment();
    if (!path.empty()) return path;
    char program[MAX_PATH * 2] = {};
    const DWORD n = GetModuleFileNameA(nullptr, program, sizeof program);
    if (n == 0 || n >= sizeof program) return kTrainingBenchFile;  // then relative to the current directory
    path.assign(program, n);
    const std::size_t slash = path.find_last_of("\\/");
    path.resize(slash == std::string::npos ? 0 : slash + 1);
    return path + kTrainingBenchFile;
}

AdapterAccess openBenchAccess() {
    const std::string bench = trainingBenchPath();
    return AdapterAccess{std::make_unique<bench::BenchDevice>(bench, makeBenchRegistryMirror()), {true, bench}};
}

}  // namespace lt::win32
