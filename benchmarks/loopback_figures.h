// loopback_figures.h: the loopback path measured end to end (worker, title, bench), shared by
// the native and the Windows benchmark programs.
#pragma once

#include <cstdint>
#include <string>

#include "ethtester/run_ports.h"
#include "ethtester/worker_threads.h"

namespace lt::benchmarks {

struct LoopbackFigure {
    uint32_t frameSize = 0;
    uint32_t frames = 0;     // per adapter
    uint32_t adapters = 0;
    double seconds = 0;
    int result = 0;          // the test's result code (0 passed)
    double framesPerSecond() const { return seconds > 0 ? double(frames) * adapters / seconds : 0; }
};

// Creates a bench of `adapters` adapters in `directory` and runs one long loopback test of
// `frames` frames of `frameSize` bytes through the real test run, with the given ports.
LoopbackFigure measureLoopback(const std::string& directory, uint32_t adapters, uint32_t frames, uint32_t frameSize,
                               ethtester::WorkerThreads& threads, ethtester::RunIdleEvent& runIdle,
                               ethtester::TitleSink& title);

void printFigure(const char* where, const LoopbackFigure& f);

}  // namespace lt::benchmarks
