// press_ledger_test.cpp: the station's production ledger: the lines of every event of a press, the re-issue guard with its login, a ledger that cannot be written or read, the start-up recovery, the counters line and the station's name.
#include "progstation/press_ledger.h"

#include <gtest/gtest.h>

#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using adapter::MacAddress;
using ledger::Event;
using ui::Answer;
using ui::Icon;

namespace {

using Texts = std::array<std::string, 6>;
const Texts kStart = StationTest::kRangeStart;

MacAddress at(uint32_t k) { return adapter::stepAddress(MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}, k); }

struct LedgerTest : StationTest {
    LedgerTest() {
        stationOptions(0, 0, 0);
        installPackage();
        errors.texts[112] = "There is not enough space on the disk.\r\n";
    }
    std::vector<ledger::Record> of(Event event) {
        std::vector<ledger::Record> out;
        for (const ledger::Record& r : ledgerRecords())
            if (r.event == event) out.push_back(r);
        return out;
    }
    std::vector<MacAddress> macs(Event event) {
        std::vector<MacAddress> out;
        for (const ledger::Record& r : of(event)) out.push_back(r.mac);
        return out;
    }
    std::vector<std::string> details(Event event) {
        std::vector<std::string> out;
        for (const ledger::Record& r : of(event)) out.push_back(r.detail);
        return out;
    }
    std::vector<MacAddress> range(uint32_t first, uint32_t n) { return ledger::lotAddresses(at(first), n); }
    // A range of 10 from kStart with its first lot of four shipped.
    void firstLotShipped() {
        press();
        ASSERT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
        freshLot(4);
    }
};

}  // namespace

// ---- The lines of a press.

TEST_F(LedgerTest, aRecordedLotIssuesItsAddressesBeforeTheRequestAndShipsWhatIsReadBack) {
    std::size_t issuedAtRequest = 0;
    device.onProgram = [&] { issuedAtRequest = of(Event::Issued).size(); };
    press();
    EXPECT_EQ(issuedAtRequest, 4u) << "the issued lines are in the file before the request";
    const auto issued = of(Event::Issued);
    ASSERT_EQ(issued.size(), 4u);
    for (uint32_t d = 0; d < 4; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(issued[d].lot, 1u);
        EXPECT_EQ(issued[d].device, d + 1);
        EXPECT_EQ(issued[d].mac, at(d));
        EXPECT_EQ(issued[d].station, "LINE-1");
        EXPECT_EQ(issued[d].vid, 0x8207);
        EXPECT_EQ(issued[d].pid, 0x6514);
        EXPECT_EQ(issued[d].rangeStart, at(0));
        EXPECT_EQ(issued[d].rangeCount, 10u);
        EXPECT_EQ(issued[d].detail, "diagnostics not run");
    }
    const auto shipped = of(Event::Shipped);
    ASSERT_EQ(shipped.size(), 4u);
    EXPECT_EQ(macs(Event::Shipped), benchAddresses());
    // Revision 0x200: the descriptor verification read the serial numbers (pairs exchanged).
    EXPECT_EQ(shipped[0].serial, "1B-00-7A-4E-00-01");
    EXPECT_EQ(shipped[3].serial, "1B-00-7A-4E-03-01");
    EXPECT_EQ(shipped[3].device, 4u);
    EXPECT_TRUE(of(Event::Void).empty());
    EXPECT_TRUE(ledgerFile().starts_with(std::string(ledger::kHeader) + "\r\n"));
}

TEST_F(LedgerTest, adaptersWhoseSerialIsNotReadShipWithAnEmptySerial) {
    bench({"create", "2", "revision=0x100"});
    press();
    const auto shipped = of(Event::Shipped);
    ASSERT_EQ(shipped.size(), 2u);
    EXPECT_EQ(shipped[0].serial, "");
    EXPECT_EQ(shipped[1].serial, "");
}

TEST_F(LedgerTest, everyPressThatReachedTheRequestWithoutARecordedLotVoidsItsAddressesWithTheReason) {
    struct Case {
        const char* what;
        std::function<void(LedgerTest&)> arrange;
        std::vector<Answer> answers;
        std::string count;
        std::string reason;
    };
    const Case cases[] = {
        {"descriptor read-back", [](LedgerTest& t) { t.bench({"set", "2", "badstring=1"}); }, {}, "10",
         "descriptor verification failed"},
        {"vendor part", [](LedgerTest& t) { t.bench({"set", "3", "badvendor=1"}); }, {}, "10",
         "vendor part verification failed"},
        {"request failed", [](LedgerTest& t) { t.bench({"driver", "programfail=1"}); }, {}, "10",
         "programming request failed"},
        {"count mismatch, OK", [](LedgerTest&) {}, {Answer::Ok}, "3", "count mismatch"},
        {"count mismatch, Cancel", [](LedgerTest&) {}, {Answer::Cancel}, "3", "count mismatch"},
        {"conflict, Retry", [](LedgerTest& t) { t.bench({"set", "2", "mac=00-1B-4E-7A-01-05"}); }, {Answer::Retry},
         "10", "address conflict, retry"},
        {"conflict, Abort", [](LedgerTest& t) { t.bench({"set", "2", "mac=00-1B-4E-7A-01-05"}); }, {Answer::Abort},
         "10", "address conflict, abort"},
        {"records not written", [](LedgerTest& t) { t.profiles.holdAfter(1); }, {}, "10", "records not written"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        view.reset();
        ledgerFiles.files.clear();
        std::filesystem::remove(drive.host(windowsFile("EpromData.ini")));
        bench({"create", "4"});
        start();
        c.arrange(*this);
        for (Answer a : c.answers) view->answerNext(a);
        press(kStart, c.count);
        profiles.hold.reset();
        EXPECT_EQ(of(Event::Issued).size(), 4u);
        EXPECT_TRUE(of(Event::Shipped).empty());
        EXPECT_EQ(macs(Event::Void), range(0, 4));
        EXPECT_EQ(details(Event::Void), std::vector<std::string>(4, c.reason));
    }
}

TEST_F(LedgerTest, anInvalidRangeVoidsTheAddressesItIssued) {
    press({"01", "1B", "4E", "7A", "01", "00"});  // a group address
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text, text(IDS_INVALID_RANGE));
    EXPECT_EQ(of(Event::Issued).size(), 4u);
    EXPECT_EQ(details(Event::Void), std::vector<std::string>(4, "invalid range"));
}

TEST_F(LedgerTest, theRequestRepeatedWithIgnoreBelongsToTheSameLot) {
    bench({"set", "2", "mac=00-1B-4E-7A-01-05"});
    start();
    view->answerNext(Answer::Ignore);
    press();
    ASSERT_EQ(device.programRequests.size(), 2u);
    EXPECT_EQ(macs(Event::Issued), range(0, 4));
    EXPECT_EQ(macs(Event::Shipped), range(0, 4));
    for (const ledger::Record& r : ledgerRecords()) EXPECT_EQ(r.lot, 1u);
}

TEST_F(LedgerTest, theIssuedLinesCarryTheDiagnosticsResult) {
    struct Case {
        bool option;
        bool present;
        std::optional<uint32_t> exitCode;
        std::string detail;
    };
    const Case cases[] = {{true, true, 0, "diagnostics 0"},
                          {true, true, 11, "diagnostics 11"},
                          {true, true, std::nullopt, "diagnostics result unknown"},
                          {true, false, 0, "diagnostics not run"},
                          {false, true, 0, "diagnostics not run"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.detail);
        view.reset();
        ledgerFiles.files.clear();
        std::filesystem::remove(drive.host(windowsFile("EpromData.ini")));
        stationOptions(0, 0, c.option ? 1 : 0);
        launcher.present = {};
        if (c.present) launcher.present = {"C:\\line\\EthTester.exe"};
        launcher.exitCode = c.exitCode;
        bench({"create", "4"});
        press();
        EXPECT_EQ(details(Event::Issued), std::vector<std::string>(4, c.detail));
    }
}

// ---- The guard.

TEST_F(LedgerTest, theCountEditedDownBringsTheGuardsQuestionAndNoProgramsNothingAndKeepsTheRange) {
    firstLotShipped();
    const std::string before = ledgerFile();
    view->answerNext(Answer::No);
    press(kStart, "4");  // the same start with a count not above the count programmed: a new range
    ASSERT_EQ(view->messages().size(), 1u);
    const ShownMessage& m = view->messages()[0];
    EXPECT_EQ(m.text, "4 of the addresses of this lot were shipped already: the first one, 00-1B-4E-7A-01-00, on "
                      "2024-05-01T10:00:00Z by station LINE-1. \n\nHand these addresses out again? \nPress \"No\" to "
                      "program nothing and change the Start Address or the Device Count (Or) \nPress \"Yes\" to log in "
                      "and program them again.");
    EXPECT_EQ(m.icon, Icon::Exclamation);
    EXPECT_EQ(m.buttons, ui::Buttons::YesNoDefaultNo);
    EXPECT_EQ(device.programRequests.size(), 1u) << "nothing programmed";
    EXPECT_EQ(ledgerFile(), before) << "nothing written";
    // The range goes on as before the press.
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "10");
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
    EXPECT_FALSE(view->ended());
    EXPECT_EQ(view->text(IDC_START), "&Next");
    EXPECT_TRUE(view->enabled(IDC_START));
    EXPECT_TRUE(view->session().childrenRun.empty()) << "no login after No";

    press(kStart, "10");  // the range continued
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(benchAddresses(), range(4, 4));
}

TEST_F(LedgerTest, yesWithThePassedLoginProgramsAndWritesReissuedLines) {
    firstLotShipped();
    view->answerNext(Answer::Yes);
    loginNext();
    press(kStart, "4");
    EXPECT_EQ(view->session().childrenRun, std::vector<int>{IDD_LOGIN_STATION});
    EXPECT_EQ(device.programRequests.size(), 2u);
    EXPECT_EQ(benchAddresses(), range(0, 4));
    EXPECT_EQ(macs(Event::Reissued), range(0, 4));
    EXPECT_EQ(details(Event::Reissued), std::vector<std::string>(4, "operator login"));
    // Each address shipped once since its re-issue.
    for (const auto& [address, lines] : shippedSinceReissue()) EXPECT_EQ(lines, 1) << address;
}

TEST_F(LedgerTest, aLoginThatDoesNotPassRefusesThePress) {
    firstLotShipped();
    view->answerNext(Answer::Yes);
    view->onChild(IDD_LOGIN_STATION, [](FakeDialog& login) { login.click(IDC_LOGIN_EXIT); });
    press(kStart, "4");
    EXPECT_EQ(device.programRequests.size(), 1u);
    EXPECT_TRUE(of(Event::Reissued).empty());
    EXPECT_EQ(of(Event::Issued).size(), 4u);
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
}

TEST_F(LedgerTest, theGuardAsksOnlyAboutShippedAddressesAndNamesHowMany) {
    firstLotShipped();
    // A new range from the third address: two of its four addresses were shipped.
    view->answerNext(Answer::Yes);
    loginNext();
    press({"00", "1B", "4E", "7A", "01", "02"}, "6");
    ASSERT_FALSE(view->messages().empty());
    EXPECT_TRUE(view->messages()[0].text.starts_with("2 of the addresses of this lot were shipped already: the first "
                                                     "one, 00-1B-4E-7A-01-02,"));
    EXPECT_EQ(macs(Event::Reissued), range(2, 2));
}

TEST_F(LedgerTest, withTheGuardOffShippedAddressesGoOutAgainWithoutAQuestionAndAreMarked) {
    firstLotShipped();
    write("EthernetDiagnostic.ini", "LEDGER", "GuardReissue", "0");
    press(kStart, "4");  // the range of 4 completes
    EXPECT_EQ(messageTexts(), std::vector<std::string>{text(IDS_RANGE_COMPLETE)}) << "no question";
    EXPECT_EQ(device.programRequests.size(), 2u);
    EXPECT_EQ(details(Event::Reissued), std::vector<std::string>(4, "guard off"));
    for (const auto& [address, lines] : shippedSinceReissue()) EXPECT_EQ(lines, 1) << address;
}

TEST_F(LedgerTest, aReissueWhoseLotFailsLeavesTheAddressesGuarded) {
    firstLotShipped();
    bench({"set", "1", "badstring=1"});
    view->answerNext(Answer::Yes);
    loginNext();
    press(kStart, "4");
    EXPECT_EQ(details(Event::Void), std::vector<std::string>(4, "descriptor verification failed"));
    bench({"set", "1", "badstring=0"});
    view->answerNext(Answer::No);
    press(kStart, "4");
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_TRUE(fitsPattern(view->messages()[0].text, text(IDS_LEDGER_GUARD)));
}

// ---- A ledger that cannot be written or read.

TEST_F(LedgerTest, aLedgerThatCannotBeWrittenAtIssueRefusesThePressWithNothingProgrammed) {
    firstLotShipped();
    ledgerFiles.failAppends = 1;
    press({"00", "1B", "4E", "7B", "00", "00"}, "8");
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text,
              "The production ledger C:\\windows\\AddressLedger.csv could not be written (the ledger file cannot be "
              "written: There is not enough space on the disk.) !! Nothing was programmed. \nFree space on the disk "
              "or close any program that holds this file, and press \"Start\" again.");
    EXPECT_EQ(view->messages()[0].icon, Icon::Stop);
    EXPECT_EQ(device.programRequests.size(), 1u);
    // The range typed is not recorded: the range of 10 goes on.
    EXPECT_EQ(epromAddress("INITIALMACADDR"), kStart);
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
    EXPECT_FALSE(view->ended());
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));

    press({"00", "1B", "4E", "7B", "00", "00"}, "8");  // the disk has room again
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
    EXPECT_EQ(macs(Event::Shipped).back(), (MacAddress{0x00, 0x1b, 0x4e, 0x7b, 0x00, 0x03}));
}

TEST_F(LedgerTest, aShippedLineThatCannotBeWrittenIsReportedAndWrittenWithTheNextLines) {
    // The issued lines go in, the shipped ones do not.
    device.onProgram = [&] { ledgerFiles.failAppends = 1; };
    press();
    device.onProgram = nullptr;
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_TRUE(fitsPattern(view->messages()[0].text, text(IDS_LEDGER_SHIP_NOT_WRITTEN)));
    EXPECT_EQ(view->messages()[0].icon, Icon::Stop);
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4") << "the lot is recorded";
    freshLot(4);
    press();
    EXPECT_EQ(macs(Event::Shipped), range(0, 8));
}

TEST_F(LedgerTest, aDamagedLedgerIsReportedAtStartAndRefusesEveryPressUntilItReads) {
    ledgerFile() = std::string(ledger::kHeader) + "\r\n2024-05-01T10:00:00Z,LINE-1,shiped,1,1,00-1B-4E-7A-01-00,,8207,6514,"
                   "00-1B-4E-7A-01-00,10,\r\n";
    start();
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].icon, Icon::Stop);
    EXPECT_TRUE(view->messages()[0].text.starts_with(
        "The production ledger C:\\windows\\AddressLedger.csv cannot be read (line 2: "));
    EXPECT_EQ(view->text(IDC_LEDGER_COUNTERS), text(IDS_LEDGER_COUNTERS_UNREADABLE));
    for (int attempt = 0; attempt < 2; ++attempt) {
        press();
        ASSERT_EQ(view->messages().size(), 1u);
        EXPECT_TRUE(fitsPattern(view->messages()[0].text, text(IDS_LEDGER_DAMAGED)));
        EXPECT_TRUE(device.programRequests.empty());
        EXPECT_EQ(eprom("INITIALMACADDR", "BYTE1"), "<missing>") << "nothing recorded";
        EXPECT_FALSE(view->ended());
    }
    // The line engineer mends the file: the next press reads it and programs.
    ledgerFile() = std::string(ledger::kHeader) + "\r\n";
    press();
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(of(Event::Shipped).size(), 4u);
}

TEST_F(LedgerTest, anUnreadableLedgerNamesTheSystemsError) {
    ledgerFile() = std::string(ledger::kHeader) + "\r\n";
    ledgerFiles.failRead = true;
    errors.texts[5] = "Access is denied.";
    start();
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text,
              "The production ledger C:\\windows\\AddressLedger.csv cannot be read (the ledger file cannot be read: "
              "Access is denied.) !! \nThe station programs nothing until the ledger is readable again: close any "
              "program that holds it, or restore the file from its copy, and press \"Start\" again.");
}

TEST_F(LedgerTest, aFailedCountRequestRefusesThePressBeforeAnythingIsIssuedOrProgrammed) {
    start();
    bench({"driver", "fail=IOCTL_GET_DEVICE_COUNT:1"});
    press();
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_TRUE(fitsPattern(view->messages()[0].text, text(IDS_LEDGER_COUNT_FAILED)));
    EXPECT_EQ(view->messages()[0].icon, Icon::Stop);
    EXPECT_TRUE(device.programRequests.empty());
    EXPECT_TRUE(ledgerRecords().empty());
    EXPECT_EQ(eprom("INITIALMACADDR", "BYTE1"), "") << "the range's record put back";
    EXPECT_FALSE(view->ended());
    EXPECT_EQ(device.live, 0);
}

// ---- Start-up.

TEST_F(LedgerTest, lotsInterruptedByAStopAreShownOnceAtStartAndClosedAsInterrupted) {
    // The station was stopped twice between the issued lines and the end of a lot: lot 1 of
    // four adapters, lot 7 of two.
    std::string file = std::string(ledger::kHeader) + "\r\n";
    ledger::Record r;
    r.time = ledgerClock.now;
    r.station = "LINE-1";
    r.rangeStart = at(0);
    r.rangeCount = 10;
    for (const auto& [lot, first, n] : {std::tuple{1u, 0u, 4u}, std::tuple{7u, 8u, 2u}}) {
        r.lot = lot;
        for (uint32_t d = 1; d <= n; ++d) {
            r.device = d;
            r.mac = at(first + d - 1);
            ledger::appendLine(file, r);
        }
    }
    ledgerFile() = file;
    start();
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text,
              "The station was stopped while 6 devices were being programmed with the addresses 00-1B-4E-7A-01-00 to "
              "00-1B-4E-7A-01-09: whether they were programmed is not known, and none of these addresses was "
              "recorded. \nSet these devices aside, or program them again with the station.");
    EXPECT_EQ(view->messages()[0].icon, Icon::Exclamation);
    EXPECT_EQ(details(Event::Void), std::vector<std::string>(6, "interrupted"));
    view.reset();
    start();
    EXPECT_TRUE(view->messages().empty()) << "shown once";
}

TEST_F(LedgerTest, aLotRecordedBeforeTheStopThatLostItsShippedLinesIsShippedAtStart) {
    // The station stopped after the lot's records, before its shipped lines.
    device.onProgram = [&] { ledgerFiles.failAppends = 100; };
    press();
    ASSERT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
    ledgerFiles.failAppends = 0;
    device.onProgram = nullptr;
    view.reset();
    start();
    EXPECT_TRUE(view->messages().empty()) << ::testing::PrintToString(messageTexts());
    EXPECT_EQ(macs(Event::Shipped), range(0, 4));
    EXPECT_TRUE(of(Event::Void).empty());
    EXPECT_EQ(shippedSinceReissue().size(), 4u);
}

// ---- The counters line.

TEST_F(LedgerTest, theCountersShowTheRangeAndTodayAsTheLedgerHoldsThem) {
    start();
    EXPECT_EQ(view->text(IDC_LEDGER_COUNTERS),
              "Range: none      Today: adapters shipped 0, lots shipped 0, lots failed 0");
    press();
    EXPECT_EQ(view->text(IDC_LEDGER_COUNTERS),
              "Range: 4 programmed, 6 left      Today: adapters shipped 4, lots shipped 1, lots failed 0");
    freshLot(4);
    bench({"set", "2", "badstring=1"});
    press();
    EXPECT_EQ(view->text(IDC_LEDGER_COUNTERS),
              "Range: 4 programmed, 6 left      Today: adapters shipped 4, lots shipped 1, lots failed 1");
    freshLot(4);
    press();
    freshLot(2);
    press();
    EXPECT_EQ(view->text(IDC_LEDGER_COUNTERS),
              "Range: 10 programmed, 0 left      Today: adapters shipped 10, lots shipped 3, lots failed 1");
    // The next day, after a restart.
    ledgerClock.now += 86400;
    view.reset();
    start();
    EXPECT_EQ(view->text(IDC_LEDGER_COUNTERS),
              "Range: 10 programmed, 0 left      Today: adapters shipped 0, lots shipped 0, lots failed 0");
}

// ---- The station's name and the ledger's place.

TEST(LedgerPath, isBesideTheSettingsFiles) {
    FakeSystemPaths system;
    system.windows = std::string("C:\\WINNT");
    EXPECT_EQ(progstation::stationLedgerPath(system), "C:\\WINNT\\AddressLedger.csv");
    system.windows.reset();
    EXPECT_EQ(progstation::stationLedgerPath(system), "AddressLedger.csv");
}

TEST_F(LedgerTest, theStationsNameIsTheSettingElseTheComputersName) {
    settings::SettingsStore store(profiles, files, settings::settingsPathsIn("C:\\windows"));
    FakeComputerName computer;
    EXPECT_EQ(progstation::stationName(store, computer), "BENCH-PC");
    write("EthernetDiagnostic.ini", "LEDGER", "StationName", "LINE 3, EAST");
    EXPECT_EQ(progstation::stationName(store, computer), "LINE 3, EAST");
    write("EthernetDiagnostic.ini", "LEDGER", "StationName", "");
    computer.computer = "";
    EXPECT_EQ(progstation::stationName(store, computer), "station");
}

// The ledger server as the station's messages name it: a password in the connection string
// never reaches the screen.
TEST(LedgerServerName, showsTheConnectionStringWithEveryPasswordHidden) {
    const struct {
        const char* connection;
        const char* shown;
    } cases[] = {
        {"DSN=LineLedger", "DSN=LineLedger"},
        {"DSN=LineLedger;UID=line;PWD=s3cret", "DSN=LineLedger;UID=line;PWD=***"},
        {"Driver={PostgreSQL Unicode};Server=db;pwd={a;b=c};Port=5432", "Driver={PostgreSQL Unicode};Server=db;pwd=***;Port=5432"},
        {"Password=x; Uid=line;", "Password=***; Uid=line;"},
        {"PWD=", "PWD=***"},
        {"no attributes", "no attributes"},
    };
    for (const auto& c : cases) EXPECT_EQ(progstation::ledgerServerName(c.connection), c.shown) << c.connection;
}
