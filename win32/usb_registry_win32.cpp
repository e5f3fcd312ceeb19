// usb_registry_win32.cpp: RegOpenKeyExA, RegEnumKeyExA, RegQueryInfoKeyA and RegQueryValueExA
// on HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\USB, opened with KEY_READ.
#include "win32/usb_registry_win32.h"

#include <windows.h>

namespace lt::win32 {
namespace {

constexpr DWORD kNameBuffer = 260;

class Key : public progstation::RegistryKey {
public:
    explicit Key(HKEY key) : key_(key) {}
    ~Key() override { RegCloseKey(key_); }

    std::optional<std::string> subkeyName(uint32_t index) override {
        char name[kNameBuffer] = {};
        DWORD size = kNameBuffer;
        if (RegEnumKeyExA(key_, index, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            return std::nullopt;
        return std::string(name, size);
    }
    std::optional<uint32_t> subkeyCount() override {
        DWORD count = 0;
        if (RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr) != ERROR_SUCCESS)
            return std::nullopt;
        return static_cast<uint32_t>(count);
    }
    std::unique_ptr<progstation::RegistryKey> openSubkey(std::string_view name) override {
        const std::string subkey(name);
        HKEY child = nullptr;
        if (RegOpenKeyExA(key_, subkey.c_str(), 0, KEY_READ, &child) != ERROR_SUCCESS) return nullptr;
        return std::make_unique<Key>(child);
    }
    std::optional<std::string> stringValue(std::string_view name) override {
        const std::string value(name);
        char data[kNameBuffer] = {};  // zero-filled, so a value stored without terminator still ends
        DWORD size = kNameBuffer - 1;
        DWORD type = 0;
        if (RegQueryValueExA(key_, value.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size) !=
            ERROR_SUCCESS)
            return std::nullopt;
        return std::string(data);
    }

private:
    HKEY key_;
};

}  // namespace

std::unique_ptr<progstation::RegistryKey> UsbRegistryWin32::openUsbKey() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Enum\\USB", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return nullptr;
    return std::make_unique<Key>(key);
}

}  // namespace lt::win32
