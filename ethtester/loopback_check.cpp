// loopback_check.cpp: the loopback worker.
#include "ethtester/loopback_check.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "common/adapter/requests.h"
#include "resources/ethtester_ids.h"

namespace lt::ethtester {

LoopbackPlan loopbackPlan(LoopbackKind kind, const TestSelection& s) {
    if (kind == LoopbackKind::Quick) return {10, 1514, 1};
    const uint32_t frames = s.packetCount == 0 ? 10 : s.packetCount;
    uint32_t size = s.packetSize <= 0 ? 1514u : static_cast<uint32_t>(s.packetSize);
    if (size < 64) size = 64;
    return {frames, size, static_cast<uint16_t>(kind == LoopbackKind::External ? 2 : 1)};
}

void buildTestFrame(uint8_t* frame, uint32_t size) {
    std::memset(frame, 0xFF, size);
    const uint32_t length = size - 14;
    frame[12] = static_cast<uint8_t>(length >> 8);
    frame[13] = static_cast<uint8_t>(length);
}

TestResult runLoopbackWorker(WorkerContext& c, adapter::ControlHandle& h, LoopbackKind kind) {
    uint32_t count = 0;
    TestResult result = kPassed;
    if (!countAdapters(c, h, count, result)) return result;

    const LoopbackPlan plan = loopbackPlan(kind, c.selection);
    // Both buffers are made once per job; nothing is allocated inside the frame loop.
    const auto frame = std::make_unique<uint8_t[]>(plan.frameSize);
    const auto received = std::make_unique<uint8_t[]>(plan.frameSize + 1);
    buildTestFrame(frame.get(), plan.frameSize);
    const std::span<const uint8_t> sent(frame.get(), plan.frameSize);
    const std::span<uint8_t> receive(received.get(), plan.frameSize + 1);

    char title[96];
    char line[96];
    for (uint32_t device = count; device >= 1; --device) {
        const auto dev = static_cast<uint16_t>(device);
        if (c.stopSeen()) return stopWorker(c);
        uint32_t error = 0;
        if (!reportIfFailed(c, adapter::setLoopbackMode(h, dev, plan.mode, error), error)) {
            c.reporter.logMessage(IDS_ERR_LOOPBACK_BIT);
            return kLoopbackModeFailed;
        }
        uint32_t i = 1;
        for (; i <= plan.frames; ++i) {
            std::snprintf(title, sizeof title, "Ethernet Diagnostic Tool - Packet Count: %u / %u", i, plan.frames);
            if (c.stopSeen()) { result = stopWorker(c); break; }
            c.title.setTitle(title);
            if (c.stopSeen()) { result = stopWorker(c); break; }
            // A frame that does not come back must not pass on what the previous one
            // left behind: clear the buffer to a value the frame cannot hold (its first
            // byte is always 0xFF).
            std::memset(received.get(), 0, plan.frameSize + 1);
            if (!reportIfFailed(c, adapter::sendReceivePacket(h, dev, sent, receive, error), error)) {
                c.reporter.logMessage(IDS_ERR_SEND_RECEIVE);
                result = kSendReceiveFailed;
                break;
            }
            if (std::memcmp(received.get(), frame.get(), plan.frameSize) != 0) {
                c.reporter.logMessage(IDS_ERR_DATA_COMPARE);
                result = kLoopbackMismatch;
                break;
            }
        }
        if (i <= plan.frames) {  // the series was left early
            std::snprintf(line, sizeof line, "Device %u is under test, \nPacket Count : %u / %u", device, i,
                          plan.frames);
            c.reporter.logLine(line);
        }
        if (!reportIfFailed(c, adapter::setLoopbackMode(h, dev, 0, error), error)) {
            c.reporter.logMessage(IDS_ERR_LOOPBACK_BIT);
            result = kLoopbackModeFailed;
        }
        if (result != kPassed) return result;
    }
    return kPassed;
}

}  // namespace lt::ethtester
