// adapter_access.h: how a program gets its control device: the simulated bench when the
// environment variable KORUSBMAC_BENCH names a bench file, otherwise the real driver.
#pragma once

#include <memory>
#include <string>

#include "common/adapter/control_device.h"

namespace lt::win32 {

constexpr const char* kBenchVariable = "KORUSBMAC_BENCH";

// The bench file named by KORUSBMAC_BENCH, "" when the variable is unset or empty. Under
// Wine a Unix path ("/tmp/bench.txt") is turned into its drive Z: form.
std::string benchPathFromEnvironment();

// The bench (with the registry mirror under Wine) or the driver's "\\.\KorUsbMac".
std::unique_ptr<adapter::ControlDevice> openAdapterDevice();

}  // namespace lt::win32
