// diagnostics_dialog_test.cpp: EthTester's main dialog with the fake view on the bench:
// start-up and settings, the enable rule, Start's checks, the driver check, auto mode,
// the controls after a passed run, Exit, the log of a run, and the EEPROM viewer.
#include "ethtester/diagnostics_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "bench/bench_device.h"
#include "common/eeprom/read_record.h"
#include "ethtester/eeprom_details_dialog.h"
#include "portable/file_system_portable.h"
#include "portable/log_files_portable.h"
#include "portable/profile_files_portable.h"
#include "resources/ethtester_ids.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/unit/ethtester/run_fakes.h"

using namespace lt;
using namespace lt::ethtester;
using lt::test::FakeDialog;

namespace {

struct FixedSystem : platform::SystemPaths {
    std::string windows, current;
    bool recommended = false;
    std::optional<std::string> windowsDirectory() override { return windows; }
    std::optional<std::string> currentDirectory() override { return current; }
    bool isRecommendedSystem() override { return recommended; }
};

struct FakeErrorTexts : platform::ErrorTexts {
    std::string text(uint32_t code) override { return "system text " + std::to_string(code) + "\r\n"; }
};

struct FakeErrorBox : ErrorBox {
    std::vector<std::string> shown;
    std::function<void()> whileShown;  // what the operator does while the box is open
    void show(const std::string& text) override {
        shown.push_back(text);
        if (whileShown) whileShown();
    }
};

struct FixedClock : Clock {
    LocalTime now() override { return {2026, 12, 10, 9, 5, 3}; }
};

#ifdef _WIN32
constexpr const char* kEol = "\r\n";  // the log is written in text mode
#else
constexpr const char* kEol = "\n";
#endif

std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct DiagnosticsDialogTest : ::testing::Test {
    lt::test::TempDir windows, current;
    std::string benchPath = windows.file("bench.txt");
    settings::PortableProfileFiles profiles;
    platform::PortableFileSystem lookup;
    settings::SettingsStore store{profiles, lookup, settings::settingsPathsIn(windows.path().string())};
    const lt::test::RcFile& rc = lt::test::programResources("ethtester.rc");
    lt::test::RcStrings strings{rc};
    FixedSystem system;
    FakeErrorTexts errorTexts;
    FakeErrorBox errorBox;
    lt::test::FakeWorkerThreads threads;
    lt::test::FakeRunIdleEvent runIdle;
    FixedClock clock;
    PortableLogFiles logFiles;
    std::unique_ptr<bench::BenchDevice> device;
    FakeDialog view{rc, IDD_ETHTESTER_MAIN};
    std::unique_ptr<DiagnosticsDialog> dialog;

    DiagnosticsDialogTest() {
        system.windows = windows.path().string();
        system.current = current.path().string();
    }

    void benchctl(std::vector<std::string> command) { test::benchctl(benchPath, std::move(command)); }
    void diag(const char* section, const char* key, const char* value) {
        profiles.writeString(store.paths().ethernetDiagnostic, section, key, value);
    }
    void open() {
        device = std::make_unique<bench::BenchDevice>(benchPath);
        dialog = std::make_unique<DiagnosticsDialog>(
            DiagnosticsPorts{strings, store, system, *device, errorTexts, errorBox, threads, runIdle, clock,
                             logFiles});
        view.open(*dialog);
    }
    std::string status() { return view.text(IDC_STATUS); }
    std::string logFile() { return readAll(current.path() / "USBEthDiagnostics.log"); }
};

}  // namespace

TEST_F(DiagnosticsDialogTest, firstStartWithoutSettingsOffersRegisterAndQuickWithPacketBoxesDisabled) {
    benchctl({"create", "1"});
    open();
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, strings.text(IDS_RECOMMENDED_SYSTEM));
    EXPECT_EQ(view.messages()[0].icon, ui::Icon::Information);
    EXPECT_TRUE(view.checked(IDC_REGISTER_TEST));
    EXPECT_TRUE(view.checked(IDC_QUICK_LOOPBACK));
    EXPECT_FALSE(view.checked(IDC_LONG_LOOPBACK));
    EXPECT_FALSE(view.checked(IDC_EXTERNAL_LOOPBACK));
    EXPECT_FALSE(view.checked(IDC_ENABLE_LOGGING));
    EXPECT_EQ(view.text(IDC_PACKET_COUNT), "1");
    EXPECT_EQ(view.text(IDC_PACKET_SIZE), "1");
    EXPECT_FALSE(view.enabled(IDC_PACKET_COUNT));
    EXPECT_FALSE(view.enabled(IDC_PACKET_SIZE));
    EXPECT_EQ(status(), "Select the tests and press start to verify the devices...");
    EXPECT_TRUE(view.timers().empty());
    EXPECT_EQ(view.iconId(), IDI_ETHTESTER);
}

TEST_F(DiagnosticsDialogTest, longLoopbackWithoutPacketSectionShowsTheDefaultsEnabled) {
    diag("TESTITEMS", "LongLoopback", "1");
    system.recommended = true;
    open();
    EXPECT_TRUE(view.messages().empty());
    EXPECT_EQ(view.text(IDC_PACKET_COUNT), "10");
    EXPECT_EQ(view.text(IDC_PACKET_SIZE), "1514");
    EXPECT_TRUE(view.enabled(IDC_PACKET_COUNT));
}

TEST_F(DiagnosticsDialogTest, theEnableRuleFollowsLongAndExternalAndKeepsTheTexts) {
    open();
    view.click(IDC_EXTERNAL_LOOPBACK);
    EXPECT_TRUE(view.enabled(IDC_PACKET_COUNT));
    EXPECT_EQ(view.text(IDC_PACKET_COUNT), "1");
    view.click(IDC_EXTERNAL_LOOPBACK);
    EXPECT_FALSE(view.enabled(IDC_PACKET_SIZE));
}

TEST_F(DiagnosticsDialogTest, enterEscapeAndTheCloseBoxDoNothing) {
    open();
    view.pressEnter();
    view.pressEscape();
    view.closeBox();
    EXPECT_FALSE(view.ended());
}

TEST_F(DiagnosticsDialogTest, packetValuesOutOfRangeAreRefusedBeforeAnythingRuns) {
    benchctl({"create", "1"});
    diag("TESTITEMS", "LongLoopback", "1");
    open();
    struct Case { const char* count; const char* size; const char* prompt; };
    const Case cases[] = {
        {"0", "1514", "Please enter an integer between 1 and 100000."},
        {"100001", "1514", "Please enter an integer between 1 and 100000."},
        {"10", "0", "Please enter an integer between 1 and 1514."},
        {"10", "1515", "Please enter an integer between 1 and 1514."},
    };
    for (const Case& c : cases) {
        view.messages().clear();
        view.setText(IDC_PACKET_COUNT, c.count);
        view.setText(IDC_PACKET_SIZE, c.size);
        view.click(IDC_START);
        ASSERT_EQ(view.messages().size(), 1u) << c.count << " " << c.size;
        EXPECT_EQ(view.messages()[0].text, c.prompt);
        EXPECT_TRUE(view.enabled(IDC_START));
    }
    EXPECT_FALSE(view.ended());
}

TEST_F(DiagnosticsDialogTest, startWithNoTestSelectedAsksForOne) {
    open();
    view.click(IDC_REGISTER_TEST);
    view.click(IDC_QUICK_LOOPBACK);
    view.messages().clear();
    view.click(IDC_START);
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, "Select any test");
    EXPECT_FALSE(view.ended());
}

TEST_F(DiagnosticsDialogTest, aPassedManualRunRestoresTheControlsWithTheCapturedValues) {
    benchctl({"create", "2"});
    diag("TESTITEMS", "QuickLoopback", "0");
    diag("TESTITEMS", "LongLoopback", "1");
    diag("LONGLOOPBACK", "PacketCount", "007");
    diag("LONGLOOPBACK", "PacketSize", "64");
    open();
    view.click(IDC_START);
    EXPECT_FALSE(view.ended());
    EXPECT_EQ(status(), strings.text(IDS_ALL_PASSED));
    EXPECT_EQ(view.title(), "Ethernet Diagnostic Tool");
    EXPECT_TRUE(view.enabled(IDC_START));
    EXPECT_TRUE(view.enabled(IDC_PACKET_COUNT));
    EXPECT_EQ(view.text(IDC_PACKET_COUNT), "7");  // written back with "%u"
    EXPECT_EQ(view.text(IDC_PACKET_SIZE), "64");
    EXPECT_TRUE(view.checked(IDC_LONG_LOOPBACK));
    view.click(IDC_EXIT);
    EXPECT_EQ(dialog->exitCode(), kPassed) << "Exit after a passed run";
    EXPECT_FALSE(std::filesystem::exists(current.path() / "USBEthDiagnostics.log"));
}

TEST_F(DiagnosticsDialogTest, autoModeStartsFromTheTimerAndClosesAfterAPass) {
    benchctl({"create", "2"});
    profiles.writeString(store.paths().epromData, "DIAGNOSTICSMODE", "AUTO", "1");
    open();
    ASSERT_EQ(view.timers().count(1), 1u);
    EXPECT_EQ(view.timers().at(1), 200u);
    view.fireTimer(1);
    EXPECT_TRUE(view.timers().empty());
    EXPECT_TRUE(view.ended());
    EXPECT_EQ(status(), strings.text(IDS_EXITING));
    EXPECT_TRUE(errorBox.shown.empty());
    EXPECT_EQ(dialog->exitCode(), kPassed);
}

TEST_F(DiagnosticsDialogTest, aRegisterFaultShowsItsBoxAndClosesTheProgram) {
    benchctl({"create", "3"});
    benchctl({"set", "2", "register=8:0x00"});
    open();
    view.click(IDC_START);
    EXPECT_EQ(errorBox.shown, std::vector<std::string>{strings.text(IDS_REGISTER_FAILED)});
    EXPECT_TRUE(view.ended());
    EXPECT_EQ(status(), strings.text(IDS_EXITING));
    EXPECT_EQ(dialog->exitCode(), kRegisterWrongValue) << "the run's result is the exit code";
}

TEST_F(DiagnosticsDialogTest, aWrongOrFailedDriverVersionClosesTheProgramAfterItsBox) {
    struct Case { const char* setting; uint32_t message; };
    const Case cases[] = {{"version=0.13", IDS_ERR_DRIVER_VERSION},
                          {"fail=IOCTL_GET_DRIVER_VERSION", IDS_ERR_DRIVER_VERSION},
                          {"absent=1", IDS_ERR_NOT_CONNECTED}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        errorBox.shown.clear();
        benchctl({"create", "1"});
        benchctl({"driver", c.setting});
        bench::BenchDevice bench(benchPath);
        DiagnosticsDialog d(
            DiagnosticsPorts{strings, store, system, bench, errorTexts, errorBox, threads, runIdle, clock,
                             logFiles});
        FakeDialog v(rc, IDD_ETHTESTER_MAIN);
        v.open(d);
        v.click(IDC_START);
        EXPECT_EQ(errorBox.shown, std::vector<std::string>{strings.text(c.message)});
        EXPECT_TRUE(v.ended());
        EXPECT_EQ(d.exitCode(), kNoRun);
    }
}

TEST_F(DiagnosticsDialogTest, theLogOfARunHoldsTheSelectionProgressAndSystemDetails) {
    benchctl({"create", "1"});
    benchctl({"driver", "fail=IOCTL_READ_MAC_REGISTER:1"});
    diag("LOGFLAG", "Enable", "1");
    diag("TESTITEMS", "QuickLoopback", "0");
    open();
    view.click(IDC_START);
    // Every entry is written as "%s\n" in text mode: on Windows each line break of the
    // text becomes CR LF, also inside an entry that spans several lines.
    auto textMode = [](const std::string& raw) {
#ifdef _WIN32
        std::string out;
        for (char ch : raw) out += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
        return out;
#else
        return raw;
#endif
    };
    const std::string log = logFile();
    const std::string entries = textMode("--------- Start of USB-Ethernet Diagnostics---------\n");
    const auto from = log.find(entries);
    ASSERT_NE(from, std::string::npos) << log;
    // The run ended in a failure; Exit ended the dialog and Start closed the log afterwards.
    EXPECT_EQ(log.substr(from + entries.size()),
              textMode("Register test selected.\nRegister test is in progres...\n"
                       "\nAPI Name: DeviceIoControl\nSystem Error Message: system text 31\r\n\n"
                       "Register Index - 1, Byte Written - 0xff, Byte Read - 0x00\n"
                       "One of the devices connected failed Register test !!\n"
                       "--------- End of USB-Ethernet Diagnostics---------\n"));
}

TEST_F(DiagnosticsDialogTest, onlyTheTrainingBuildMarksTheWindowTheViewerAndTheLogHeader) {
    const std::string mark = "Training: simulated adapters (bench file C:\\line\\TrainingBench.txt)";
    benchctl({"create", "1"});
    diag("LOGFLAG", "Enable", "1");
    diag("TESTITEMS", "QuickLoopback", "0");
    for (const bool training : {false, true}) {
        SCOPED_TRACE(training ? "training build" : "production build");
        bench::BenchDevice bench(benchPath);
        DiagnosticsDialog d(DiagnosticsPorts{strings, store, system, bench, errorTexts, errorBox, threads, runIdle,
                                             clock, logFiles, {training, training ? "C:\\line\\TrainingBench.txt" : ""}});
        FakeDialog v(rc, IDD_ETHTESTER_MAIN);
        v.open(d);
        EXPECT_EQ(v.control(IDC_TRAINING_MARK).visible, training);
        EXPECT_EQ(v.text(IDC_TRAINING_MARK), training ? mark : "");
        EXPECT_EQ(v.title(), "Ethernet Diagnostic Tool");

        bool viewerMarked = !training;
        v.onChild(IDD_EEPROM_DETAILS, [&](FakeDialog& child) {
            viewerMarked = child.control(IDC_TRAINING_MARK).visible && child.text(IDC_TRAINING_MARK) == mark;
            EXPECT_EQ(child.control(IDC_EEPROM_LIST).rows.size(), 8u);
            child.click(ui::kIdOk);
        });
        v.click(IDC_SHOW_EEPROM);
        EXPECT_EQ(viewerMarked, training);

        v.click(IDC_START);
        ASSERT_EQ(v.text(IDC_STATUS), strings.text(IDS_ALL_PASSED));
        std::vector<std::string> header{"-------------------", "Module_Name:USB-Ethernet Diagnostics",
                                        "Date:2026-12-10", "Time:09:05:03"};
        if (training) header.push_back(mark);
        header.insert(header.end(), {"-------------------", "--------- Start of USB-Ethernet Diagnostics---------",
                                     "Register test selected."});
        std::string expected;
        for (const std::string& line : header) expected += line + kEol;
        EXPECT_EQ(logFile().substr(0, expected.size()), expected);
        v.click(IDC_EXIT);
    }
}

TEST_F(DiagnosticsDialogTest, exitWhenIdleEndsTheDialogAtOnce) {
    open();
    view.click(IDC_EXIT);
    EXPECT_TRUE(view.ended());
    EXPECT_TRUE(dialog->stopRequested());
    EXPECT_EQ(status(), strings.text(IDS_EXITING));
    EXPECT_EQ(dialog->exitCode(), kNoRun) << "no run made: never taken for a pass";
}

// The error boxes have no owner, so Exit can be pressed while one is open. In a run that
// never started a worker (only external loopback selected, the PHY mode check failing) no
// worker sets the run-idle event: Exit must not wait for it.
TEST_F(DiagnosticsDialogTest, exitWhileTheBoxOfARunWithoutAWorkerIsOpenEndsTheDialog) {
    benchctl({"create", "2"});
    benchctl({"driver", "phymode=1"});
    diag("TESTITEMS", "Register", "0");
    diag("TESTITEMS", "QuickLoopback", "0");
    diag("TESTITEMS", "ExternalLoopback", "1");
    open();
    bool endedWhileShown = false;
    errorBox.whileShown = [&] {
        view.click(IDC_EXIT);
        endedWhileShown = view.ended();
    };
    runIdle.waitLimit = std::chrono::milliseconds(3000);
    view.click(IDC_START);
    EXPECT_EQ(errorBox.shown, std::vector<std::string>{strings.text(IDS_PHY_NOT_AUTONEG)});
    EXPECT_FALSE(runIdle.gaveUp);
    EXPECT_TRUE(endedWhileShown);
    EXPECT_EQ(threads.started, 0);
}

TEST(EepromRows, showEachRevisionsFieldsAndABlankRowAfterEachAdapter) {
    eeprom::EepromReadRecord later;
    later.revision = 0x200;
    later.vendorId = 0x0A12;
    later.productId = 0x6514;
    later.languageId = 0x0409;
    later.macAddress = {0x00, 0x0A, 0xFF, 0x10, 0x20, 0x30};
    later.manufacturer = "Korvane Semiconductor";
    later.product = "USB-MAC Controller   ";
    later.serialNumber = eeprom::addressToSerial({0x00, 0x11, 0x22, 0x33, 0x44, 0x55});
    eeprom::EepromReadRecord earlier;
    earlier.revision = 0x100;
    earlier.macAddress = {0x00, 0x11, 0x22, 0x33, 0x44, 0x56};
    eeprom::EepromReadRecord other;
    other.revision = 0x300;

    using Rows = std::vector<std::array<std::string, 2>>;
    EXPECT_EQ(eepromRows(1, true, later), (Rows{{"1", "VID : A12"},
                                                {" ", "PID : 6514"},
                                                {" ", "MAC Address : 00-0A-FF-10-20-30"},
                                                {" ", "Manufacturer ID : Korvane Semiconductor"},
                                                {" ", "Product ID : USB-MAC Controller   "},
                                                {" ", "Lang ID : 0409"},
                                                {" ", "Serial Number : 11-00-33-22-55-44"},
                                                {" ", " "}}));
    EXPECT_EQ(eepromRows(2, true, earlier), (Rows{{"2", "MAC Address : 00-11-22-33-44-56"}, {" ", " "}}));
    EXPECT_EQ(eepromRows(3, true, other), (Rows{{" ", " "}}));
    EXPECT_EQ(eepromRows(4, false, other),
              (Rows{{"4", "Unable To Read EEPROM Details For This Device"}, {" ", " "}}));
}

TEST_F(DiagnosticsDialogTest, theViewerListsEveryAdapterAndAFailedReadGoesOnToTheNext) {
    benchctl({"create", "3"});
    benchctl({"set", "2", "revision=0x100"});
    benchctl({"set", "3", "readfail=1"});
    open();
    int viewerRows = -1;
    view.onChild(IDD_EEPROM_DETAILS, [&](FakeDialog& child) {
        viewerRows = static_cast<int>(child.control(IDC_EEPROM_LIST).rows.size());
        EXPECT_EQ(child.control(IDC_EEPROM_LIST).rows[8][1], "MAC Address : FF-FF-FF-FF-FF-FF");
        EXPECT_EQ(child.control(IDC_EEPROM_LIST).rows[10][1], "Unable To Read EEPROM Details For This Device");
        child.click(ui::kIdOk);
    });
    view.click(IDC_SHOW_EEPROM);
    EXPECT_EQ(viewerRows, 8 + 2 + 2);
}

TEST_F(DiagnosticsDialogTest, theViewerWithNoAdapterSaysSoAndCloses) {
    benchctl({"create", "0"});
    open();
    view.messages().clear();
    view.onChild(IDD_EEPROM_DETAILS, [](FakeDialog&) {});
    view.click(IDC_SHOW_EEPROM);
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, "No Device Found For Showing EEPROM Details");
    EXPECT_EQ(view.messages()[0].caption, "Error");
}
