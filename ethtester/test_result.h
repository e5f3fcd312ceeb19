// test_result.h: the result codes of EthTester's tests, workers and test run, and the captured selection.
#pragma once

#include <cstdint>

namespace lt::ethtester {

// 0 passed, 10 stopped, any other value failed.
using TestResult = int;

constexpr TestResult kPassed = 0;
constexpr TestResult kNoControlDevice = 1;      // job launcher: the control device could not be opened
constexpr TestResult kDeviceCountFailed = 2;    // IOCTL_GET_DEVICE_COUNT failed
constexpr TestResult kNoAdapter = 3;            // no adapter attached
constexpr TestResult kRegisterWriteFailed = 4;
constexpr TestResult kRegisterReadFailed = 5;
constexpr TestResult kRegisterWrongValue = 6;
constexpr TestResult kStopped = 10;             // stopped by Exit
constexpr TestResult kLoopbackMismatch = 11;
constexpr TestResult kSendReceiveFailed = 12;
constexpr TestResult kLoopbackModeFailed = 13;
constexpr TestResult kThreadStartFailed = 14;
constexpr TestResult kNotAutoNegotiation = 15;
// EthTester's exit code when it ends without a test run (Exit before any Start, or a Start
// that stopped at its driver check): never 0, so a station never takes it for a pass.
constexpr TestResult kNoRun = 16;

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
