// loopback_benchmark_win32.cpp: prints the loopback path's frame rate under Windows or Wine
// through a real window (worker thread, window title set from the worker, simulated bench),
// and the largest delay the user-interface thread shows for a posted message meanwhile.
// Usage: loopback-benchmark.exe [FRAMES]   (default 100000 frames on one adapter)
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "benchmarks/loopback_figures.h"
#include "win32/worker_threads_win32.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;
LARGE_INTEGER frequency;
std::atomic<long long> worstDelay{0};  // in performance-counter ticks

long long now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kProbe) {
        const long long delay = now() - static_cast<long long>(lParam);
        if (delay > worstDelay) worstDelay = delay;
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

struct WindowTitle : lt::ethtester::TitleSink {
    HWND window;
    explicit WindowTitle(HWND w) : window(w) {}
    void setTitle(const char* text) override { SetWindowTextA(window, text); }
};

}  // namespace

int main(int argc, char** argv) {
    const uint32_t frames = argc > 1 ? static_cast<uint32_t>(std::strtoul(argv[1], nullptr, 10)) : 100000;
    QueryPerformanceFrequency(&frequency);

    WNDCLASSA wc{};
    wc.lpfnWndProc = windowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "LoopbackBenchmark";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "Ethernet Diagnostic Tool", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  0, 0, 400, 120, nullptr, nullptr, wc.hInstance, nullptr);

    const auto dir = std::filesystem::temp_directory_path() / "lt-loopback-benchmark";
    std::filesystem::create_directories(dir);
    lt::win32::WorkerThreadsWin32 threads;
    lt::win32::RunIdleEventWin32 event;
    WindowTitle title(window);

    for (uint32_t size : {64u, 1514u}) {
        worstDelay = 0;
        std::atomic<bool> probing{true};
        // Another thread posts a time-stamped message every 5 ms, as input would arrive.
        std::thread prober([&] {
            while (probing) {
                PostMessageA(window, kProbe, 0, static_cast<LPARAM>(now()));
                Sleep(5);
            }
        });
        const auto f = lt::benchmarks::measureLoopback(dir.string(), 1, frames, size, threads, event, title);
        probing = false;
        prober.join();
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        lt::benchmarks::printFigure("windows", f);
        std::printf("         largest delay of a posted message during the run: %.2f ms\n",
                    1000.0 * double(worstDelay.load()) / double(frequency.QuadPart));
    }
    std::filesystem::remove_all(dir);
    DestroyWindow(window);
    return 0;
}
