// device_registry_mirror.h: the hook through which the bench shows re-enumerated adapters
// in the system's USB device registry, as a real re-enumeration would.
//
// The bench calls it when a program asks how many adapters re-enumerated. The Win32
// implementation (win32/bench_registry_win32, linked only into the training builds and
// the tests) writes only under Wine; elsewhere no mirror is given.
#pragma once

#include <cstdint>
#include <string>

namespace lt::bench {

class DeviceRegistryMirror {
public:
    virtual ~DeviceRegistryMirror() = default;

    // Adapter now enumerated as VID/PID under the device instance `instance`
    // (a name unique to this re-enumeration). Failures are the mirror's own business.
    virtual void deviceEnumerated(uint16_t vid, uint16_t pid, const std::string& instance) = 0;
};

}  // namespace lt::bench
