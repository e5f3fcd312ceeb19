// register_check.cpp: the register plan, the PHY check and the register worker.
#include "ethtester/register_check.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <initializer_list>

#include "common/adapter/driver_contract.h"
#include "common/adapter/requests.h"
#include "resources/ethtester_ids.h"

namespace lt::ethtester {
namespace {

using adapter::ControlHandle;


// Registers are numbered from 1 in the plan and the log; requests carry number - 1.
TestResult checkRange(WorkerContext& c, ControlHandle& h, uint16_t device, uint8_t written, uint8_t expected,
                      int first, int last) {
    uint8_t read = 0;  // zeroed once per range, as the log's "Byte Read" shows it
    char line[128];
    for (int n = first; n <= last; ++n) {
        uint32_t error = 0;
        const auto index = static_cast<uint16_t>(n - 1);
        if (!reportIfFailed(c, adapter::writeMacRegister(h, device, index, written, error), error)) {
            std::snprintf(line, sizeof line, "Register Index - %d, Byte Written - 0x%02x", n, written);
            c.reporter.logLine(line);
            return kRegisterWriteFailed;
        }
        if (!reportIfFailed(c, adapter::readMacRegister(h, device, index, read, error), error)) {
            std::snprintf(line, sizeof line, "Register Index - %d, Byte Written - 0x%02x, Byte Read - 0x%02x", n,
                          written, read);
            c.reporter.logLine(line);
            return kRegisterReadFailed;
        }
        if (read != expected) {
            std::snprintf(line, sizeof line, "RegIndex - %d, Byte Written-0x%02x, Expected-0x%02x, Read-0x%02x", n,
                          written, expected, read);
            c.reporter.logLine(line);
            return kRegisterWrongValue;
        }
    }
    return kPassed;
}

TestResult runRegisterPlan(WorkerContext& c, ControlHandle& h, uint16_t device) {
    struct Row { uint8_t written, expected; int first, last; };
    constexpr Row counting[] = {{0xFF, 0xFF, 1, 7}, {0x80, 0x80, 8, 8}, {0x18, 0x18, 9, 9}, {0x10, 0x10, 10, 10}};
    for (const Row& row : counting) {
        if (TestResult r = checkRange(c, h, device, row.written, row.expected, row.first, row.last); r != kPassed)
            return r;
    }
    checkRange(c, h, device, 0xFF, 0xFF, 11, 14);  // logged only: these faults do not count
    TestResult kept = checkRange(c, h, device, 0xFF, 0xFB, 15, 15);

    uint32_t revision = 0, error = 0;
    if (reportIfFailed(c, adapter::getChipRevision(h, revision, error), error) && revision == adapter::kRevisionWithDescriptors)
        kept = checkRange(c, h, device, 0xFF, 0xFF, 22, 22);
    return kept;
}

// Resets the PHY and reads its registers; stops at the first failed request or value
// that is not accepted. Never fails the adapter.
void checkPhy(WorkerContext& c, ControlHandle& h, uint16_t device) {
    struct Read { uint8_t reg; uint32_t failureMessage; std::initializer_list<uint16_t> accepted; };
    const Read reads[] = {
        {0, IDS_ERR_READ_CONTROL, {}},  // read back after the reset, not checked
        {1, IDS_ERR_READ_STATUS, {0x7809}},
        {4, IDS_ERR_READ_ANA, {0x11E1, 0x01E1, 0x19E1, 0x09E1}},
        {5, IDS_ERR_READ_ANLPA, {0x1000, 0x0000, 0x1800, 0x0800}},
        {6, IDS_ERR_READ_ANE, {0x0000}},
    };
    const bool log = c.selection.logging;
    uint32_t error = 0;
    if (!reportIfFailed(c, adapter::writePhyRegister(h, device, 0, 0x8000, error), error)) {
        c.reporter.logMessage(IDS_ERR_PHY_RESET);
        c.reporter.reportError(0, error, IDS_API_DEVICEIOCONTROL, log);
        return;
    }
    for (const Read& r : reads) {
        uint16_t value = 0;
        if (!reportIfFailed(c, adapter::readPhyRegister(h, device, r.reg, value, error), error)) {
            c.reporter.logMessage(r.failureMessage);
            c.reporter.reportError(0, error, IDS_API_DEVICEIOCONTROL, log);
            return;
        }
        if (r.accepted.size() != 0 && std::find(r.accepted.begin(), r.accepted.end(), value) == r.accepted.end()) {
            char line[64];
            std::snprintf(line, sizeof line, "RegIndex - %d, DataRead-0x%04x", 1, value);
            c.reporter.logLine(line);
            return;
        }
    }
}

}  // namespace

TestResult runRegisterWorker(WorkerContext& context, ControlHandle& handle) {
    uint32_t count = 0;
    TestResult result = kPassed;
    if (!countAdapters(context, handle, count, result)) return result;
    for (uint32_t device = 1; device <= count; ++device) {
        if (context.stopSeen()) return stopWorker(context);
        const auto dev = static_cast<uint16_t>(device);
        if (TestResult r = runRegisterPlan(context, handle, dev); r != kPassed) return r;
        checkPhy(context, handle, dev);
    }
    return kPassed;
}

}  // namespace lt::ethtester
