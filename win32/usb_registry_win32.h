// usb_registry_win32.h: the USB device registry port over the Win32 registry API, read only.
#pragma once

#include "progstation/device_registry.h"

namespace lt::win32 {

class UsbRegistryWin32 : public progstation::DeviceRegistry {
public:
    std::unique_ptr<progstation::RegistryKey> openUsbKey() override;
};

}  // namespace lt::win32
