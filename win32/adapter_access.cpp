// adapter_access.cpp: the production programs' control device: the adapter driver's.
#include "win32/adapter_access.h"

#include "win32/control_device_win32.h"

namespace lt::win32 {

AdapterAccess openDriverAccess() { return AdapterAccess{std::make_unique<ControlDeviceWin32>(), {}}; }

}  // namespace lt::win32
