// register_check.h: the register and PHY test worker.
#pragma once

#include <cstdint>

#include "common/adapter/control_device.h"
#include "ethtester/worker.h"

namespace lt::ethtester {

// Writes test bytes into every adapter's controller registers and reads them back, then
// resets the PHY and reads its management registers, adapter 1 first. The first
// counting register fault ends the worker with 4, 5 or 6; PHY findings are only logged.
TestResult runRegisterWorker(WorkerContext& context, adapter::ControlHandle& handle);

}  // namespace lt::ethtester
