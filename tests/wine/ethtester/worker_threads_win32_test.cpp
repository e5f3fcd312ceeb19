// worker_threads_win32_test.cpp: the Win32 worker threads and run-idle event: the waits of the
// user-interface thread keep serving the messages a worker sends it, so a worker that sets the
// window title never deadlocks against them.
#include "win32/worker_threads_win32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using lt::win32::RunIdleEventWin32;
using lt::win32::WorkerThreadsWin32;

namespace {

// A window of this (the user-interface) thread.
struct TestWindow {
    HWND hwnd = CreateWindowExA(0, "STATIC", "before", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ~TestWindow() { DestroyWindow(hwnd); }
    std::string title() const {
        char text[128] = {};
        GetWindowTextA(hwnd, text, sizeof text);
        return text;
    }
};

}  // namespace

TEST(WorkerThreadsWin32, aWorkerSettingTheTitleIsServedWhileTheUserInterfaceThreadWaits) {
    TestWindow window;
    WorkerThreadsWin32 threads;
    uint32_t error = 0;
    std::atomic<int> titles{0};
    auto worker = threads.start(
        [&] {
            char text[32];
            for (int i = 1; i <= 200; ++i) {
                std::snprintf(text, sizeof text, "frame %d", i);
                SetWindowTextA(window.hwnd, text);  // sent to the waiting thread
                ++titles;
            }
        },
        error);
    ASSERT_NE(worker, nullptr);
    while (!worker->waitEndOrServeMessages()) {
    }
    worker->joinServingSent();
    EXPECT_EQ(titles.load(), 200);
    EXPECT_EQ(window.title(), "frame 200");
}

TEST(WorkerThreadsWin32, joinServingSentServesTheTitleOfAWorkerThatIsStillRunning) {
    TestWindow window;
    WorkerThreadsWin32 threads;
    uint32_t error = 0;
    auto worker = threads.start([&] { SetWindowTextA(window.hwnd, "from the worker"); }, error);
    ASSERT_NE(worker, nullptr);
    worker->joinServingSent();
    EXPECT_EQ(window.title(), "from the worker");
}

TEST(RunIdleEventWin32, isManualResetAndItsWaitServesSentMessages) {
    TestWindow window;
    RunIdleEventWin32 event;
    EXPECT_FALSE(event.isSet());
    WorkerThreadsWin32 threads;
    uint32_t error = 0;
    auto worker = threads.start(
        [&] {
            SetWindowTextA(window.hwnd, "stopping");
            event.set();
        },
        error);
    event.waitServingSent();
    EXPECT_TRUE(event.isSet());
    // Manual reset: neither the wait nor isSet took the event back, so a second wait returns
    // at once. A watchdog sets the event after 5 s, which fails the test instead of hanging it.
    std::atomic<bool> secondWaitDone{false}, watchdogSetIt{false};
    std::thread watchdog([&] {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (!secondWaitDone && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (!secondWaitDone) {
            watchdogSetIt = true;
            event.set();
        }
    });
    event.waitServingSent();
    secondWaitDone = true;
    watchdog.join();
    EXPECT_FALSE(watchdogSetIt) << "the event did not stay set after the first wait";
    EXPECT_TRUE(event.isSet());
    worker->joinServingSent();
    EXPECT_EQ(window.title(), "stopping");
    event.reset();
    EXPECT_FALSE(event.isSet());
}
