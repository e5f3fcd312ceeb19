// loopback_check.h: the loopback worker serving the quick, long and external loopback tests.
#pragma once

#include <cstdint>

#include "common/adapter/control_device.h"
#include "ethtester/worker.h"

namespace lt::ethtester {

enum class LoopbackKind { Quick, Long, External };

// Frames per adapter and frame size of a test: quick sends 10 frames of 1514 bytes;
// long and external send the selection's count and size, where a count of 0 means 10,
// a size of 0 means 1514 and a size below 64 is raised to 64.
struct LoopbackPlan {
    uint32_t frames;
    uint32_t frameSize;
    uint16_t mode;  // 1 internal, 2 external
};
LoopbackPlan loopbackPlan(LoopbackKind kind, const TestSelection& selection);

// The test frame: every byte 0xFF, then bytes 12 and 13 set to size - 14, high byte first
// (a broadcast frame whose length field counts the payload). `frame` has the frame size.
void buildTestFrame(uint8_t* frame, uint32_t size);

// Walks the adapters from the highest number down: loopback on, the frames one at a time,
// each compared with what was sent, loopback off. Returns 0, 10, 11, 12 or 13.
TestResult runLoopbackWorker(WorkerContext& context, adapter::ControlHandle& handle, LoopbackKind kind);

}  // namespace lt::ethtester
