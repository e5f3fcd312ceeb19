// bench_wine_test.cpp: the bench from a Windows program under Wine: one file and one lock shared with
// native benchctl, the USB device registry mirror, the training builds' choice of bench file, and
// the production programs' device, which is the driver's whatever the environment names.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "bench/bench_control.h"
#include "bench/bench_file.h"
#include "common/adapter/requests.h"
#include "common/eeprom/eeprom_image.h"
#include "tests/support/bench_support.h"
#include "win32/adapter_access.h"
#include "win32/bench_access_win32.h"
#include "win32/bench_registry_win32.h"

using namespace lt;
namespace fs = std::filesystem;

namespace {

// A directory under the Unix /tmp, seen by this program as Z:\tmp\..., so that native
// programs and this one name the same files.
struct SharedDir {
    std::string unixPath;
    std::string windowsPath;
    SharedDir() {
        std::random_device random;
        unixPath = "/tmp/lt-wine-bench-" + std::to_string(random()) + std::to_string(GetCurrentProcessId());
        windowsPath = "Z:" + unixPath;
        for (char& c : windowsPath)
            if (c == '/') c = '\\';
        fs::create_directories(windowsPath);
    }
    ~SharedDir() {
        std::error_code ec;
        fs::remove_all(windowsPath, ec);
    }
};

std::string readText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Wine starts a Unix program from CreateProcess without a process to wait on, so the
// program runs under /bin/sh, which leaves its exit status in a file once it is done.
struct NativeRun {
    explicit NativeRun(const SharedDir& d) : dir(d) {}
    const SharedDir& dir;
    std::string output;
    int status = -1;

    bool start(const std::string& commandLine) {
        const std::string rc = dir.unixPath + "/rc";
        std::error_code ec;
        fs::remove(dir.windowsPath + "\\rc", ec);
        std::string command = "/bin/sh -c \"" + commandLine + " >" + dir.unixPath + "/out 2>&1; echo $? >" + rc +
                              ".tmp; mv " + rc + ".tmp " + rc + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
            return false;
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return true;
    }
    bool finish() {
        const std::string rc = dir.windowsPath + "\\rc";
        for (int i = 0; i < 3000 && !fs::exists(rc); ++i) Sleep(10);
        if (!fs::exists(rc)) return false;
        status = std::stoi(readText(rc));
        output = readText(dir.windowsPath + "\\out");
        return true;
    }
    bool run(const std::string& commandLine) { return start(commandLine) && finish(); }
};

std::string nativeBenchctl() { return LT_NATIVE_BENCHCTL; }

struct WineBench : ::testing::Test {
    SharedDir dir;
    std::string unixBench = dir.unixPath + "/bench.txt";
    std::string windowsBench = dir.windowsPath + "\\bench.txt";

    void SetUp() override {
        ASSERT_TRUE(fs::exists("Z:" + nativeBenchctl()))
            << "native benchctl not found at " << nativeBenchctl() << ": build the native tree first";
    }
    void TearDown() override { SetEnvironmentVariableA(win32::kBenchVariable, nullptr); }

    std::string windowsShow() {
        std::ostringstream out, err;
        EXPECT_EQ(bench::runBenchctl({windowsBench, "show"}, out, err), 0) << err.str();
        return out.str();
    }
};

}  // namespace

TEST_F(WineBench, aBenchMadeByNativeBenchctlIsProgrammedHereAndReadBackByIt) {
    NativeRun native(dir);
    ASSERT_TRUE(native.run(nativeBenchctl() + " " + unixBench + " create 3"));
    ASSERT_EQ(native.status, 0) << native.output;

    // The program names the bench by its Unix path, as the run scripts do.
    ASSERT_TRUE(SetEnvironmentVariableA(win32::kBenchVariable, unixBench.c_str()));
    EXPECT_EQ(win32::benchPathFromEnvironment(), windowsBench);
    const win32::AdapterAccess access = win32::openBenchAccess();
    EXPECT_TRUE(access.training.active);
    EXPECT_EQ(access.training.benchFile, windowsBench);
    uint32_t error = 0;
    auto handle = access.device->open(error);
    ASSERT_TRUE(handle) << error;
    uint32_t count = 0;
    ASSERT_TRUE(adapter::getDeviceCount(*handle, count, error));
    EXPECT_EQ(count, 3u);
    adapter::ProgramReply reply;
    ASSERT_TRUE(
        adapter::programEeprom(*handle, test::lotRequest(6, {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}), reply, error));
    EXPECT_EQ(reply.status, 1);
    handle.reset();

    ASSERT_TRUE(native.run(nativeBenchctl() + " " + unixBench + " show"));
    ASSERT_EQ(native.status, 0) << native.output;
    EXPECT_NE(native.output.find("3 revision=0x200 mac=00-1b-4e-7a-01-02 serial=1b-00-7a-4e-02-01 vid=8207 pid=6514 "
                                 "lang=0409 usb=8207:6514 manufacturer=\"Korvane Semiconductor\" "
                                 "product=\"USB-MAC Controller\""),
              std::string::npos)
        << native.output;
    EXPECT_EQ(windowsShow(), native.output) << "both builds read the file alike";
}

TEST_F(WineBench, nativeBenchctlWaitsForTheLockThatAWindowsProgramHolds) {
    std::ostringstream out, err;
    ASSERT_EQ(bench::runBenchctl({windowsBench, "create", "1"}, out, err), 0) << err.str();
    NativeRun native(dir);
    {
        bench::BenchLock lock(windowsBench);
        ASSERT_TRUE(lock.held());
        ASSERT_TRUE(native.start(nativeBenchctl() + " " + unixBench + " plug 1"));
        Sleep(500);  // native benchctl is now waiting for the lock (or, were it ignored, done already)
        bench::Bench b;
        std::string message;
        ASSERT_EQ(bench::readBenchFile(windowsBench, b, message), bench::BenchFileStatus::ok) << message;
        b.adapters.push_back(bench::freshAdapter(bench::kRevisionAddressOnly));
        ASSERT_EQ(bench::writeBenchFile(windowsBench, bench::formatBench(b), message), bench::BenchFileStatus::ok);
    }
    ASSERT_TRUE(native.finish());
    EXPECT_EQ(native.status, 0) << native.output;
    const std::string shown = windowsShow();
    EXPECT_NE(shown.find("2 revision=0x100"), std::string::npos) << shown;
    EXPECT_NE(shown.find("3 revision=0x200"), std::string::npos) << "no change was lost:\n" << shown;
}

TEST_F(WineBench, reenumeratedAdaptersAreMirroredInTheUsbDeviceRegistryWhenTheCountIsAsked) {
    ASSERT_TRUE(win32::runningUnderWine());
    const char* deviceKey = "SYSTEM\\CurrentControlSet\\Enum\\USB\\VID_0A12&PID_00FF";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, deviceKey);
    std::ostringstream out, err;
    ASSERT_EQ(bench::runBenchctl({windowsBench, "create", "2"}, out, err), 0) << err.str();
    ASSERT_TRUE(SetEnvironmentVariableA(win32::kBenchVariable, windowsBench.c_str()));

    const win32::AdapterAccess access = win32::openBenchAccess();
    uint32_t error = 0;
    auto handle = access.device->open(error);
    ASSERT_TRUE(handle) << error;
    eeprom::DescriptorSettings custom;
    custom.vid = "0a12";
    custom.pid = "00ff";
    adapter::ProgramReply reply;
    ASSERT_TRUE(adapter::programEeprom(*handle, test::lotRequest(2, {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}, custom),
                                       reply, error));
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, deviceKey, 0, KEY_READ, &key), ERROR_SUCCESS)
        << "nothing is written before the count is asked";

    uint32_t replugs = 0;
    ASSERT_TRUE(adapter::getReplugCount(*handle, replugs, error));
    EXPECT_EQ(replugs, 2u);
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, deviceKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD instances = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &instances, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    EXPECT_EQ(instances, 2u);
    for (DWORD i = 0; i < instances; ++i) {
        char name[260] = {};
        DWORD size = sizeof name;
        ASSERT_EQ(RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
        char service[260] = {};
        DWORD serviceSize = sizeof service - 1;
        EXPECT_EQ(RegGetValueA(key, name, "Service", RRF_RT_REG_SZ, nullptr, service, &serviceSize), ERROR_SUCCESS);
        EXPECT_STREQ(service, "KORUMAC") << name;
    }
    RegCloseKey(key);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, deviceKey);
}

TEST(WineAdapterAccess, theDriversDeviceIgnoresANamedBenchAndFailsToOpenWithError2) {
    std::ostringstream out, err;
    SharedDir dir;
    const std::string bench = dir.windowsPath + "\\bench.txt";
    ASSERT_EQ(bench::runBenchctl({bench, "create", "2"}, out, err), 0) << err.str();
    for (const char* named : {"", bench.c_str()}) {
        SetEnvironmentVariableA(win32::kBenchVariable, *named ? named : nullptr);
        const win32::AdapterAccess access = win32::openDriverAccess();
        EXPECT_FALSE(access.training.active) << named;
        uint32_t error = 0;
        EXPECT_FALSE(access.device->open(error)) << named;
        EXPECT_EQ(error, 2u) << named;
    }
    SetEnvironmentVariableA(win32::kBenchVariable, nullptr);
}

TEST(WineAdapterAccess, aTrainingBenchNamedButMissingFailsAsAMissingDriver) {
    SetEnvironmentVariableA(win32::kBenchVariable, "Z:\\tmp\\lt-no-such-dir\\bench.txt");
    const win32::AdapterAccess access = win32::openBenchAccess();
    EXPECT_TRUE(access.training.active);
    uint32_t error = 0;
    EXPECT_FALSE(access.device->open(error));
    EXPECT_EQ(error, 2u);
    SetEnvironmentVariableA(win32::kBenchVariable, nullptr);
}

TEST(WineAdapterAccess, withoutTheVariableATrainingBuildTakesTheBenchFileBesideTheProgram) {
    SetEnvironmentVariableA(win32::kBenchVariable, nullptr);
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    const std::string program(self);
    const std::string expected = program.substr(0, program.find_last_of('\\') + 1) + "TrainingBench.txt";
    EXPECT_EQ(win32::trainingBenchPath(), expected);
    const win32::AdapterAccess access = win32::openBenchAccess();
    EXPECT_TRUE(access.training.active);
    EXPECT_EQ(access.training.benchFile, expected);
}
