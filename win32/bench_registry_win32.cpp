// bench_registry_win32.cpp: RegCreateKeyExA and RegSetValueExA under the USB device registry, under Wine only.
#include "win32/bench_registry_win32.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace lt::win32 {
namespace {

constexpr const char* kUsbKey = "SYSTEM\\CurrentControlSet\\Enum\\USB";
constexpr char kService[] = "KORUMAC";

class WineRegistryMirror : public bench::DeviceRegistryMirror {
public:
    void deviceEnumerated(uint16_t vid, uint16_t pid, const std::string& instance) override {
        char deviceId[32];
        std::snprintf(deviceId, sizeof deviceId, "VID_%04X&PID_%04X", unsigned(vid), unsigned(pid));
        const std::string path = std::string(kUsbKey) + "\\" + deviceId + "\\" + instance;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                            &key, nullptr) != ERROR_SUCCESS)
            return;  // the registry is only a mirror: the request itself has succeeded
        RegSetValueExA(key, "Service", 0, REG_SZ, reinterpret_cast<const BYTE*>(kService), sizeof kService);
        RegCloseKey(key);
    }
};

}  // namespace

bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

std::unique_ptr<bench::DeviceRegistryMirror> makeBenchRegistryMirror() {
    if (!runningUnderWine()) return nullptr;
    return std::make_unique<WineRegistryMirror>();
}

}  // namespace lt::win32
