// bench_registry_win32.h: the bench's device-registry mirror for Wine, where no real driver
// re-enumerates adapters, and the run-time check for Wine itself. Bench side: linked only
// into the training builds and the tests, never into a production program.
#pragma once

#include <memory>

#include "bench/device_registry_mirror.h"

namespace lt::win32 {

// True when ntdll exports wine_get_version, that is when the program runs under Wine.
bool runningUnderWine();

// Under Wine, a mirror that writes each re-enumerated adapter as
// HKLM\SYSTEM\CurrentControlSet\Enum\USB\VID_XXXX&PID_YYYY\<instance> with the value
// Service = "KORUMAC" (upper-case hexadecimal). Elsewhere null: on real Windows the
// bench never writes the device registry.
std::unique_ptr<bench::DeviceRegistryMirror> makeBenchRegistryMirror();

}  // namespace lt::win32
