// diagnostics_result.h: the result codes of EthTester's tests, workers and test run, and the captured selection.
#pragma once

#include <cstdint>

namespace lt::ethtester {

// The result of a test, a worker or a whole run: 0 passed, 10 stopped, any other value
// failed. A type of its own, so that no other number (a count, an error code, a string ID)
// can be handed on as a result: results are the named ones below, or a code turned into
// one on purpose with TestResult{code}.
class TestResult {
public:
    constexpr explicit TestResult(int code) : code_(code) {}

    constexpr int code() const { return code_; }
    constexpr bool passed() const { return code_ == 0; }
    constexpr bool stopped() const { return code_ == 10; }
    constexpr bool failed() const { return !passed() && !stopped(); }

    friend constexpr bool operator==(TestResult, TestResult) = default;

private:
    int code_;
};

inline constexpr TestResult kPassed{0};
inline constexpr TestResult kNoControlDevice{1};    // job launcher: the control device could not be opened
inline constexpr TestResult kDeviceCountFailed{2};  // IOCTL_GET_DEVICE_COUNT failed
inline constexpr TestResult kNoAdapter{3};          // no adapter attached
inline constexpr TestResult kRegisterWriteFailed{4};
inline constexpr TestResult kRegisterReadFailed{5};
inline constexpr TestResult kRegisterWrongValue{6};
inline constexpr TestResult kStopped{10};           // stopped by Exit
inline constexpr TestResult kLoopbackMismatch{11};
inline constexpr TestResult kSendReceiveFailed{12};
inline constexpr TestResult kLoopbackModeFailed{13};
inline constexpr TestResult kThreadStartFailed{14};
inline constexpr TestResult kNotAutoNegotiation{15};
// EthTester's exit code when it ends without a test run (Exit before any Start, or a Start
// that stopped at its driver check): never 0, so a station never takes it for a pass.
inline constexpr TestResult kNoRun{16};

// What Start captured from the dialog; workers read it, nobody changes it during a run.
struct TestSelection {
    bool registerTest = false;
    bool quickLoopback = false;
    bool longLoopback = false;
    bool externalLoopback = false;
    bool logging = false;
    uint32_t packetCount = 0;  // captured only when long or external loopback is selected
    int32_t packetSize = 0;
};

}  // namespace lt::ethtester
