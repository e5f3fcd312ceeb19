// adapter_access.cpp: choosing between the simulated bench and the real control device.
#include "win32/adapter_access.h"

#include <windows.h>

#include "bench/bench_device.h"
#include "win32/bench_registry_win32.h"
#include "win32/control_device_win32.h"

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

std::unique_ptr<adapter::ControlDevice> openAdapterDevice() {
    const std::string bench = benchPathFromEnvironment();
    if (!bench.empty()) return std::make_unique<bench::BenchDevice>(bench, makeBenchRegistryMirror());
    return std::make_unique<ControlDeviceWin32>();
}

}  // namespace lt::win32
