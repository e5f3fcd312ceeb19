// device_registry.h: the port for the system's USB device registry, read only
// (HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Enum\USB and the keys below it).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace lt::progstation {

// One open registry key; closed when the object goes.
class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // The name of subkey `index` (0-based), or nullopt once the enumeration fails.
    virtual std::optional<std::string> subkeyName(uint32_t index) = 0;
    // The number of subkeys, or nullopt when the key cannot be queried.
    virtual std::optional<uint32_t> subkeyCount() = 0;
    // A subkey opened for reading, or null.
    virtual std::unique_ptr<RegistryKey> openSubkey(std::string_view name) = 0;
    // A string value, or nullopt when it cannot be read.
    virtual std::optional<std::string> stringValue(std::string_view name) = 0;
};

class DeviceRegistry {
public:
    virtual ~DeviceRegistry() = default;
    // The USB key ("SYSTEM\CurrentControlSet\Enum\USB" under HKEY_LOCAL_MACHINE) opened
    // for reading, or null.
    virtual std::unique_ptr<RegistryKey> openUsbKey() = 0;
};

}  // namespace lt::progstation
