// diagnostics_run_faults_test.cpp: EthTester's test run with each of its driver requests, and each open of the control device, failing or answering short in turn.
//
// For every k, a fresh bench and a run of every test in which request k (or open k) goes
// wrong. The run must end with the verdict that request's failure calls for, report it,
// and leave no handle open.
#include "ethtester/diagnostics_run.h"

#include <gtest/gtest.h>

#include "bench/bench_device.h"
#include "common/adapter/ioctl_codes.h"
#include "resources/ethtester_ids.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/unit/ethtester/run_fakes.h"
#include "tests/unit/faults/faulty_device.h"

using namespace lt::ethtester;
using namespace lt::adapter;
using lt::test::FaultyDevice;

namespace {

struct RunOutcome {
    TestResult result = kPassed;
    std::vector<std::string> events;
    int handlesLeft = 0;
    bool faultHit = false;
    FaultyDevice::Request disturbed{};
    std::size_t requests = 0;
    uint32_t opens = 0;
};

struct TestRunFaults : ::testing::Test {
    lt::test::TempDir dir;

    static TestSelection everyTest() {
        TestSelection s;
        s.registerTest = s.quickLoopback = s.longLoopback = s.externalLoopback = true;
        s.logging = true;
        s.packetCount = 2;
        s.packetSize = 64;
        return s;
    }

    // One run of every test on a fresh bench of one adapter with its loopback plug.
    RunOutcome run(FaultyDevice::Fault fault, uint32_t faultAt, uint32_t openFailAt, int number) {
        const std::string benchPath = dir.file("bench" + std::to_string(number) + ".txt");
        lt::test::benchctl(benchPath, {"create", "1"});
        lt::test::benchctl(benchPath, {"set", "1", "external=1"});
        lt::bench::BenchDevice bench(benchPath);
        FaultyDevice device(bench);
        device.fault = fault;
        device.faultAt = faultAt;
        device.openFailAt = openFailAt;
        lt::test::FakeWorkerThreads threads;
        lt::test::FakeRunIdleEvent runIdle;
        lt::test::FakeReporter reporter;
        lt::test::FakeTitle title;
        std::atomic<int> stop{0};

        RunOutcome o;
        {
            TestRun testRun(device, threads, runIdle, reporter, title, stop);
            o.result = testRun.runTests(everyTest());
        }
        o.events = reporter.events;
        o.handlesLeft = device.openHandles();
        o.faultHit = device.faultHit;
        if (o.faultHit) o.disturbed = device.disturbed();
        o.requests = device.requests.size();
        o.opens = device.openCalls;
        return o;
    }
};

bool has(const std::vector<std::string>& events, const std::string& e) {
    return std::find(events.begin(), events.end(), e) != events.end();
}
std::string lastStatus(const std::vector<std::string>& events) {
    for (auto it = events.rbegin(); it != events.rend(); ++it)
        if (it->rfind("status ", 0) == 0) return *it;
    return "";
}
const std::string kRequestReport = "error 0 sys 31 api " + std::to_string(IDS_API_DEVICEIOCONTROL) + " logged";

// The register a register request names (numbered from 1; the request carries number - 1).
int registerOf(const FaultyDevice::Request& r) { return (r.input[0] | r.input[1] << 8) + 1; }

// What a failed request must end the run with. Registers 11 to 14, the chip revision and
// the PHY check are logged but decide nothing; on the bench's adapters (the later
// revision) register 22's result replaces register 15's.
TestResult verdictForFailed(const FaultyDevice::Request& r) {
    switch (r.code) {
        case IOCTL_GET_DEVICE_COUNT: return kDeviceCountFailed;
        case IOCTL_WRITE_MAC_REGISTER:
        case IOCTL_READ_MAC_REGISTER: {
            const int reg = registerOf(r);
            if (reg >= 11 && reg <= 15) return kPassed;
            return r.code == IOCTL_WRITE_MAC_REGISTER ? kRegisterWriteFailed : kRegisterReadFailed;
        }
        case IOCTL_GET_CHIP_REVISION:
        case IOCTL_WRITE_PHY_REGISTER:
        case IOCTL_READ_PHY_REGISTER: return kPassed;
        case IOCTL_GET_PHY_MODE: return kNotAutoNegotiation;
        case IOCTL_SET_LOOPBACK_MODE: return kLoopbackModeFailed;
        case IOCTL_SEND_RECEIVE_PACKET: return kSendReceiveFailed;
        default: return TestResult{-1};  // a request the run never sends
    }
}

}  // namespace

TEST_F(TestRunFaults, everyFailedRequestEndsTheRunWithItsVerdictAndItsReportAndReleasesEveryHandle) {
    const RunOutcome clean = run(FaultyDevice::Fault::none, 0, 0, 0);
    ASSERT_EQ(clean.result, kPassed);
    ASSERT_GT(clean.requests, 10u);
    for (uint32_t k = 1; k <= clean.requests; ++k) {
        const RunOutcome o = run(FaultyDevice::Fault::fail, k, 0, int(k));
        ASSERT_TRUE(o.faultHit) << "request " << k;
        const TestResult expected = verdictForFailed(o.disturbed);
        SCOPED_TRACE("request " + std::to_string(k) + " (" + std::string(ioctlName(o.disturbed.code)) + ")");
        EXPECT_EQ(o.result, expected);
        EXPECT_EQ(o.handlesLeft, 0);
        // The failure is reported with its system error, except the PHY mode check, which
        // reports the mode as not set.
        if (o.disturbed.code == IOCTL_GET_PHY_MODE)
            EXPECT_TRUE(has(o.events, "error " + std::to_string(IDS_PHY_NOT_AUTONEG) + " sys 0 api 0 logged"));
        else
            EXPECT_TRUE(has(o.events, kRequestReport));
        EXPECT_EQ(lastStatus(o.events),
                  "status " + std::to_string(expected == kPassed ? IDS_ALL_PASSED : IDS_ONE_FAULTY));
    }
}

TEST_F(TestRunFaults, everyRefusedOpenEndsTheRunAsFailedAndReleasesEveryHandle) {
    const RunOutcome clean = run(FaultyDevice::Fault::none, 0, 0, 0);
    ASSERT_GT(clean.opens, 1u);
    for (uint32_t k = 1; k <= clean.opens; ++k) {
        SCOPED_TRACE("open " + std::to_string(k));
        const RunOutcome o = run(FaultyDevice::Fault::none, 0, k, int(k));
        EXPECT_NE(o.result, kPassed);
        EXPECT_EQ(o.handlesLeft, 0);
        EXPECT_EQ(lastStatus(o.events), "status " + std::to_string(IDS_ONE_FAULTY));
        const bool launcherOpen = has(o.events, "error 0 sys 2 api " + std::to_string(IDS_API_CREATEFILE) + " logged");
        EXPECT_TRUE(launcherOpen ? o.result == kNoControlDevice : o.result == kNotAutoNegotiation);
    }
}

TEST_F(TestRunFaults, aRequestAnsweringShortNeverPassesAMissingValueAndReleasesEveryHandle) {
    const RunOutcome clean = run(FaultyDevice::Fault::none, 0, 0, 0);
    for (uint32_t k = 1; k <= clean.requests; ++k) {
        const RunOutcome o = run(FaultyDevice::Fault::answerShort, k, 0, int(k));
        ASSERT_TRUE(o.faultHit);
        SCOPED_TRACE("request " + std::to_string(k) + " (" + std::string(ioctlName(o.disturbed.code)) + ")");
        EXPECT_EQ(o.handlesLeft, 0);
        // A count that never arrives reads as no adapter; a register value that never
        // arrives reads as 0, which no counted register holds. Loopback frames come back
        // through their own buffer, not the reply, and the mode request has no reply.
        const uint32_t code = o.disturbed.code;
        if (code == IOCTL_GET_DEVICE_COUNT) {
            EXPECT_EQ(o.result, kNoAdapter);
        } else if (code == IOCTL_READ_MAC_REGISTER && registerOf(o.disturbed) <= 10) {
            EXPECT_EQ(o.result, kRegisterWrongValue);
        } else if (code == IOCTL_SEND_RECEIVE_PACKET || code == IOCTL_SET_LOOPBACK_MODE ||
                   code == IOCTL_WRITE_MAC_REGISTER) {
            EXPECT_EQ(o.result, kPassed);
        }
        EXPECT_EQ(lastStatus(o.events),
                  "status " + std::to_string(o.result == kPassed ? IDS_ALL_PASSED : IDS_ONE_FAULTY));
    }
}
