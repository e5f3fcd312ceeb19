// control_device_win32.h: the control-device port over the adapter driver's "\\.\KorUsbMac".
#pragma once

#include "common/adapter/control_device.h"

namespace lt::win32 {

// Opens the driver's control device with CreateFileA (GENERIC_READ | GENERIC_WRITE,
// FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, no attributes); each request is a
// synchronous DeviceIoControl; the handle is closed when its object goes.
class ControlDeviceWin32 : public adapter::ControlDevice {
public:
    std::unique_ptr<adapter::ControlHandle> open(uint32_t& error) override;
};

}  // namespace lt::win32
