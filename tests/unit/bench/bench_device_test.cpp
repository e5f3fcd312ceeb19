// bench_device_test.cpp: the bench as a control device over its file: opening, persistence, the lock and threads.
#include "bench/bench_device.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "bench/bench_control.h"
#include "bench/bench_errors.h"
#include "common/adapter/ioctl_codes.h"
#include "common/adapter/requests.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"

using namespace lt;
using namespace lt::bench;
namespace fs = std::filesystem;

namespace {

const LockTiming kShortWait{std::chrono::milliseconds(200), std::chrono::milliseconds(10000)};

struct BenchFileFixture : ::testing::Test {
    test::TempDir dir;
    std::string path = dir.file("bench.txt");

    bool benchctl(std::vector<std::string> command) { return test::benchctl(path, std::move(command)); }
    std::string fileText() const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void writeFile(const std::string& text) const {
        std::ofstream(path, std::ios::binary) << text;
    }
};

}  // namespace

TEST_F(BenchFileFixture, opensWhenTheFileIsReadableAlsoWithNoAdapter) {
    ASSERT_TRUE(benchctl({"create", "0"}));
    BenchDevice device(path);
    uint32_t error = 0;
    auto handle = device.open(error);
    ASSERT_TRUE(handle);
    uint32_t count = 9;
    ASSERT_TRUE(adapter::getDeviceCount(*handle, count, error));
    EXPECT_EQ(count, 0u);
}

TEST_F(BenchFileFixture, openFailsAsAMissingDriverOrReportsADamagedFile) {
    struct Case { std::string name; std::string text; bool writeIt; uint32_t error; };
    const Case cases[] = {
        {"no bench file", "", false, kErrorFileNotFound},
        {"empty file", "", true, kErrorFileCorrupt},
        {"not a bench", "hello\n", true, kErrorFileCorrupt},
        {"cut short", "korusbmac-bench 1\ndriver version=0.14\nadapter revision=0x200\neeprom ffff", true,
         kErrorFileCorrupt},
    };
    for (const Case& c : cases) {
        std::error_code ec;
        fs::remove(path, ec);
        if (c.writeIt) writeFile(c.text);
        BenchDevice device(path);
        uint32_t error = 0;
        EXPECT_FALSE(device.open(error)) << c.name;
        EXPECT_EQ(error, c.error) << c.name;
        if (c.writeIt) {
            EXPECT_NE(device.lastProblem().find("damaged"), std::string::npos) << c.name << device.lastProblem();
            EXPECT_EQ(fileText(), c.text) << c.name << ": a damaged file is left as it is";
        }
    }
}

TEST_F(BenchFileFixture, absentDriverFailsEveryOpenAndOpenfailOnlyTheKthFromNow) {
    ASSERT_TRUE(benchctl({"create", "1"}));
    ASSERT_TRUE(benchctl({"driver", "absent=1"}));
    uint32_t error = 0;
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(BenchDevice(path).open(error));
        EXPECT_EQ(error, kErrorFileNotFound);
    }
    ASSERT_TRUE(benchctl({"driver", "absent=0", "openfail=3"}));
    // The count of opens lives in the file: three separate devices, as three programs would be.
    EXPECT_TRUE(BenchDevice(path).open(error));
    EXPECT_TRUE(BenchDevice(path).open(error));
    EXPECT_FALSE(BenchDevice(path).open(error));
    EXPECT_EQ(error, kErrorFileNotFound);
    EXPECT_TRUE(BenchDevice(path).open(error));
    EXPECT_TRUE(BenchDevice(path).open(error));
}

TEST_F(BenchFileFixture, readsAndLoopbackFramesNeverRewriteTheFile) {
    ASSERT_TRUE(benchctl({"create", "2"}));
    ASSERT_TRUE(benchctl({"set", "all", "external=1"}));
    const auto written = fs::last_write_time(path);
    const std::string text = fileText();
    // Mark the file so that any rewrite, even within the clock's resolution, shows.
    fs::last_write_time(path, written - std::chrono::hours(1));
    const auto marked = fs::last_write_time(path);

    BenchDevice device(path);
    uint32_t error = 0;
    auto h = device.open(error);
    ASSERT_TRUE(h);
    uint32_t value = 0;
    uint16_t w0, w1;
    uint8_t reg = 0;
    std::array<uint8_t, adapter::kReadRecordSize> record{};
    std::array<uint8_t, 12> macs{};
    std::vector<uint8_t> frame(1514, 0xFF), receive(1515);
    ASSERT_TRUE(adapter::getDeviceCount(*h, value, error));
    ASSERT_TRUE(adapter::getDriverVersion(*h, w0, w1, error));
    ASSERT_TRUE(adapter::getChipRevision(*h, value, error));
    ASSERT_TRUE(adapter::getReplugCount(*h, value, error));
    ASSERT_TRUE(adapter::getMacAddresses(*h, macs, error));
    ASSERT_TRUE(adapter::writeMacRegister(*h, 1, 3, 0x55, error));
    ASSERT_TRUE(adapter::readMacRegister(*h, 1, 3, reg, error));
    EXPECT_EQ(reg, 0x55);
    ASSERT_TRUE(adapter::readEeprom(*h, 2, record, error));
    for (uint16_t mode : {1, 2}) {
        ASSERT_TRUE(adapter::setLoopbackMode(*h, 2, mode, error));
        for (int i = 0; i < 200; ++i) ASSERT_TRUE(adapter::sendReceivePacket(*h, 2, frame, receive, error));
    }
    h.reset();
    EXPECT_EQ(fs::last_write_time(path), marked);
    EXPECT_EQ(fileText(), text);
}

TEST_F(BenchFileFixture, programmingIsSavedSoTheNextProgramSeesIt) {
    ASSERT_TRUE(benchctl({"create", "2"}));
    uint32_t error = 0;
    {
        BenchDevice station(path);
        auto h = station.open(error);
        ASSERT_TRUE(h);
        adapter::ProgramReply reply;
        ASSERT_TRUE(
            adapter::programEeprom(*h, test::lotRequest(4, {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}), reply, error));
        EXPECT_EQ(reply.status, 1);
    }
    BenchDevice tester(path);
    auto h = tester.open(error);
    ASSERT_TRUE(h);
    std::array<uint8_t, 12> macs{};
    ASSERT_TRUE(adapter::getMacAddresses(*h, macs, error));
    EXPECT_EQ(macs[5], 0x00);
    EXPECT_EQ(macs[11], 0x01);
    Bench saved;
    std::string message;
    ASSERT_EQ(readBenchFile(path, saved, message), BenchFileStatus::ok) << message;
    EXPECT_EQ(adapterAddress(saved.adapters[1]), (adapter::MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x01}));
}

TEST_F(BenchFileFixture, programmingSeesAdaptersPluggedWhileTheHandleWasOpen) {
    ASSERT_TRUE(benchctl({"create", "1"}));
    BenchDevice station(path);
    uint32_t error = 0;
    auto h = station.open(error);
    ASSERT_TRUE(h);
    ASSERT_TRUE(benchctl({"plug", "2"}));  // another program changes the bench meanwhile
    adapter::ProgramReply reply;
    ASSERT_TRUE(adapter::programEeprom(*h, test::lotRequest(10, {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}), reply, error));
    EXPECT_EQ(reply.count, 3u);
    Bench saved;
    std::string message;
    ASSERT_EQ(readBenchFile(path, saved, message), BenchFileStatus::ok);
    EXPECT_EQ(saved.adapters.size(), 3u) << "the plugged adapters are not lost by the save";
}

TEST_F(BenchFileFixture, countedRequestFaultsLiveInTheFileAcrossPrograms) {
    ASSERT_TRUE(benchctl({"create", "1"}));
    ASSERT_TRUE(benchctl({"driver", "fail=IOCTL_GET_DEVICE_COUNT:2"}));
    uint32_t error = 0, count = 0;
    {
        BenchDevice first(path);
        auto h = first.open(error);
        ASSERT_TRUE(h);
        EXPECT_TRUE(adapter::getDeviceCount(*h, count, error));
    }
    BenchDevice second(path);
    auto h = second.open(error);
    ASSERT_TRUE(h);
    EXPECT_FALSE(adapter::getDeviceCount(*h, count, error));
    EXPECT_EQ(error, kErrorGenFailure);
    EXPECT_TRUE(adapter::getDeviceCount(*h, count, error));
    EXPECT_EQ(fileText().find(" fail="), std::string::npos) << "a spent fault is gone from the file";
}

TEST_F(BenchFileFixture, aBenchInAFolderThatDoesNotExistFailsAtOnceAsAMissingDriver) {
    BenchDevice device(dir.file("no-such-folder/bench.txt"));
    uint32_t error = 0;
    EXPECT_FALSE(device.open(error));
    EXPECT_EQ(error, kErrorFileNotFound);
    std::ostringstream out, err;
    EXPECT_EQ(runBenchctl({dir.file("no-such-folder/bench.txt"), "create", "1"}, out, err), kBenchctlFileError);
}

TEST_F(BenchFileFixture, aHeldLockMakesOpenWaitAndThenFail) {
    ASSERT_TRUE(benchctl({"create", "1"}));
    BenchLock held(path);
    ASSERT_TRUE(held.held());
    BenchDevice device(path, nullptr, kShortWait);
    uint32_t error = 0;
    EXPECT_FALSE(device.open(error));
    EXPECT_EQ(error, kErrorSharingViolation);
    std::ostringstream out, err;
    EXPECT_EQ(runBenchctl({path, "plug", "1"}, out, err, kShortWait), kBenchctlFileError);
    EXPECT_NE(err.str().find("locked"), std::string::npos);
}

TEST_F(BenchFileFixture, aStaleLockLeftByADeadProgramIsBroken) {
    ASSERT_TRUE(benchctl({"create", "1"}));
    const std::string lock = BenchLock::lockPath(path);
    fs::create_directory(lock);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const LockTiming quicklyStale{std::chrono::milliseconds(5000), std::chrono::milliseconds(100)};
    BenchDevice device(path, nullptr, quicklyStale);
    uint32_t error = 0;
    EXPECT_TRUE(device.open(error)) << error;
    EXPECT_FALSE(fs::exists(lock)) << "released after use";
}

TEST_F(BenchFileFixture, concurrentWritersLoseNoChange) {
    // Threads with devices of their own exclude each other only through the file's lock,
    // as separate programs do.
    ASSERT_TRUE(benchctl({"create", "0"}));
    constexpr int kWriters = 4, kPlugsEach = 15;
    std::atomic<int> failures{0};
    std::vector<std::thread> writers;
    for (int t = 0; t < kWriters; ++t)
        writers.emplace_back([&] {
            for (int i = 0; i < kPlugsEach; ++i) {
                std::ostringstream out, err;
                if (runBenchctl({path, "plug", "1"}, out, err) != 0) ++failures;
            }
        });
    // Meanwhile a program keeps opening and reading.
    std::thread reader([&] {
        for (int i = 0; i < 100; ++i) {
            BenchDevice device(path);
            uint32_t error = 0, count = 0;
            auto h = device.open(error);
            if (!h || !adapter::getDeviceCount(*h, count, error)) ++failures;
        }
    });
    for (auto& w : writers) w.join();
    reader.join();
    EXPECT_EQ(failures, 0);
    Bench saved;
    std::string message;
    ASSERT_EQ(readBenchFile(path, saved, message), BenchFileStatus::ok) << message;
    EXPECT_EQ(saved.adapters.size(), std::size_t(kWriters * kPlugsEach));
}

TEST_F(BenchFileFixture, requestsFromTwoThreadsOfOneProgramAreSerialised) {
    ASSERT_TRUE(benchctl({"create", "2"}));
    BenchDevice device(path);
    uint32_t error = 0;
    auto ui = device.open(error);
    auto worker = device.open(error);
    ASSERT_TRUE(ui && worker);
    std::atomic<int> failures{0};
    std::thread loopback([&] {
        std::vector<uint8_t> frame(512, 0xFF), receive(513);
        uint32_t e = 0;
        if (!adapter::setLoopbackMode(*worker, 1, 1, e)) ++failures;
        for (int i = 0; i < 2000; ++i) {
            frame[14] = uint8_t(i);
            if (!adapter::sendReceivePacket(*worker, 1, frame, receive, e) ||
                !std::equal(frame.begin(), frame.end(), receive.begin()))
                ++failures;
        }
    });
    std::thread programming([&] {
        uint32_t e = 0;
        for (int i = 0; i < 20; ++i) {
            adapter::ProgramReply reply;
            const adapter::MacAddress start{0x00, 0x1b, 0x4e, 0x7a, 0x01, uint8_t(2 * i)};
            if (!adapter::programEeprom(*ui, test::lotRequest(2, start), reply, e))
                ++failures;
            uint32_t count = 0;
            if (!adapter::getDeviceCount(*ui, count, e) || count != 2) ++failures;
        }
    });
    loopback.join();
    programming.join();
    EXPECT_EQ(failures, 0);
}
