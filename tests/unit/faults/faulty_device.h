// faulty_device.h: a control device that counts open and closed handles and disturbs one chosen request or open.
//
// Wraps another device (the bench). Requests are numbered from 1 across all handles in the
// order they are made; the chosen one either fails with a system error or "answers short":
// the driver carries it out but no byte of its reply reaches the caller, whose buffer stays
// as the caller filled it. Opens are numbered the
// same way and the chosen one fails. Safe to use from a worker thread.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "common/adapter/control_device.h"

namespace lt::test {

struct FaultyDevice : adapter::ControlDevice {
    enum class Fault { none, fail, answerShort };
    static constexpr uint32_t kRequestError = 31;  // ERROR_GEN_FAILURE
    static constexpr uint32_t kOpenError = 2;      // ERROR_FILE_NOT_FOUND

    struct Request {
        uint32_t code;
        std::vector<uint8_t> input;
    };

    adapter::ControlDevice& inner;
    Fault fault = Fault::none;
    uint32_t faultAt = 0;      // the request disturbed (0: none)
    uint32_t openFailAt = 0;   // the open refused (0: none)

    std::mutex mutex;
    std::vector<Request> requests;   // every request made, in order
    uint32_t openCalls = 0;
    int opened = 0;                  // handles handed out
    int closed = 0;                  // handles destroyed
    bool faultHit = false;

    explicit FaultyDevice(adapter::ControlDevice& device) : inner(device) {}

    int openHandles() {
        std::lock_guard<std::mutex> lock(mutex);
        return opened - closed;
    }
    // The request that was disturbed (valid when faultHit).
    Request disturbed() {
        std::lock_guard<std::mutex> lock(mutex);
        return requests.at(faultAt - 1);
    }

    struct Handle : adapter::ControlHandle {
        FaultyDevice& owner;
        std::unique_ptr<adapter::ControlHandle> handle;
        Handle(FaultyDevice& o, std::unique_ptr<adapter::ControlHandle> h) : owner(o), handle(std::move(h)) {}
        ~Handle() override {
            std::lock_guard<std::mutex> lock(owner.mutex);
            ++owner.closed;
        }
        bool request(uint32_t code, std::span<const uint8_t> input, std::span<uint8_t> reply,
                     uint32_t& error) override {
            Fault now = Fault::none;
            {
                std::lock_guard<std::mutex> lock(owner.mutex);
                owner.requests.push_back({code, std::vector<uint8_t>(input.begin(), input.end())});
                if (owner.requests.size() == owner.faultAt) {
                    now = owner.fault;
                    owner.faultHit = true;
                }
            }
            if (now == Fault::fail) {
                error = kRequestError;
                return false;
            }
            if (now == Fault::answerShort) {
                // The driver does the work; its answer never reaches the caller's buffer.
                std::vector<uint8_t> lost(reply.size());
                return handle->request(code, input, lost, error);
            }
            return handle->request(code, input, reply, error);
        }
    };

    std::unique_ptr<adapter::ControlHandle> open(uint32_t& error) override {
        {
            std::lock_guard<std::mutex> lock(mutex);
            if (++openCalls == openFailAt) {
                error = kOpenError;
                return nullptr;
            }
        }
        auto h = inner.open(error);
        if (!h) return nullptr;
        std::lock_guard<std::mutex> lock(mutex);
        ++opened;
        return std::make_unique<Handle>(*this, std::move(h));
    }
};

}  // namespace lt::test
