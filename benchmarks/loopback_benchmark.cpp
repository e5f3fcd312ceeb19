// loopback_benchmark.cpp: prints the loopback path's frame rate natively (worker thread,
// title formatting, simulated bench), for 64- and 1514-byte frames.
// Usage: loopback-benchmark [FRAMES]   (default 100000 frames on one adapter)
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "benchmarks/loopback_figures.h"

namespace {

struct Threads : lt::ethtester::WorkerThreads {
    struct Worker : lt::ethtester::WorkerThread {
        std::thread thread;
        bool waitEndOrServeMessages() override {
            thread.join();
            return true;
        }
        void joinServingSent() override {
            if (thread.joinable()) thread.join();
        }
    };
    std::unique_ptr<lt::ethtester::WorkerThread> start(std::function<void()> body, uint32_t&) override {
        auto w = std::make_unique<Worker>();
        w->thread = std::thread(std::move(body));
        return w;
    }
    void yieldProcessor() override { std::this_thread::yield(); }
};

struct Event : lt::ethtester::RunIdleEvent {
    std::atomic<bool> on{false};
    void set() override { on = true; }
    void reset() override { on = false; }
    bool isSet() const override { return on; }
    void waitServingSent() override {}
};

// Keeps the last title as a window would, without drawing it.
struct Title : lt::ethtester::TitleSink {
    char last[128] = {};
    void setTitle(const char* text) override {
        for (std::size_t i = 0; i + 1 < sizeof last && (last[i] = text[i]) != 0; ++i) {
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    const uint32_t frames = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 100000;
    const auto dir = std::filesystem::temp_directory_path() / "lt-loopback-benchmark";
    std::filesystem::create_directories(dir);
    Threads threads;
    Event event;
    Title title;
    for (uint32_t size : {64u, 1514u})
        lt::benchmarks::printFigure("native", lt::benchmarks::measureLoopback(dir.string(), 1, frames, size, threads,
                                                                             event, title));
    std::filesystem::remove_all(dir);
    return 0;
}
