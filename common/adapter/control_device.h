// control_device.h: the port through which the programs reach the adapter driver's control device.
//
// A handle is opened for one step of work and closed when its object is destroyed,
// so every path closes it. The Win32 implementation opens "\\.\KorUsbMac"; the
// simulated bench (bench/) implements the same port over a bench file.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

namespace lt::adapter {

// One open handle on the control device.
class ControlHandle {
public:
    virtual ~ControlHandle() = default;

    // One synchronous request: `input` holds the request bytes, `reply` is the caller's
    // reply buffer (its size is the reply size the caller passes to the driver).
    // Returns true on success. On failure `error` receives the system error code and
    // the reply buffer holds whatever the caller put there.
    virtual bool request(uint32_t code, std::span<const uint8_t> input, std::span<uint8_t> reply,
                         uint32_t& error) = 0;
};

// The control device itself: opens handles.
class ControlDevice {
public:
    virtual ~ControlDevice() = default;

    // Opens a handle, or returns null with `error` set to the system error code
    // (a failed open means that no driver or no adapter is present).
    virtual std::unique_ptr<ControlHandle> open(uint32_t& error) = 0;
};

}  // namespace lt::adapter
