// bench_device.h: the control-device port implemented over a bench file, in place of the driver.
//
// Each open reads the bench file under its lock, so a program sees the adapters that
// benchctl or another program left there; it fails as a missing driver does (error 2)
// when the file cannot be read or the bench marks the driver absent, and with error
// 1392 when the file is damaged. Requests that change what the file keeps (programming,
// counted request faults) reload the file under the lock, apply the change and save it
// atomically; every other request, loopback frames included, works in memory and never
// touches the file. Requests from several threads are serialised. Nothing is thrown.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "bench/bench_file.h"
#include "bench/bench_model.h"
#include "bench/device_registry_mirror.h"
#include "bench/simulated_driver.h"
#include "common/adapter/control_device.h"

namespace lt::bench {

class BenchDevice : public adapter::ControlDevice {
public:
    // `mirror` (may be null) is told about re-enumerated adapters.
    explicit BenchDevice(std::string benchPath, std::unique_ptr<DeviceRegistryMirror> mirror = nullptr,
                         LockTiming timing = {});

    std::unique_ptr<adapter::ControlHandle> open(uint32_t& error) override;

    // What went wrong with the bench file at the last failure, for diagnostics ("" if none).
    std::string lastProblem() const;

    // Shared by the device and its handles, which may outlive it.
    struct Core {
        std::string path;
        LockTiming timing;
        std::unique_ptr<DeviceRegistryMirror> mirror;
        std::mutex mutex;
        Bench bench;
        SimulatedDriver driver;
        std::string problem;

        Core(std::string p, std::unique_ptr<DeviceRegistryMirror> m, LockTiming t)
            : path(std::move(p)), timing(t), mirror(std::move(m)), driver(mirror.get()) {}
        // Reloads the bench file (lock held by the caller); false with `error` set.
        bool reload(uint32_t& error);
        bool save(const Bench& before, uint32_t& error);
    };

private:
    std::shared_ptr<Core> core_;
};

}  // namespace lt::bench
