// ethtester_e2e_test.cpp: the tester under Wine, driven as an operator would, checked through its
// windows, the log file and the bench: its training build on a simulated bench, and the production
// EthTester.exe, which never takes the bench.
#include "bench/bench_control.h"
#include "bench/bench_device.h"
#include "common/adapter/requests.h"
#include "resources/ethtester_ids.h"
#include "tests/fakes/rc_file.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/wine/support/driver.h"

#include <gtest/gtest.h>


using namespace lt::wine;

namespace {

const lt::test::RcFile& script() { return lt::test::programResources("ethtester.rc"); }
std::string text(uint32_t id) { return lt::test::RcStrings(script()).text(id); }

class EthTesterRun : public ::testing::Test {
protected:
    lt::test::TempDir work;  // the tester's current directory (its log goes there)
    std::string bench = work.file("bench.txt");
    std::unique_ptr<Program> program;
    Dialog main;

    void SetUp() override {
        cleanSharedFiles();
        SetEnvironmentVariableA("KORUSBMAC_BENCH", bench.c_str());
    }
    void TearDown() override {
        program.reset();
        cleanSharedFiles();
    }

    void benchctl(std::vector<std::string> command) { lt::test::benchctl(bench, std::move(command)); }
    void settings(const std::string& diagnostics, bool autoMode = false) {
        writeFile(sharedFile("EthernetDiagnostic.ini"), diagnostics);
        writeFile(sharedFile("EpromData.ini"), std::string("[DIAGNOSTICSMODE]\r\nAUTO=") + (autoMode ? "1" : "0") +
                                                   "\r\n");
    }
    // Starts the tester (the training build unless told) and answers its start-up recommendation.
    void start(const char* exe = LT_ETHTESTER_EXE) {
        program = Program::start(exe, work.path().string());
        ASSERT_NE(program, nullptr);
        auto box = program->waitForMessageBox(kStartWait);
        ASSERT_TRUE(box) << "no start-up recommendation";
        EXPECT_EQ(box->text, text(IDS_RECOMMENDED_SYSTEM));
        ASSERT_TRUE(answer(*box, IDOK));
        auto found = program->waitForDialog("Ethernet Diagnostic Tool");
        ASSERT_TRUE(found) << "the tester did not open";
        main = *found;
    }
    void expectErrorBox(uint32_t id) {
        auto box = program->waitForMessageBox(30000);
        ASSERT_TRUE(box) << "no error box for " << text(id);
        EXPECT_EQ(box->caption, "Error");
        EXPECT_EQ(box->text, text(id));
        ASSERT_TRUE(answer(*box, IDOK));
    }
    std::string log() { return readFile(work.file("USBEthDiagnostics.log")).value_or("<no log>"); }
    bool statusIs(uint32_t id) { return main.text(IDC_STATUS) == text(id); }
    std::string mark() { return "Training: simulated adapters (bench file " + bench + ")"; }
};

const char* kRegisterOnly =
    "[TESTITEMS]\r\nRegister=1\r\nQuickLoopback=0\r\nLongLoopback=0\r\nExternalLoopback=0\r\n[LOGFLAG]\r\nEnable=1\r\n";

}  // namespace

TEST_F(EthTesterRun, aManualRegisterRunLogsItsLinesAndLeavesTheDialogReady) {
    benchctl({"create", "3"});
    settings(kRegisterOnly);
    start();
    EXPECT_TRUE(main.checked(IDC_REGISTER_TEST));
    EXPECT_FALSE(main.checked(IDC_QUICK_LOOPBACK));
    EXPECT_TRUE(main.checked(IDC_ENABLE_LOGGING));
    main.click(IDC_START);
    ASSERT_TRUE(waitUntil([&] { return statusIs(IDS_ALL_PASSED); }, 30000)) << main.text(IDC_STATUS);
    EXPECT_TRUE(main.enabled(IDC_START));
    const std::string file = log();
    EXPECT_NE(file.find("--------- Start of USB-Ethernet Diagnostics---------\r\n"
                        "Register test selected.\r\n"
                        "Register test is in progres...\r\n"
                        "All the connected devices passed the Register test !!\r\n"
                        "--------- End of USB-Ethernet Diagnostics---------\r\n"),
              std::string::npos)
        << file;
    main.click(IDC_EXIT);
    EXPECT_TRUE(program->waitForExit().has_value());
}

// The log path is the current directory as GetCurrentDirectoryA gives it, in the ANSI code
// page; it must reach the file functions in that code page too. "C:\Pr\xFCfung" is
// "C:\Prüfung" in the ANSI code pages of Western Europe (1252 in Wine's default prefix).
TEST_F(EthTesterRun, aLogInAFolderWhoseNameIsNotPlainAsciiReplacesTheOldOne) {
    const std::string folder = "C:\\Pr\xFC" "fung";
    const std::string file = folder + "\\USBEthDiagnostics.log";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    auto writeAnsi = [](const std::string& path, const std::string& bytes) {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        DWORD written = 0;
        const bool ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
        CloseHandle(h);
        return ok;
    };
    auto readAnsi = [](const std::string& path) -> std::string {
        HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                               0, nullptr);
        if (h == INVALID_HANDLE_VALUE) return "<no log>";
        std::string bytes;
        char buffer[4096];
        DWORD got = 0;
        while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
        CloseHandle(h);
        return bytes;
    };
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);  // left by an earlier run of this test
    DeleteFileA(file.c_str());
    ASSERT_TRUE(writeAnsi(file, "the old run\r\n"));  // read-only, as the log's fresh start allows

    benchctl({"create", "2"});
    settings(kRegisterOnly);
    program = Program::start(LT_ETHTESTER_EXE, folder);
    ASSERT_NE(program, nullptr);
    auto box = program->waitForMessageBox(kStartWait);
    ASSERT_TRUE(box) << "no start-up recommendation";
    ASSERT_TRUE(answer(*box, IDOK));
    auto found = program->waitForDialog("Ethernet Diagnostic Tool");
    ASSERT_TRUE(found) << "the tester did not open";
    main = *found;
    main.click(IDC_START);
    ASSERT_TRUE(waitUntil([&] { return statusIs(IDS_ALL_PASSED); }, 30000)) << main.text(IDC_STATUS);
    main.click(IDC_EXIT);
    EXPECT_TRUE(program->waitForExit().has_value());

    const std::string log = readAnsi(file);
    EXPECT_EQ(log.find("the old run"), std::string::npos) << log;
    EXPECT_NE(log.find("--------- Start of USB-Ethernet Diagnostics---------\r\n"
                       "Register test selected.\r\n"
                       "Register test is in progres...\r\n"
                       "All the connected devices passed the Register test !!\r\n"
                       "--------- End of USB-Ethernet Diagnostics---------\r\n"),
              std::string::npos)
        << log;
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_F(EthTesterRun, theTrainingTesterMarksItsWindowTheViewerAndTheLogHeader) {
    benchctl({"create", "2"});
    settings(kRegisterOnly);
    start();
    EXPECT_TRUE(main.visible(IDC_TRAINING_MARK));
    EXPECT_EQ(main.text(IDC_TRAINING_MARK), mark());
    EXPECT_EQ(main.title(), "Ethernet Diagnostic Tool");

    main.click(IDC_SHOW_EEPROM);
    auto viewer = program->waitForDialog("Ethernet Diagnostic - EEPROM Information");
    ASSERT_TRUE(viewer);
    EXPECT_TRUE(viewer->visible(IDC_TRAINING_MARK));
    EXPECT_EQ(viewer->text(IDC_TRAINING_MARK), mark());
    EXPECT_EQ(viewer->listRows(IDC_EEPROM_LIST).size(), 16u);
    viewer->click(IDOK);
    ASSERT_TRUE(waitUntil([&] { return !viewer->alive(); }));

    main.click(IDC_START);
    ASSERT_TRUE(waitUntil([&] { return statusIs(IDS_ALL_PASSED); }, 30000)) << main.text(IDC_STATUS);
    // The mark is a header line of its own after the time; every other line is as ever.
    const std::string file = log();
    const std::string tail = "\r\n" + mark() +
                             "\r\n-------------------\r\n"
                             "--------- Start of USB-Ethernet Diagnostics---------\r\n"
                             "Register test selected.\r\n";
    const std::size_t at = file.find(tail);
    ASSERT_NE(at, std::string::npos) << file;
    EXPECT_EQ(file.rfind("-------------------\r\nModule_Name:USB-Ethernet Diagnostics\r\nDate:", at), 0u) << file;
    EXPECT_EQ(file.rfind("\r\nTime:", at), at - 15) << file;
    main.click(IDC_EXIT);
    EXPECT_TRUE(program->waitForExit().has_value());
}

TEST_F(EthTesterRun, theProductionTesterIgnoresTheNamedBenchAndReportsTheMissingDriver) {
    benchctl({"create", "2"});
    settings(kRegisterOnly);
    start(LT_ETHTESTER_PRODUCTION_EXE);
    EXPECT_FALSE(main.visible(IDC_TRAINING_MARK));
    EXPECT_EQ(main.text(IDC_TRAINING_MARK), "");
    main.click(IDC_START);
    expectErrorBox(IDS_ERR_NOT_CONNECTED);
    EXPECT_TRUE(program->waitForExit().has_value());
    const std::string file = log();
    EXPECT_NE(file.find(text(IDS_ERR_NOT_CONNECTED) + "\r\nAPI Name: CreateFile\r\n"), std::string::npos) << file;
    EXPECT_EQ(file.find("Training"), std::string::npos) << file;
}

TEST_F(EthTesterRun, autoModeWithAPassingLotClosesTheProgramByItself) {
    benchctl({"create", "2"});
    settings(kRegisterOnly, true);
    start();
    // The exit code is the run's result, which the station writes beside the lot.
    EXPECT_EQ(program->waitForExit(30000), std::optional<DWORD>(0)) << "the tester stayed open after a pass in auto mode";
}

TEST_F(EthTesterRun, aRegisterFaultShowsItsBoxAndClosesTheProgram) {
    benchctl({"create", "3"});
    benchctl({"set", "2", "register=9:0x00"});
    settings(kRegisterOnly, true);
    start();
    expectErrorBox(IDS_REGISTER_FAILED);
    EXPECT_EQ(program->waitForExit(), std::optional<DWORD>(6)) << "the register test's wrong value";
    EXPECT_NE(log().find("RegIndex - 9, Byte Written-0x18, Expected-0x18, Read-0x00"), std::string::npos);
}

TEST_F(EthTesterRun, aWrongDriverVersionClosesTheProgramAfterItsBox) {
    benchctl({"create", "1"});
    benchctl({"driver", "version=0.15"});
    settings(kRegisterOnly);
    start();
    main.click(IDC_START);
    expectErrorBox(IDS_ERR_DRIVER_VERSION);
    EXPECT_EQ(program->waitForExit(), std::optional<DWORD>(16)) << "no run made";
}

TEST_F(EthTesterRun, aLongLoopbackCountsInTheTitleAndExitStopsItWithTheWindowResponsive) {
    benchctl({"create", "4"});
    settings("[TESTITEMS]\r\nRegister=0\r\nQuickLoopback=0\r\nLongLoopback=1\r\nExternalLoopback=0\r\n"
             "[LONGLOOPBACK]\r\nPacketCount=100000\r\nPacketSize=1514\r\n");
    start();
    main.click(IDC_START);
    // The title counts frames while the worker runs.
    ASSERT_TRUE(waitUntil([&] { return main.title().rfind("Ethernet Diagnostic Tool - Packet Count: ", 0) == 0; }));
    const std::string early = main.title();
    ASSERT_TRUE(waitUntil([&] { return main.title() != early; })) << "the title does not count";
    EXPECT_EQ(main.text(IDC_STATUS), text(IDS_LONG_IN_PROGRESS));
    EXPECT_FALSE(main.enabled(IDC_START));
    EXPECT_TRUE(main.enabled(IDC_EXIT));
    main.click(IDC_EXIT);  // handled while the worker runs
    EXPECT_TRUE(program->waitForExit().has_value()) << "Exit did not stop the run";
    EXPECT_TRUE(program->noMessageBoxFor(0));
}

TEST_F(EthTesterRun, aLongLoopbackOfAThousandFramesOnFourAdaptersPasses) {
    benchctl({"create", "4"});
    settings("[TESTITEMS]\r\nRegister=0\r\nQuickLoopback=0\r\nLongLoopback=1\r\nExternalLoopback=0\r\n"
             "[LONGLOOPBACK]\r\nPacketCount=1000\r\nPacketSize=1514\r\n");
    start();
    main.click(IDC_START);
    ASSERT_TRUE(waitUntil([&] { return statusIs(IDS_ALL_PASSED); }, 60000)) << main.text(IDC_STATUS);
    EXPECT_EQ(main.title(), "Ethernet Diagnostic Tool");
    EXPECT_EQ(main.text(IDC_PACKET_COUNT), "1000");
    main.click(IDC_EXIT);
    EXPECT_TRUE(program->waitForExit().has_value());
}

TEST_F(EthTesterRun, externalLoopbackFailsWithoutThePlugAndPassesWithIt) {
    const char* externalOnly = "[TESTITEMS]\r\nRegister=0\r\nQuickLoopback=0\r\nLongLoopback=0\r\nExternalLoopback=1\r\n"
                               "[LONGLOOPBACK]\r\nPacketCount=20\r\nPacketSize=64\r\n";
    benchctl({"create", "2"});
    settings(externalOnly);
    start();
    main.click(IDC_START);
    expectErrorBox(IDS_EXTERNAL_FAILED);
    EXPECT_TRUE(program->waitForExit().has_value());

    benchctl({"set", "all", "external=1"});
    start();
    main.click(IDC_START);
    ASSERT_TRUE(waitUntil([&] { return statusIs(IDS_ALL_PASSED); }, 30000)) << main.text(IDC_STATUS);
    main.click(IDC_EXIT);
    EXPECT_TRUE(program->waitForExit().has_value());
}

TEST_F(EthTesterRun, theViewerShowsABenchJustProgrammedByTheStationsLibrary) {
    benchctl({"create", "2"});
    {
        // One lot programmed through the library's request, as the station sends it.
        lt::bench::BenchDevice device(bench);
        uint32_t error = 0;
        auto handle = device.open(error);
        ASSERT_NE(handle, nullptr);
        lt::adapter::ProgramReply reply;
        ASSERT_TRUE(lt::adapter::programEeprom(*handle, lt::test::lotRequest(2, {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0xff}),
                                               reply, error));
        ASSERT_EQ(reply.count, 2u);
    }
    settings(kRegisterOnly);
    start();
    main.click(IDC_SHOW_EEPROM);
    auto viewer = program->waitForDialog("Ethernet Diagnostic - EEPROM Information");
    ASSERT_TRUE(viewer);
    const auto rows = viewer->listRows(IDC_EEPROM_LIST);
    ASSERT_EQ(rows.size(), 16u);
    using Row = std::vector<std::string>;
    EXPECT_EQ(rows[0], (Row{"1", "VID : 8207"}));
    EXPECT_EQ(rows[2], (Row{" ", "MAC Address : 00-1B-4E-7A-01-FF"}));
    EXPECT_EQ(rows[3], (Row{" ", "Manufacturer ID : Korvane Semiconductor"}));
    EXPECT_EQ(rows[4], (Row{" ", "Product ID : USB-MAC Controller   "}));
    EXPECT_EQ(rows[5], (Row{" ", "Lang ID : 0409"}));
    EXPECT_EQ(rows[6], (Row{" ", "Serial Number : 1B-00-7A-4E-FF-01"}));
    EXPECT_EQ(rows[8], (Row{"2", "VID : 8207"}));
    EXPECT_EQ(rows[10], (Row{" ", "MAC Address : 00-1B-4E-7A-02-00"}));
    viewer->click(IDOK);
    ASSERT_TRUE(waitUntil([&] { return !viewer->alive(); }));
    main.click(IDC_EXIT);
    EXPECT_TRUE(program->waitForExit().has_value());
}

TEST_F(EthTesterRun, theViewerCanBeOpenedWhileALoopbackRunGoesOn) {
    benchctl({"create", "2"});
    settings("[TESTITEMS]\r\nRegister=0\r\nQuickLoopback=0\r\nLongLoopback=1\r\nExternalLoopback=0\r\n"
             "[LONGLOOPBACK]\r\nPacketCount=3000\r\nPacketSize=64\r\n");
    start();
    main.click(IDC_START);
    ASSERT_TRUE(waitUntil([&] { return main.title().rfind("Ethernet Diagnostic Tool - Packet Count: ", 0) == 0; }));
    EXPECT_TRUE(main.enabled(IDC_SHOW_EEPROM));
    main.click(IDC_SHOW_EEPROM);
    auto viewer = program->waitForDialog("Ethernet Diagnostic - EEPROM Information");
    ASSERT_TRUE(viewer);
    // The viewer's requests (on the user-interface thread) and the worker's frames (on its
    // thread) go to the same bench; each gets its own answers.
    const auto rows = viewer->listRows(IDC_EEPROM_LIST);
    ASSERT_EQ(rows.size(), 16u);
    EXPECT_EQ(rows[8][0], "2");
    viewer->click(IDOK);
    ASSERT_TRUE(waitUntil([&] { return !viewer->alive(); }));
    ASSERT_TRUE(waitUntil([&] { return statusIs(IDS_ALL_PASSED); }, 60000)) << main.text(IDC_STATUS);
    main.click(IDC_EXIT);
    EXPECT_TRUE(program->waitForExit().has_value());
}
