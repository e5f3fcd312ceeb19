// run_fakes.h: test doubles for EthTester's test run: threads, reporter, title, run-idle
// event, and a device wrapper that watches (and can disturb) the requests on the bench.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "common/adapter/control_device.h"
#include "common/adapter/ioctl_codes.h"
#include "ethtester/run_ports.h"
#include "ethtester/worker_threads.h"
#include "ethtester/diagnostics_result.h"

namespace lt::ethtester {
// A result as a failed expectation shows it.
inline void PrintTo(TestResult result, std::ostream* out) { *out << "result " << result.code(); }
}  // namespace lt::ethtester

namespace lt::test {

// Worker threads on std::thread; can refuse to start one.
struct FakeWorkerThreads : ethtester::WorkerThreads {
    bool refuseStart = false;
    int started = 0;

    struct Thread : ethtester::WorkerThread {
        std::thread thread;
        bool waitEndOrServeMessages() override {
            if (thread.joinable()) thread.join();
            return true;
        }
        void joinServingSent() override {
            if (thread.joinable()) thread.join();
        }
        ~Thread() override {
            if (thread.joinable()) thread.join();
        }
    };

    std::unique_ptr<ethtester::WorkerThread> start(std::function<void()> body, uint32_t& error) override {
        if (refuseStart) {
            error = 8;  // not enough memory
            return nullptr;
        }
        ++started;
        auto t = std::make_unique<Thread>();
        t->thread = std::thread(std::move(body));
        return t;
    }
    void yieldProcessor() override { std::this_thread::yield(); }
};

// Records every message and log call as a line of text, in order.
struct FakeReporter : ethtester::Reporter {
    std::mutex mutex;
    std::vector<std::string> events;

    void add(std::string e) {
        std::lock_guard<std::mutex> lock(mutex);
        events.push_back(std::move(e));
    }
    void showStatus(uint32_t id) override { add("status " + std::to_string(id)); }
    void logMessage(uint32_t id) override { add("log " + std::to_string(id)); }
    void reportError(uint32_t message, uint32_t systemError, uint32_t api, bool log) override {
        add("error " + std::to_string(message) + " sys " + std::to_string(systemError) + " api " +
            std::to_string(api) + (log ? " logged" : ""));
    }
    void logLine(const char* text) override { add(std::string("line ") + text); }

    // The events that start with `prefix`.
    std::vector<std::string> only(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e.rfind(prefix, 0) == 0) out.push_back(e);
        return out;
    }
    bool has(const std::string& event) const {
        for (const auto& e : events)
            if (e == event) return true;
        return false;
    }
};

struct FakeTitle : ethtester::TitleSink {
    std::atomic<int> sets{0};
    std::mutex mutex;
    std::string last;
    void setTitle(const char* text) override {
        ++sets;
        std::lock_guard<std::mutex> lock(mutex);
        last = text;
    }
};

// Its wait gives up after `waitLimit` and fails the test: a wait for an event that nobody
// sets is a hang of the program, and must not hang the test run.
struct FakeRunIdleEvent : ethtester::RunIdleEvent {
    std::atomic<bool> state{false};
    std::chrono::milliseconds waitLimit{10000};
    bool gaveUp = false;
    void set() override { state = true; }
    void reset() override { state = false; }
    bool isSet() const override { return state; }
    void waitServingSent() override {
        const auto deadline = std::chrono::steady_clock::now() + waitLimit;
        while (!state) {
            if (std::chrono::steady_clock::now() >= deadline) {
                gaveUp = true;
                ADD_FAILURE() << "the wait for the run-idle event did not end: nothing sets it";
                return;
            }
            std::this_thread::yield();
        }
    }
};

// Wraps a device: records each request's code and device number, and can act on the
// n-th frame sent (press Exit, or swallow the frame: the request succeeds and nothing
// comes back).
struct WatchingDevice : adapter::ControlDevice {
    struct Request {
        uint32_t code;
        uint16_t device;  // 0 for requests without one
        std::string text;  // the register requests with their fields, as the register test's log numbers them
    };
    adapter::ControlDevice& inner;
    std::mutex mutex;
    std::vector<Request> requests;
    int opened = 0;
    uint32_t frames = 0;
    uint32_t stopAtFrame = 0;     // sets *stop when this frame is sent
    uint32_t swallowFrame = 0;    // this frame is answered with success and no data
    std::atomic<int>* stop = nullptr;

    explicit WatchingDevice(adapter::ControlDevice& d) : inner(d) {}

    std::vector<Request> seen() {
        std::lock_guard<std::mutex> lock(mutex);
        return requests;
    }
    // The texts of the requests in order ("register 8 of 1 := 80", "phy 0 of 2 := 8000",
    // "register 8 of 1?", "phy 1 of 2?", "chip revision?"), other requests left out.
    std::vector<std::string> registerRequests() {
        std::vector<std::string> out;
        for (const Request& r : seen())
            if (!r.text.empty()) out.push_back(r.text);
        return out;
    }
    static std::string describe(uint32_t code, std::span<const uint8_t> in) {
        using namespace adapter;
        auto u16 = [&](std::size_t i) { return unsigned(in[i] | in[i + 1] << 8); };
        char text[64] = {};
        if (code == IOCTL_WRITE_MAC_REGISTER && in.size() >= 7)
            std::snprintf(text, sizeof text, "register %u of %u := %02x", u16(0) + 1, u16(4), unsigned(in[6]));
        else if (code == IOCTL_READ_MAC_REGISTER && in.size() >= 4)
            std::snprintf(text, sizeof text, "register %u of %u?", u16(0) + 1, u16(2));
        else if (code == IOCTL_WRITE_PHY_REGISTER && in.size() >= 5)
            std::snprintf(text, sizeof text, "phy %u of %u := %04x", unsigned(in[4]), u16(2), u16(0));
        else if (code == IOCTL_READ_PHY_REGISTER && in.size() >= 3)
            std::snprintf(text, sizeof text, "phy %u of %u?", unsigned(in[2]), u16(0));
        else if (code == IOCTL_GET_CHIP_REVISION)
            std::snprintf(text, sizeof text, "chip revision?");
        return text;
    }
    // The device numbers of the requests with `code`, in order.
    std::vector<uint16_t> devicesOf(uint32_t code) {
        std::vector<uint16_t> out;
        for (const Request& r : seen())
            if (r.code == code) out.push_back(r.device);
        return out;
    }

    struct Handle : adapter::ControlHandle {
        WatchingDevice& owner;
        std::unique_ptr<adapter::ControlHandle> inner;
        Handle(WatchingDevice& o, std::unique_ptr<adapter::ControlHandle> h) : owner(o), inner(std::move(h)) {}
        bool request(uint32_t code, std::span<const uint8_t> input, std::span<uint8_t> reply,
                     uint32_t& error) override {
            uint16_t device = 0;
            using namespace adapter;
            if (code == IOCTL_READ_PHY_REGISTER || code == IOCTL_SEND_RECEIVE_PACKET || code == IOCTL_SET_LOOPBACK_MODE)
                device = uint16_t(input[0] | input[1] << 8);
            else if (code == IOCTL_WRITE_PHY_REGISTER || code == IOCTL_READ_MAC_REGISTER)
                device = uint16_t(input[2] | input[3] << 8);
            else if (code == IOCTL_WRITE_MAC_REGISTER)
                device = uint16_t(input[4] | input[5] << 8);
            {
                std::lock_guard<std::mutex> lock(owner.mutex);
                owner.requests.push_back({code, device, describe(code, input)});
            }
            if (code == IOCTL_SEND_RECEIVE_PACKET) {
                const uint32_t frame = ++owner.frames;
                if (frame == owner.stopAtFrame && owner.stop) owner.stop->store(1);
                if (frame == owner.swallowFrame) return true;
            }
            return inner->request(code, input, reply, error);
        }
    };

    std::unique_ptr<adapter::ControlHandle> open(uint32_t& error) override {
        auto h = inner.open(error);
        if (!h) return nullptr;
        ++opened;
        return std::make_unique<Handle>(*this, std::move(h));
    }
};

}  // namespace lt::test
