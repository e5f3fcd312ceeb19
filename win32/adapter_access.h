// adapter_access.h: the control device a program works on, and whether it is the simulated bench.
//
// The production programs take openDriverAccess: the driver's control device, whatever the
// environment holds. Only the training builds link the bench side (bench_access_win32.h),
// whose openBenchAccess gives the simulated bench and marks the program as training.
#pragma once

#include <memory>

#include "common/adapter/control_device.h"
#include "common/adapter/training_mode.h"

namespace lt::win32 {

struct AdapterAccess {
    std::unique_ptr<adapter::ControlDevice> device;
    adapter::TrainingMode training;  // inactive for the driver
};

// The adapter driver's "\\.\KorUsbMac"; never the bench.
AdapterAccess openDriverAccess();

}  // namespace lt::win32
