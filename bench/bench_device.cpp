// bench_device.cpp: opening the bench as the control device, and its handles.
#include "bench/bench_device.h"

#include "bench/bench_errors.h"

namespace lt::bench {
namespace {

class BenchHandle : public adapter::ControlHandle {
public:
    explicit BenchHandle(std::shared_ptr<BenchDevice::Core> core) : core_(std::move(core)) {}

    bool request(uint32_t code, std::span<const uint8_t> input, std::span<uint8_t> reply, uint32_t& error) override {
        BenchDevice::Core& c = *core_;
        std::lock_guard<std::mutex> guard(c.mutex);
        if (!SimulatedDriver::mayChangeBench(c.bench, code)) return c.driver.request(c.bench, code, input, reply, error);

        // Take the file's latest state, change it, put it back: no other program's change is lost.
        BenchLock lock(c.path, c.timing);
        if (!lock.held()) {
            c.problem = "the bench file " + c.path + " stays locked by another program";
            error = kErrorSharingViolation;
            return false;
        }
        if (!c.reload(error)) return false;
        const Bench before = c.bench;
        const bool ok = c.driver.request(c.bench, code, input, reply, error);
        uint32_t saveError = 0;
        if (!c.save(before, saveError)) {
            error = saveError;
            return false;
        }
        return ok;
    }

private:
    std::shared_ptr<BenchDevice::Core> core_;
};

uint32_t errorFor(BenchFileStatus status) {
    switch (status) {
    case BenchFileStatus::ok: return 0;
    case BenchFileStatus::missing: return kErrorFileNotFound;
    case BenchFileStatus::damaged: return kErrorFileCorrupt;
    case BenchFileStatus::busy: return kErrorSharingViolation;
    case BenchFileStatus::writeFailed: return kErrorWriteFault;
    }
    return kErrorGenFailure;
}

}  // namespace

bool BenchDevice::Core::reload(uint32_t& error) {
    Bench fresh;
    const BenchFileStatus status = readBenchFile(path, fresh, problem);
    if (status != BenchFileStatus::ok) {
        error = errorFor(status);
        return false;
    }
    bench = std::move(fresh);
    return true;
}

bool BenchDevice::Core::save(const Bench& before, uint32_t& error) {
    const std::string text = formatBench(bench);
    if (text == formatBench(before)) return true;  // nothing that the file keeps has changed
    const BenchFileStatus status = writeBenchFile(path, text, problem);
    error = errorFor(status);
    return status == BenchFileStatus::ok;
}

BenchDevice::BenchDevice(std::string benchPath, std::unique_ptr<DeviceRegistryMirror> mirror, LockTiming timing)
    : core_(std::make_shared<Core>(std::move(benchPath), std::move(mirror), timing)) {}

std::unique_ptr<adapter::ControlHandle> BenchDevice::open(uint32_t& error) {
    Core& c = *core_;
    std::lock_guard<std::mutex> guard(c.mutex);
    BenchLock lock(c.path, c.timing);
    if (lock.folderMissing()) {
        c.problem = "cannot read the bench file " + c.path;
        error = kErrorFileNotFound;
        return nullptr;
    }
    if (!lock.held()) {
        c.problem = "the bench file " + c.path + " stays locked by another program";
        error = kErrorSharingViolation;
        return nullptr;
    }
    if (!c.reload(error)) return nullptr;
    if (c.bench.driver.absent) {
        error = kErrorFileNotFound;
        return nullptr;
    }
    if (c.bench.driver.openFail != 0) {
        const Bench before = c.bench;
        const bool thisOneFails = --c.bench.driver.openFail == 0;
        if (!c.save(before, error)) return nullptr;
        if (thisOneFails) {
            error = kErrorFileNotFound;
            return nullptr;
        }
    }
    c.problem.clear();
    return std::make_unique<BenchHandle>(core_);
}

std::string BenchDevice::lastProblem() const {
    std::lock_guard<std::mutex> guard(core_->mutex);
    return core_->problem;
}

}  // namespace lt::bench
