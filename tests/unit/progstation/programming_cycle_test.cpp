// programming_cycle_test.cpp: one press of Start on the bench, through every outcome and its records, the prompts and their answers, both verifications, the refusals before anything is recorded, and the installation check in the cycle.
#include <gtest/gtest.h>

#include "common/adapter/mac_address.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using adapter::MacAddress;
using progstation::InstallResult;
using ui::Answer;
using ui::Icon;

namespace {

using Texts = std::array<std::string, 6>;
const Texts kStart = StationTest::kRangeStart;

struct CycleTest : StationTest {
    CycleTest() {
        stationOptions(0, 0, 0);
        installPackage();
    }
    void expectNothingRecorded() {
        EXPECT_EQ(eprom("PREVIOUSMACADDR", "BYTE6"), "<missing>");
        EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "");
        EXPECT_EQ(eprom("NEXTMACADDR", "BYTE6"), "<missing>");
    }
    void expectClosed() {
        EXPECT_TRUE(view->ended());
        EXPECT_EQ(status(), text(IDS_PRESS_EXIT));
        EXPECT_EQ(eprom("DIAGNOSTICSMODE", "AUTO"), "0");
        EXPECT_TRUE(view->enabled(IDC_EXIT));
    }
    void expectIdle() {
        EXPECT_FALSE(view->ended());
        for (int id : {IDC_START, IDC_EXIT, IDC_DISPLAY_ADDRESSES, IDC_RUN_DIAGNOSTICS, IDC_DEVICE_COUNT,
                       IDC_OVERWRITE, IDC_VERIFY_ADDRESS, IDC_AUTO_DIAGNOSTICS, IDC_START_BYTE1, IDC_START_BYTE6})
            EXPECT_TRUE(view->enabled(id)) << id;
        EXPECT_EQ(view->focused(), IDC_START_BYTE1);
        EXPECT_EQ(device.live, 0) << "every handle closed";
    }
    std::vector<std::pair<std::string, Icon>> shown() {
        std::vector<std::pair<std::string, Icon>> out;
        for (const auto& m : view->messages()) out.emplace_back(m.text, m.icon);
        return out;
    }
};

MacAddress mac(uint8_t b4, uint8_t b5, uint8_t b6) { return {0x00, 0x1b, 0x4e, b4, b5, b6}; }

}  // namespace

// ---- Lots that are recorded.

TEST_F(CycleTest, aLotOfFourIsProgrammedVerifiedAndRecordedAndTheButtonReadsNext) {
    press();
    EXPECT_EQ(benchAddresses(), (std::vector<MacAddress>{mac(0x7a, 1, 0), mac(0x7a, 1, 1), mac(0x7a, 1, 2), mac(0x7a, 1, 3)}));
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(epromAddress("INITIALMACADDR"), kStart);
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "10");
    EXPECT_EQ(eprom("OVERWRITEFLAG", "OVERWRITE"), "0");
    EXPECT_EQ(eprom("DIAGNOSTICSMODE", "AUTO"), "0");
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "03"}));
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
    EXPECT_EQ(epromAddress("NEXTMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "04"}));
    EXPECT_EQ(lastBoxes(), (Texts{"00", "1b", "4e", "7a", "01", "03"}));
    EXPECT_EQ(view->text(IDC_LAST_COUNT), "4");
    EXPECT_EQ(view->text(IDC_START), "&Next");
    EXPECT_EQ(status(), text(IDS_LOT_PROGRAMMED));
    EXPECT_EQ(pauses.taken, std::vector<uint32_t>{2000});
    expectIdle();
    EXPECT_EQ(device.requests,
              (std::vector<std::string>{"IOCTL_GET_DRIVER_VERSION", "IOCTL_GET_CHIP_REVISION", "IOCTL_GET_DEVICE_COUNT",
                                        "IOCTL_PROGRAM_EEPROM", "IOCTL_GET_DEVICE_COUNT", "IOCTL_READ_EEPROM",
                                        "IOCTL_READ_EEPROM",
                                        "IOCTL_READ_EEPROM", "IOCTL_READ_EEPROM", "IOCTL_GET_MAC_ADDRESSES",
                                        "IOCTL_GET_REPLUG_COUNT"}));
    ASSERT_EQ(device.programRequests.size(), 1u);
    const adapter::ProgramRequest& sent = device.programRequests[0];
    EXPECT_EQ(sent.deviceCount, 10u);
    EXPECT_EQ(sent.previousCount, 0u);
    EXPECT_EQ(sent.overwrite, 0);
    EXPECT_EQ(sent.image[0], 0x00);
    EXPECT_EQ(sent.image[8], 0x00);
    EXPECT_EQ(sent.image[126], 0x38);
    EXPECT_EQ(station->data().image->bytes[126], 0x00) << "the kept image holds the placeholders";
}

TEST_F(CycleTest, aRangeOfTenInLotsOfFourFourAndTwoHandsOutTenConsecutiveAddressesAndCompletes) {
    std::vector<MacAddress> handedOut;
    press();
    for (const auto& a : benchAddresses()) handedOut.push_back(a);
    EXPECT_EQ(view->text(IDC_START), "&Next");

    freshLot(4);
    press();
    for (const auto& a : benchAddresses()) handedOut.push_back(a);
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "8");
    EXPECT_EQ(device.programRequests.back().previousCount, 4u);
    EXPECT_EQ(device.programRequests.back().previousAddress, mac(0x7a, 1, 3));
    EXPECT_EQ(view->text(IDC_START), "&Next");

    freshLot(2);
    press();
    for (const auto& a : benchAddresses()) handedOut.push_back(a);
    std::vector<MacAddress> expected;
    for (uint8_t i = 0; i < 10; ++i) expected.push_back(mac(0x7a, 1, i));
    EXPECT_EQ(handedOut, expected);

    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_RANGE_COMPLETE), Icon::Information}}));
    EXPECT_EQ(view->text(IDC_START), "&Start");
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "");
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "");
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "09"}));
    EXPECT_EQ(epromAddress("NEXTMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "0a"}));
    EXPECT_EQ(startBoxes(), (Texts{"00", "1B", "4E", "7A", "01", "0A"}));
    EXPECT_EQ(view->text(IDC_DEVICE_COUNT), "");
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS)) << "the status line is not left at 'in progress'";
    expectIdle();
}

// Lots larger than one USB bus carries (several host controllers): every adapter is verified
// and listed, and the lot is recorded, so the next lot continues after it.
TEST_F(CycleTest, twoLotsOfTwoHundredAreVerifiedListedAndRecordedAndNoAddressIsHandedOutTwice) {
    stationOptions(0, 1, 0);
    std::vector<std::vector<std::vector<std::string>>> lists;
    auto list = [&](FakeDialog& d) {
        lists.push_back(d.control(IDC_ADDRESS_LIST).rows);
        d.click(ui::kIdOk);
    };
    std::vector<MacAddress> handedOut;
    view.reset();
    start();
    freshLot(200);
    view->onChild(IDD_ADDRESS_LIST, list);
    press(kStart, "400");
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(view->text(IDC_START), "&Next");
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "200");
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "c7"}));
    EXPECT_EQ(epromAddress("NEXTMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "c8"}));
    EXPECT_EQ(device.count("IOCTL_READ_EEPROM"), 200);
    for (const auto& a : benchAddresses()) handedOut.push_back(a);

    freshLot(200);
    view->onChild(IDD_ADDRESS_LIST, list);
    press(kStart, "400");
    for (const auto& a : benchAddresses()) handedOut.push_back(a);
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_RANGE_COMPLETE), Icon::Information}}));
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "02", "8f"}));
    std::vector<MacAddress> expected;
    for (int i = 0; i < 400; ++i) expected.push_back(adapter::stepAddress(mac(0x7a, 1, 0), uint32_t(i)));
    EXPECT_EQ(handedOut, expected);

    ASSERT_EQ(lists.size(), 2u);
    for (const auto& rows : lists) ASSERT_EQ(rows.size(), 200u);
    EXPECT_EQ(lists[0][199], (std::vector<std::string>{"200.", "00-1b-4e-7a-01-c7"}));
    EXPECT_EQ(lists[1][199], (std::vector<std::string>{"200.", "00-1b-4e-7a-02-8f"}));
}

TEST_F(CycleTest, aWrongStringOnTheLastOfTwoHundredAdaptersFailsTheDescriptorVerification) {
    freshLot(200);
    bench({"set", "200", "badstring=1"});
    press(kStart, "200");
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_DESCRIPTOR_FAILED), Icon::Stop}}));
    EXPECT_EQ(device.count("IOCTL_READ_EEPROM"), 200);
    expectNothingRecorded();
}

TEST_F(CycleTest, withVerifyCheckedTheAddressListOpensAfterEachLotAndBeforeTheRangeCompletes) {
    stationOptions(0, 1, 0);
    std::vector<std::string> order;
    auto list = [&](FakeDialog& d) {
        order.push_back("list " + std::to_string(d.control(IDC_ADDRESS_LIST).rows.size()) + " " +
                        std::to_string(view->messages().size()));
        d.click(ui::kIdOk);
    };
    view.reset();
    start();
    view->onChild(IDD_ADDRESS_LIST, list);
    press(kStart, "6");
    freshLot(2);
    view->onChild(IDD_ADDRESS_LIST, list);
    press(kStart, "6");
    EXPECT_EQ(order, (std::vector<std::string>{"list 4 0", "list 2 0"}));
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_RANGE_COMPLETE), Icon::Information}}));
    EXPECT_EQ(view->text(IDC_START), "&Start");
}

TEST_F(CycleTest, aContinuedRangeWhosePreviousAddressEndsInOFProgramsTenAndEleven) {
    rangeInProgress(kStart, "20", {"00", "1b", "4e", "7a", "01", "0f"}, "16");
    freshLot(2);
    start();
    view->click(IDC_START);
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(benchAddresses(), (std::vector<MacAddress>{mac(0x7a, 1, 0x10), mac(0x7a, 1, 0x11)}));
    EXPECT_EQ(station->data().lotStart, mac(0x7a, 1, 0x10));
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "18");
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "11"}));
    EXPECT_EQ(view->text(IDC_START), "&Next");
}

TEST_F(CycleTest, aRestartInTheMiddleOfTheRangeContinuesIt) {
    press();
    exit();
    view.reset();
    freshLot(4);
    start();
    EXPECT_EQ(startBoxes(), kStart);
    EXPECT_EQ(view->text(IDC_DEVICE_COUNT), "10");
    view->click(IDC_START);
    EXPECT_EQ(benchAddresses().front(), mac(0x7a, 1, 4));
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "8");
}

TEST_F(CycleTest, statusTwoWithOverwriteCheckedIsRecordedWithoutPromptAndWithoutTheDescriptorReadBack) {
    bench({"set", "1", "mac=00-1B-4E-7A-01-05"});
    start();
    view->setChecked(IDC_OVERWRITE, true);
    press();
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(device.count("IOCTL_READ_EEPROM"), 0);
    EXPECT_EQ(device.programRequests.at(0).overwrite, 1);
    EXPECT_EQ(eprom("OVERWRITEFLAG", "OVERWRITE"), "1");
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
}

// ---- The conflict prompt.

TEST_F(CycleTest, ignoreAtTheConflictPromptRepeatsTheRequestOnceWithTheOverwriteFieldSet) {
    bench({"set", "2", "mac=00-1B-4E-7A-01-05"});
    start();
    view->answerNext(Answer::Ignore);
    press();
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text, text(IDS_ADDRESS_CONFLICT));
    EXPECT_EQ(view->messages()[0].icon, Icon::Exclamation);
    EXPECT_EQ(view->messages()[0].buttons, ui::Buttons::AbortRetryIgnore);
    ASSERT_EQ(device.programRequests.size(), 2u);
    EXPECT_EQ(device.programRequests[0].overwrite, 0);
    EXPECT_EQ(device.programRequests[1].overwrite, 1);
    EXPECT_EQ(pauses.taken, (std::vector<uint32_t>{2000, 2000}));
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
    EXPECT_EQ(view->text(IDC_START), "&Next");
    EXPECT_EQ(device.live, 0);
}

TEST_F(CycleTest, retryAtTheConflictPromptRecordsNothingAndWaitsForNext) {
    bench({"set", "2", "mac=00-1B-4E-7A-01-05"});
    start();
    view->answerNext(Answer::Retry);
    press();
    expectNothingRecorded();
    EXPECT_EQ(epromAddress("INITIALMACADDR"), kStart);
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
    EXPECT_EQ(view->text(IDC_START), "&Next");
    expectIdle();

    bench({"set", "2", "mac=FF-FF-FF-FF-FF-FF"});  // the operator unplugged the conflicting one
    press();
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
    EXPECT_EQ(benchAddresses().front(), mac(0x7a, 1, 0));
}

TEST_F(CycleTest, abortAtTheConflictPromptClosesTheStation) {
    bench({"set", "2", "mac=00-1B-4E-7A-01-05"});
    start();
    view->answerNext(Answer::Abort);
    press();
    expectClosed();
    expectNothingRecorded();
    EXPECT_EQ(device.live, 0);
}

// ---- The count prompt and the invalid range.

TEST_F(CycleTest, aCountMismatchAnsweredWithOkRecordsNothingAndShowsNext) {
    start();
    view->answerNext(Answer::Ok);
    press(kStart, "3");
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text,
              "3 Devices specified, but 4 Devices found. Please remove the extra devices and press OK");
    EXPECT_EQ(view->messages()[0].buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(view->messages()[0].icon, Icon::Exclamation);
    expectNothingRecorded();
    EXPECT_EQ(view->text(IDC_START), "&Next");
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
    expectIdle();
}

TEST_F(CycleTest, aCountMismatchInAContinuedRangeNamesTheAdaptersLeft) {
    rangeInProgress(kStart, "6", {"00", "1b", "4e", "7a", "01", "03"}, "4");
    start();
    view->answerNext(Answer::Cancel);
    view->click(IDC_START);
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text,
              "2 Devices specified, but 4 Devices found. Please remove the extra devices and press OK");
    expectClosed();
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
}

TEST_F(CycleTest, anInvalidRangeShowsMessageElevenAndLeavesTheRecordsOfThePreviousLots) {
    rangeInProgress(kStart, "10", {"00", "1b", "4e", "7a", "01", "03"}, "4");
    start();
    press({"01", "1B", "4E", "7A", "01", "00"});  // a group address
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_INVALID_RANGE), Icon::Stop}}));
    // The press opened a new range: its count so far is none (the old range's 4 would make
    // the next press continue behind the old range's last address). The addresses stay.
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "");
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "03"}));
    EXPECT_EQ(epromAddress("INITIALMACADDR"), (Texts{"01", "1B", "4E", "7A", "01", "00"}));
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
    EXPECT_EQ(view->text(IDC_START), "&Start");
    expectIdle();
}

// ---- Failures that close the station.

TEST_F(CycleTest, aFailedProgrammingRequestShowsTheSystemsTextOrTheCodeAndCloses) {
    bench({"driver", "programfail=1"});
    errors.texts[31] = "A device attached to the system is not functioning.\r\n";
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{
                           {"DeviceIoControl Failure: A device attached to the system is not functioning.\r\n",
                            Icon::Stop}}));
    expectClosed();
    expectNothingRecorded();
    EXPECT_EQ(device.live, 0);

    errors.texts.clear();
    view.reset();
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{"DeviceIoControl Failure: (0x0000001f)", Icon::Stop}}));
}

TEST_F(CycleTest, aVendorPartThatDiffersShowsMessageEighteenAndCloses) {
    bench({"set", "3", "badvendor=1"});
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_VENDOR_PART_FAILED), Icon::None}}));
    expectClosed();
    expectNothingRecorded();
}

TEST_F(CycleTest, aLotWithNoAdapterFoundFailsTheVendorPartCheckAndCloses) {
    bench({"unplug", "all"});
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_VENDOR_PART_FAILED), Icon::None}}));
    expectClosed();
    expectNothingRecorded();
}

TEST_F(CycleTest, aWrongDriverVersionClosesTheStationBeforeAnyRecord) {
    for (const char* version : {"version=0.13", "fail=IOCTL_GET_DRIVER_VERSION"}) {
        SCOPED_TRACE(version);
        view.reset();
        bench({"create", "4"});
        bench({"driver", version});
        press();
        EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_WRONG_DRIVER), Icon::Stop}}));
        EXPECT_TRUE(view->ended());
        EXPECT_EQ(eprom("DIAGNOSTICSMODE", "AUTO"), "0");
        EXPECT_EQ(eprom("INITIALMACADDR", "BYTE1"), "<missing>");
        EXPECT_EQ(device.live, 0);
    }
}

TEST_F(CycleTest, noDriverAtTheVersionCheckBringsMessageThirteenAndCloses) {
    bench({"driver", "absent=1"});
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_CHECK_DEVICE), Icon::Stop}}));
    EXPECT_TRUE(view->ended());
    EXPECT_EQ(eprom("INITIALMACADDR", "BYTE1"), "<missing>");
}

// ---- Outcomes that return to the dialog.

TEST_F(CycleTest, aDeviceThatCannotBeOpenedForTheRequestGivesOutcomeOne) {
    start();
    bench({"driver", "openfail=3"});  // version, revision, then the request's handle
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_CHECK_DEVICE), Icon::Stop}}));
    EXPECT_EQ(epromAddress("INITIALMACADDR"), kStart) << "the range was recorded before";
    expectNothingRecorded();
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
    EXPECT_EQ(view->text(IDC_START), "&Start");
    EXPECT_TRUE(pauses.taken.empty());
    expectIdle();
}

TEST_F(CycleTest, aWrongStringReadBackShowsMessageTwentyThreeRecordsNothingAndTheNextPressReprogramsTheSameAddresses) {
    bench({"set", "2", "badstring=1"});
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_DESCRIPTOR_FAILED), Icon::Stop}}));
    expectNothingRecorded();
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
    EXPECT_EQ(view->text(IDC_START), "&Start");
    expectIdle();

    bench({"set", "2", "badstring=0"});
    view->answerNext(Answer::Ignore);  // the adapters now hold addresses of the range
    press();
    EXPECT_EQ(benchAddresses().front(), mac(0x7a, 1, 0));
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
}

TEST_F(CycleTest, bothVerificationsFailingShowTwentyThreeThenEighteenAndGiveOutcomeTen) {
    bench({"set", "1", "badstring=1", "badvendor=1"});
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_DESCRIPTOR_FAILED), Icon::Stop},
                                                                  {text(IDS_VENDOR_PART_FAILED), Icon::None}}));
    EXPECT_FALSE(view->ended());
    expectNothingRecorded();
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
}

TEST_F(CycleTest, aFailedCountOrReadRequestFailsTheDescriptorVerificationInsteadOfPassingIt) {
    // The first count request is the ledger's, before the programming request.
    for (const char* fault : {"fail=IOCTL_GET_DEVICE_COUNT:2", "fail=IOCTL_READ_EEPROM:3"}) {
        SCOPED_TRACE(fault);
        view.reset();
        bench({"create", "4"});
        bench({"driver", fault});
        press();
        EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_DESCRIPTOR_FAILED), Icon::Stop}}));
        expectNothingRecorded();
        EXPECT_EQ(device.live, 0);
    }
}

TEST_F(CycleTest, adaptersOfTheEarlierRevisionAreNotComparedAndNeedNoPackage) {
    std::filesystem::remove_all(drive.host("C:\\UsbMac\\x").parent_path());
    bench({"create", "2", "revision=0x100"});
    press();
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(device.count("IOCTL_READ_EEPROM"), 0) << "status 3 brings no read-back";
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "2");
}

// ---- Presses that end before anything is recorded.

TEST_F(CycleTest, anEmptyAddressBoxIsReportedAndFocusedWithoutAnyRequest) {
    press({"00", "1B", "", "7A", "", "00"});
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_EMPTY_ADDRESS), Icon::Exclamation}}));
    EXPECT_EQ(view->focused(), IDC_START_BYTE3);
    EXPECT_TRUE(device.requests.empty());
    EXPECT_EQ(eprom("INITIALMACADDR", "BYTE1"), "<missing>");
}

TEST_F(CycleTest, aCountThatIsNoNumberAndOverlongOrUncarriableStringsAreRefusedWithTheirPrompts) {
    struct Case { std::string count, manufacturer, expected; };
    const Case cases[] = {
        {"", "Korvane Semiconductor", "Please enter a positive integer."},
        {"1O", "Korvane Semiconductor", "Please enter a positive integer."},
        {"-4", "Korvane Semiconductor", "Please enter a positive integer."},
        {"10", "Korvane Semiconductor Ltd", "Please enter no more than 21 characters."},
        {"10", "Korv\xE4ne", "ASCII"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count + " / " + c.manufacturer);
        write("Customize.ini", "Strings", "MANUFACTURERID", c.manufacturer);
        view.reset();
        device.requests.clear();
        press(kStart, c.count);
        ASSERT_EQ(view->messages().size(), 1u);
        EXPECT_NE(view->messages()[0].text.find(c.expected), std::string::npos) << view->messages()[0].text;
        EXPECT_FALSE(view->ended());
        EXPECT_TRUE(device.requests.empty());
        EXPECT_EQ(eprom("INITIALMACADDR", "BYTE1"), "<missing>");
    }
}

TEST_F(CycleTest, aPackageThatDoesNotKnowTheVidAndPidStopsThePressWithMessageTwentyFour) {
    write("Customize.ini", "Strings", "VID", "1234");
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_CREATE_DISK_FIRST), Icon::None}}));
    EXPECT_EQ(eprom("INITIALMACADDR", "BYTE1"), "<missing>");
    EXPECT_EQ(device.count("IOCTL_PROGRAM_EEPROM"), 0);
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
    EXPECT_EQ(device.live, 0);
}

// ---- Around the request.

TEST_F(CycleTest, theBusyStateHoldsDuringThePauseAndLeavesTheDiskAndDescriptorButtonsAlone) {
    start();
    std::vector<std::string> during;
    pauses.onPause = [&](uint32_t) {
        during.push_back(status());
        for (int id : {IDC_START, IDC_EXIT, IDC_DISPLAY_ADDRESSES, IDC_RUN_DIAGNOSTICS, IDC_START_BYTE1,
                       IDC_START_BYTE6, IDC_DEVICE_COUNT, IDC_OVERWRITE, IDC_VERIFY_ADDRESS, IDC_AUTO_DIAGNOSTICS})
            if (view->enabled(id)) during.push_back("enabled " + std::to_string(id));
        if (view->enabled(IDC_CREATE_DISK) && view->enabled(IDC_REV_C_INPUTS)) during.push_back("disk and inputs");
    };
    press();
    EXPECT_EQ(during, (std::vector<std::string>{text(IDS_PROGRAMMING), "disk and inputs"}));
}

TEST_F(CycleTest, theAutomaticDiagnosticsRunBeforeThePauseWithStatusSeventeenAndAutoAtOne) {
    stationOptions(0, 0, 1);
    launcher.present = {"C:\\line\\EthTester.exe"};
    std::string statusWhileRunning, autoWhileRunning;
    launcher.onRun = [&](const std::string&) {
        statusWhileRunning = status();
        autoWhileRunning = eprom("DIAGNOSTICSMODE", "AUTO");
        EXPECT_TRUE(pauses.taken.empty());
    };
    press();
    EXPECT_EQ(statusWhileRunning, text(IDS_DIAGNOSIS));
    EXPECT_EQ(autoWhileRunning, "1");
    EXPECT_EQ(launcher.runs.size(), 1u);
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
}

TEST_F(CycleTest, theTrainingStationsAutomaticDiagnosticsRunTheTrainingTester) {
    stationOptions(0, 0, 1);
    training = {true, benchPath};
    launcher.present = {"C:\\line\\EthTester.exe", "C:\\line\\EthTesterTraining.exe"};
    press();
    EXPECT_EQ(launcher.runs, std::vector<std::string>{"C:\\line\\EthTesterTraining.exe"});
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4") << "a training lot is recorded as any other";
}

TEST_F(CycleTest, aTesterThatCannotBeFoundIsReportedAndTheLotIsProgrammedAllTheSame) {
    stationOptions(0, 0, 1);
    press();
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_TESTER_NOT_FOUND), Icon::Stop}}));
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
}

TEST_F(CycleTest, adaptersComingBackUnderANewIdentityArePausedForAndCheckedInTheRegistry) {
    write("Customize.ini", "Strings", "VID", "1234");
    profiles.files.writeString(drive.map("C:\\UsbMac\\netkoru.inf"), "COMPANY", "%USB\\VID_1234&PID_6514.DeviceDesc%",
                               "KorUsbEth, USB\\VID_1234&PID_6514");
    registry.usb.device("VID_8207&PID_6514", 4);
    pauses.onPause = [&](uint32_t ms) {
        if (ms == 5000) registry.usb.device("VID_1234&PID_6514", 4);
    };
    press();
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(pauses.taken, (std::vector<uint32_t>{2000, 5000, 500}));
    EXPECT_TRUE(station->data().reEnumerated);
    EXPECT_EQ(station->lastInstallResult(), InstallResult::ServiceBound);
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");

    // The flag chooses the address list's message when the driver check fails.
    bench({"driver", "version=0.15"});
    view->onChild(IDD_ADDRESS_LIST, [](FakeDialog&) {});
    view->click(IDC_DISPLAY_ADDRESSES);
    EXPECT_EQ(shown(), (std::vector<std::pair<std::string, Icon>>{{text(IDS_READ_AFTER_INSTALL), Icon::Exclamation}}));
}

TEST_F(CycleTest, withNoReEnumerationThereIsNoLongPauseAndTheFlagStaysClear) {
    press();
    EXPECT_EQ(pauses.taken, std::vector<uint32_t>{2000});
    EXPECT_FALSE(station->data().reEnumerated);
    EXPECT_EQ(station->lastInstallResult(), InstallResult::NothingToCheck);
}
