// loopback_figures.cpp: one long loopback test on a fresh bench, timed.
#include "benchmarks/loopback_figures.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <sstream>

#include "bench/bench_control.h"
#include "bench/bench_device.h"
#include "ethtester/diagnostics_run.h"

namespace lt::benchmarks {
namespace {

// Messages go nowhere: the figure is the loopback path's own.
struct SilentReporter : ethtester::Reporter {
    void showStatus(uint32_t) override {}
    void logMessage(uint32_t) override {}
    void reportError(uint32_t, uint32_t, uint32_t, bool) override {}
    void logLine(const char*) override {}
};

}  // namespace

LoopbackFigure measureLoopback(const std::string& directory, uint32_t adapters, uint32_t frames, uint32_t frameSize,
                               ethtester::WorkerThreads& threads, ethtester::RunIdleEvent& runIdle,
                               ethtester::TitleSink& title) {
    const std::string benchPath = directory + "/loopback-bench.txt";
    std::ostringstream out, err;
    bench::runBenchctl({benchPath, "create", std::to_string(adapters)}, out, err);
    bench::BenchDevice device(benchPath);
    SilentReporter reporter;
    std::atomic<int> stop{0};
    ethtester::TestRun run(device, threads, runIdle, reporter, title, stop);
    ethtester::TestSelection s;
    s.longLoopback = true;
    s.packetCount = frames;
    s.packetSize = static_cast<int32_t>(frameSize);

    LoopbackFigure f{frameSize, frames, adapters, 0, 0};
    const auto begin = std::chrono::steady_clock::now();
    f.result = run.runTests(s).code();
    f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    return f;
}

void printFigure(const char* where, const LoopbackFigure& f) {
    std::printf("%-8s frame %4u bytes  %u adapters x %u frames  %.3f s  %.0f frames/s  result %d\n", where,
                f.frameSize, f.adapters, f.frames, f.seconds, f.framesPerSecond(), f.result);
}

}  // namespace lt::benchmarks
