// diagnostics_run_test.cpp: EthTester's test run on the simulated bench: order, verdicts, stops,
// the register and PHY test, and the loopback worker.
#include "ethtester/diagnostics_run.h"

#include <gtest/gtest.h>

#include "bench/bench_device.h"
#include "common/adapter/ioctl_codes.h"
#include "ethtester/loopback_check.h"
#include "resources/ethtester_ids.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/unit/ethtester/run_fakes.h"

using namespace lt::ethtester;
using namespace lt::adapter;
using lt::test::FakeReporter;

namespace {

struct TestRunTest : ::testing::Test {
    lt::test::TempDir dir;
    std::string benchPath = dir.file("bench.txt");
    std::unique_ptr<lt::bench::BenchDevice> bench;
    std::unique_ptr<lt::test::WatchingDevice> device;
    lt::test::FakeWorkerThreads threads;
    lt::test::FakeRunIdleEvent runIdle;
    FakeReporter reporter;
    lt::test::FakeTitle title;
    std::atomic<int> stop{0};

    // `commands` are benchctl command lines run on the bench file before the run.
    void makeBench(std::initializer_list<std::vector<std::string>> commands) {
        for (const auto& c : commands) ASSERT_TRUE(lt::test::benchctl(benchPath, c));
        bench = std::make_unique<lt::bench::BenchDevice>(benchPath);
        device = std::make_unique<lt::test::WatchingDevice>(*bench);
        device->stop = &stop;
    }

    TestResult run(TestSelection s) {
        TestRun testRun(*device, threads, runIdle, reporter, title, stop);
        const TestResult r = testRun.runTests(s);
        EXPECT_TRUE(runIdle.isSet()) << "the run left the run-idle event reset";
        return r;
    }

    static TestSelection only(bool reg, bool quick, bool longLoop = false, bool external = false) {
        TestSelection s;
        s.registerTest = reg;
        s.quickLoopback = quick;
        s.longLoopback = longLoop;
        s.externalLoopback = external;
        s.logging = true;
        return s;
    }
};

std::string status(int id) { return "status " + std::to_string(id); }
std::string log(int id) { return "log " + std::to_string(id); }

}  // namespace

TEST_F(TestRunTest, aPassedRegisterOnlyRunLogsProgressAndVerdictAndShowsAllPassed) {
    makeBench({{"create", "2"}});
    EXPECT_EQ(run(only(true, false)), kPassed);
    EXPECT_EQ(reporter.events, (std::vector<std::string>{status(IDS_REGISTER_IN_PROGRESS),
                                                         log(IDS_REGISTER_IN_PROGRESS), log(IDS_REGISTER_PASSED),
                                                         status(IDS_ALL_PASSED)}));
}

TEST_F(TestRunTest, testsRunInTheFixedOrderWithThePhyCheckBeforeExternalAndLong) {
    makeBench({{"create", "1"}, {"set", "all", "external=1"}});
    TestSelection s = only(true, true, true, true);
    s.packetCount = 2;
    s.packetSize = 64;
    EXPECT_EQ(run(s), kPassed);
    EXPECT_EQ(reporter.only("status"),
              (std::vector<std::string>{status(IDS_REGISTER_IN_PROGRESS), status(IDS_QUICK_IN_PROGRESS),
                                        status(IDS_EXTERNAL_IN_PROGRESS), status(IDS_LONG_IN_PROGRESS),
                                        status(IDS_ALL_PASSED)}));
    // Loopback modes in order: quick (internal), external, long (internal), each on and off.
    std::vector<uint32_t> codes;
    for (const auto& r : device->seen())
        if (r.code == IOCTL_GET_PHY_MODE || r.code == IOCTL_SET_LOOPBACK_MODE) codes.push_back(r.code);
    EXPECT_EQ(codes, (std::vector<uint32_t>{IOCTL_SET_LOOPBACK_MODE, IOCTL_SET_LOOPBACK_MODE, IOCTL_GET_PHY_MODE,
                                            IOCTL_SET_LOOPBACK_MODE, IOCTL_SET_LOOPBACK_MODE,
                                            IOCTL_SET_LOOPBACK_MODE, IOCTL_SET_LOOPBACK_MODE}));
}

// The bench reads back what is written, so only the requests themselves show the plan's
// bytes: each adapter in turn gets its register rows, the revision query, register 22 (the
// bench's adapters are of revision 0x200) and then the PHY reset and reads.
TEST_F(TestRunTest, theRegisterAndPhyTestSendsThePlansRequestsToEachAdapterInTurn) {
    makeBench({{"create", "2"}});
    EXPECT_EQ(run(only(true, false)), kPassed);
    struct Row { int first, last; const char* byte; };
    const Row registerRows[] = {{1, 7, "ff"},   {8, 8, "80"},   {9, 9, "18"},  {10, 10, "10"},
                                {11, 14, "ff"}, {15, 15, "ff"}, {0, 0, ""},    {22, 22, "ff"}};
    const char* phyRequests[] = {"phy 0 of %d := 8000", "phy 0 of %d?", "phy 1 of %d?",
                                 "phy 4 of %d?",        "phy 5 of %d?", "phy 6 of %d?"};
    std::vector<std::string> expected;
    char text[64];
    for (int adapter = 1; adapter <= 2; ++adapter) {
        for (const Row& row : registerRows) {
            if (row.first == 0) expected.push_back("chip revision?");
            for (int n = row.first; row.first != 0 && n <= row.last; ++n) {
                std::snprintf(text, sizeof text, "register %d of %d := %s", n, adapter, row.byte);
                expected.push_back(text);
                std::snprintf(text, sizeof text, "register %d of %d?", n, adapter);
                expected.push_back(text);
            }
        }
        for (const char* phy : phyRequests) {
            std::snprintf(text, sizeof text, phy, adapter);
            expected.push_back(text);
        }
    }
    EXPECT_EQ(device->registerRequests(), expected);
}

TEST_F(TestRunTest, aRegisterFaultOnAdapterTwoOfThreeEndsTheRunBeforeAdapterThree) {
    makeBench({{"create", "3"}, {"set", "2", "register=15:0xFF"}, {"set", "all", "revision=0x100"},
               {"driver", "revision=0x100"}});
    EXPECT_EQ(run(only(true, true)), kRegisterWrongValue);
    EXPECT_TRUE(reporter.has("line RegIndex - 15, Byte Written-0xff, Expected-0xfb, Read-0xff"));
    EXPECT_TRUE(reporter.has("error " + std::to_string(IDS_REGISTER_FAILED) + " sys 0 api 0 logged"));
    EXPECT_EQ(reporter.events.back(), status(IDS_ONE_FAULTY));
    for (uint16_t d : device->devicesOf(IOCTL_WRITE_MAC_REGISTER)) EXPECT_NE(d, 3) << "adapter 3 was touched";
    EXPECT_TRUE(device->devicesOf(IOCTL_SET_LOOPBACK_MODE).empty()) << "quick loopback ran after a failure";
}

TEST_F(TestRunTest, registerFifteenWrongButTwentyTwoRightPassesOnTheLaterRevision) {
    makeBench({{"create", "1"}, {"set", "1", "register=15:0xFF"}});  // revision 0x200 by default
    EXPECT_EQ(run(only(true, false)), kPassed);
    EXPECT_TRUE(reporter.has("line RegIndex - 15, Byte Written-0xff, Expected-0xfb, Read-0xff"));
}

TEST_F(TestRunTest, faultsInRegistersElevenToFourteenAreOnlyLogged) {
    makeBench({{"create", "1"}, {"set", "1", "register=12:0x00"}});
    EXPECT_EQ(run(only(true, false)), kPassed);
    EXPECT_TRUE(reporter.has("line RegIndex - 12, Byte Written-0xff, Expected-0xff, Read-0x00"));
}

TEST_F(TestRunTest, registerRequestFailuresGiveWriteAndReadResultsAfterTheSystemReport) {
    struct Case { const char* fault; TestResult result; const char* line; };
    const Case cases[] = {
        {"fail=IOCTL_WRITE_MAC_REGISTER:3", kRegisterWriteFailed, "line Register Index - 3, Byte Written - 0xff"},
        {"fail=IOCTL_READ_MAC_REGISTER:9", kRegisterReadFailed,
         "line Register Index - 9, Byte Written - 0x18, Byte Read - 0x00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        reporter.events.clear();
        makeBench({{"create", "1"}, {"driver", c.fault}});
        EXPECT_EQ(run(only(true, false)), c.result);
        ASSERT_TRUE(reporter.has(c.line));
        const auto errors = reporter.only("error 0 sys");
        ASSERT_FALSE(errors.empty());
        EXPECT_NE(errors.front().find("api " + std::to_string(IDS_API_DEVICEIOCONTROL)), std::string::npos);
    }
}

TEST_F(TestRunTest, aPhyStatusOtherThanAfterResetIsLoggedAndTheAdapterPasses) {
    makeBench({{"create", "1"}, {"set", "1", "phy=1:0x782D"}});
    EXPECT_EQ(run(only(true, false)), kPassed);
    EXPECT_TRUE(reporter.has("line RegIndex - 1, DataRead-0x782d"));
}

TEST_F(TestRunTest, aFailedPhyReadLogsItsMessageBetweenTwoSystemReportsAndPasses) {
    makeBench({{"create", "1"}, {"driver", "fail=IOCTL_READ_PHY_REGISTER:3"}});  // the read of register 4
    EXPECT_EQ(run(only(true, false)), kPassed);
    const auto& e = reporter.events;
    auto it = std::find(e.begin(), e.end(), log(IDS_ERR_READ_ANA));
    ASSERT_NE(it, e.end());
    EXPECT_EQ((it - 1)->rfind("error 0 sys 31", 0), 0u);
    EXPECT_EQ((it + 1)->rfind("error 0 sys 31", 0), 0u);
}

TEST_F(TestRunTest, phyModeNotAutoNegotiationSkipsExternalAndLongEvenWithOnlyQuickSelected) {
    makeBench({{"create", "1"}, {"driver", "phymode=1"}});
    EXPECT_EQ(run(only(false, true, true, true)), kNotAutoNegotiation);
    EXPECT_TRUE(reporter.has(log(IDS_QUICK_PASSED)));
    EXPECT_TRUE(reporter.has("error " + std::to_string(IDS_PHY_NOT_AUTONEG) + " sys 0 api 0 logged"));
    EXPECT_FALSE(reporter.has(status(IDS_EXTERNAL_IN_PROGRESS)));
    EXPECT_FALSE(reporter.has(status(IDS_LONG_IN_PROGRESS)));
    EXPECT_EQ(reporter.events.back(), status(IDS_ONE_FAULTY));
}

TEST_F(TestRunTest, aPhyModeCheckThatCannotBeMadeCountsAsNotAutoNegotiation) {
    makeBench({{"create", "1"}, {"driver", "fail=IOCTL_GET_PHY_MODE"}});
    EXPECT_EQ(run(only(false, true)), kNotAutoNegotiation);
}

TEST_F(TestRunTest, aWorkerThatCannotStartSendsNothingAndFailsWithFourteen) {
    makeBench({{"create", "2"}});
    threads.refuseStart = true;
    EXPECT_EQ(run(only(true, true)), kThreadStartFailed);
    EXPECT_TRUE(device->seen().empty());
    EXPECT_TRUE(reporter.has("error 0 sys 8 api " + std::to_string(IDS_API_BEGINTHREAD) + " logged"));
    EXPECT_TRUE(reporter.has("error " + std::to_string(IDS_REGISTER_FAILED) + " sys 0 api 0 logged"));
}

TEST_F(TestRunTest, aControlDeviceThatCannotBeOpenedFailsTheJobWithOne) {
    makeBench({{"create", "1"}, {"driver", "openfail=1"}});
    EXPECT_EQ(run(only(true, false)), kNoControlDevice);
    EXPECT_TRUE(reporter.has("error 0 sys 2 api " + std::to_string(IDS_API_CREATEFILE) + " logged"));
}

TEST_F(TestRunTest, noAdapterOrAFailedCountEndsTheFirstTest) {
    struct Case { std::vector<std::string> setup; TestResult result; };
    const Case cases[] = {{{"driver", "version=0.14"}, kNoAdapter},
                          {{"driver", "fail=IOCTL_GET_DEVICE_COUNT"}, kDeviceCountFailed}};
    for (const Case& c : cases) {
        reporter.events.clear();
        makeBench({{"create", c.result == kNoAdapter ? "0" : "1"}, c.setup});
        EXPECT_EQ(run(only(true, true)), c.result);
        EXPECT_TRUE(reporter.has("error " + std::to_string(IDS_REGISTER_FAILED) + " sys 0 api 0 logged"));
    }
}

TEST_F(TestRunTest, exitDuringLongLoopbackStopsBeforeTheNextFrameWithoutAFailureBox) {
    makeBench({{"create", "2"}});
    device->stopAtFrame = 5;
    TestSelection s = only(false, false, true, false);
    s.packetCount = 1000;
    EXPECT_EQ(run(s), kStopped);
    EXPECT_EQ(device->frames, 5u);
    EXPECT_TRUE(reporter.only("error").empty());
    EXPECT_EQ(reporter.only("status").back(), status(IDS_LONG_IN_PROGRESS));  // the status line keeps its text
    // Loopback is switched off on the adapter that was under test.
    EXPECT_EQ(device->devicesOf(IOCTL_SET_LOOPBACK_MODE), (std::vector<uint16_t>{2, 2}));
}

TEST_F(TestRunTest, afterAStopTheRemainingTestsEndAtTheirFirstCheck) {
    makeBench({{"create", "2"}});
    device->stopAtFrame = 3;
    TestSelection s = only(false, true, true, false);
    EXPECT_EQ(run(s), kStopped);
    EXPECT_EQ(device->frames, 3u);  // long loopback sent nothing
    EXPECT_TRUE(reporter.only("error").empty());
}

// Exit ends the run at once: the PHY mode check is not made, so a check that would fail or
// cannot be made (adapters pulled) shows no box after the main window has gone.
TEST_F(TestRunTest, afterAStopThePhyModeCheckIsNotMadeAndNoLaterTestIsLaunched) {
    for (const char* phy : {"phymode=1", "fail=IOCTL_GET_PHY_MODE"}) {
        SCOPED_TRACE(phy);
        reporter.events.clear();
        threads.started = 0;
        stop = 0;
        makeBench({{"create", "2"}, {"driver", phy}});
        device->stopAtFrame = 3;
        EXPECT_EQ(run(only(false, true, true, true)), kStopped);
        EXPECT_TRUE(reporter.only("error").empty());
        EXPECT_TRUE(device->devicesOf(IOCTL_GET_PHY_MODE).empty());
        EXPECT_EQ(threads.started, 1) << "only the quick loopback ran";
        EXPECT_EQ(reporter.only("status"), std::vector<std::string>{status(IDS_QUICK_IN_PROGRESS)});
    }
}

TEST_F(TestRunTest, quickLoopbackSendsTenFullFramesToEachAdapterFromTheHighestDown) {
    makeBench({{"create", "3"}});
    TestSelection s = only(false, true);
    s.packetCount = 3;  // packet properties do not apply to the quick test
    s.packetSize = 100;
    EXPECT_EQ(run(s), kPassed);
    std::vector<uint16_t> expected;
    for (uint16_t d : {3, 2, 1}) expected.insert(expected.end(), 10, d);
    EXPECT_EQ(device->devicesOf(IOCTL_SEND_RECEIVE_PACKET), expected);
    EXPECT_EQ(title.last, "Ethernet Diagnostic Tool - Packet Count: 10 / 10");
    EXPECT_EQ(title.sets.load(), 30);
}

TEST_F(TestRunTest, aCorruptedFrameOnAdapterTwoOfThreeFailsAndSwitchesLoopbackOffThere) {
    makeBench({{"create", "3"}, {"set", "2", "corrupt=5"}});
    EXPECT_EQ(run(only(false, true)), kLoopbackMismatch);
    EXPECT_TRUE(reporter.has(log(IDS_ERR_DATA_COMPARE)));
    EXPECT_TRUE(reporter.has("line Device 2 is under test, \nPacket Count : 5 / 10"));
    EXPECT_EQ(device->devicesOf(IOCTL_SET_LOOPBACK_MODE), (std::vector<uint16_t>{3, 3, 2, 2}));
    EXPECT_TRUE(reporter.has("error " + std::to_string(IDS_QUICK_FAILED) + " sys 0 api 0 logged"));
}

TEST_F(TestRunTest, aFrameThatNeverComesBackFailsEvenWhenTheRequestSucceeds) {
    makeBench({{"create", "1"}});
    device->swallowFrame = 2;  // frame 1 came back; frame 2 leaves nothing in the buffer
    EXPECT_EQ(run(only(false, true)), kLoopbackMismatch);
}

TEST_F(TestRunTest, loopbackFaultsGiveTheirResults) {
    struct Case { std::vector<std::string> setup; TestResult result; uint32_t logged; };
    const Case cases[] = {
        {{"set", "1", "loopbackfail=1"}, kLoopbackModeFailed, IDS_ERR_LOOPBACK_BIT},
        {{"set", "1", "sendfail=4"}, kSendReceiveFailed, IDS_ERR_SEND_RECEIVE},
    };
    for (const Case& c : cases) {
        reporter.events.clear();
        makeBench({{"create", "1"}, c.setup});
        EXPECT_EQ(run(only(false, true)), c.result);
        EXPECT_TRUE(reporter.has(log(c.logged)));
    }
}

TEST_F(TestRunTest, externalLoopbackNeedsThePlug) {
    makeBench({{"create", "2"}});
    TestSelection s = only(false, false, false, true);
    EXPECT_EQ(run(s), kSendReceiveFailed);
    reporter.events.clear();
    makeBench({{"set", "all", "external=1"}});
    EXPECT_EQ(run(s), kPassed);
}

TEST(LoopbackFrames, sizesAndLengthFieldFollowThePacketProperties) {
    struct Case { LoopbackKind kind; uint32_t count; int32_t size; uint32_t frames, frameSize; uint8_t b12, b13; };
    const Case cases[] = {
        {LoopbackKind::Long, 0, 1, 10, 64, 0x00, 0x32},
        {LoopbackKind::Long, 5, 1514, 5, 1514, 0x05, 0xDC},
        {LoopbackKind::External, 7, 0, 7, 1514, 0x05, 0xDC},
        {LoopbackKind::Quick, 3, 100, 10, 1514, 0x05, 0xDC},
    };
    for (const Case& c : cases) {
        TestSelection s;
        s.packetCount = c.count;
        s.packetSize = c.size;
        const LoopbackPlan plan = loopbackPlan(c.kind, s);
        EXPECT_EQ(plan.frames, c.frames);
        ASSERT_EQ(plan.frameSize, c.frameSize);
        std::vector<uint8_t> frame(plan.frameSize);
        buildTestFrame(frame.data(), plan.frameSize);
        EXPECT_EQ(frame[12], c.b12);
        EXPECT_EQ(frame[13], c.b13);
        EXPECT_EQ(std::count(frame.begin(), frame.end(), 0xFF), std::ptrdiff_t(plan.frameSize - 2) +
                                                                     (c.b12 == 0xFF) + (c.b13 == 0xFF));
    }
}
