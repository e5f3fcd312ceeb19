// records_faults_test.cpp: the station's programming records refused in turn (EpromData.ini held open by another program): the range's record, the lot's record and the range's completion, each reported with its stop-icon message and never as a success, and no recorded address handed out again once the file can be written.
//
// The file is held through the profile port (MappedProfiles::holdAfter): from a chosen
// change of the file on, every change fails and leaves the file as it was, as the Win32
// replace does when it gives up.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "bench/bench_file.h"
#include "common/adapter/mac_address.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using adapter::MacAddress;
using ui::Icon;

namespace {

using Texts = std::array<std::string, 6>;
using Shown = std::vector<std::pair<std::string, Icon>>;
const Texts kStart{"00", "1B", "4E", "7A", "01", "00"};
const std::string kRecords = "C:\\windows\\EpromData.ini";

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

MacAddress mac(uint8_t last) { return {0x00, 0x1b, 0x4e, 0x7a, 0x01, last}; }
std::vector<MacAddress> lot(uint8_t first) { return {mac(first), mac(first + 1), mac(first + 2), mac(first + 3)}; }

struct RecordsFaults : StationTest {
    RecordsFaults() {
        stationOptions(0, 0, 0);
        installPackage();
        start();
    }
    // Fills the inputs (when given) and presses Start.
    void press(const Texts& startAddress = kStart, const std::string& count = "8") {
        setStart(startAddress);
        view->setText(IDC_DEVICE_COUNT, count);
        view->messages().clear();
        view->click(IDC_START);
    }
    void freshLot() {
        bench({"unplug", "all"});
        bench({"plug", "4"});
    }
    Shown shown() {
        Shown out;
        for (const auto& m : view->messages()) out.emplace_back(m.text, m.icon);
        return out;
    }
    std::string lotNotRecorded(uint8_t first, uint8_t last) {
        return ui::fillIn(text(IDS_LOT_NOT_RECORDED),
                          {adapter::formatLower(mac(first)), adapter::formatLower(mac(last)), kRecords});
    }
    void expectIdleWithStatusTwelve() {
        EXPECT_FALSE(view->ended());
        EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
        EXPECT_TRUE(view->enabled(IDC_START));
        EXPECT_TRUE(view->enabled(IDC_EXIT));
        EXPECT_TRUE(view->enabled(IDC_START_BYTE1));
        EXPECT_EQ(view->focused(), IDC_START_BYTE1);
        EXPECT_EQ(device.live, 0);
    }
};

}  // namespace

TEST(RecordsFaultTexts, theThreeMessagesNameTheFileAndTheLotsAddressesInTheirPlaces) {
    const RcStrings strings(programResources("progstation.rc"));
    EXPECT_EQ(ui::fillIn(strings.text(IDS_RANGE_NOT_RECORDED), {kRecords}),
              "The station's records in C:\\windows\\EpromData.ini could not be written !! Nothing was programmed. "
              "\nClose any program that holds this file open and try again.");
    EXPECT_EQ(ui::fillIn(strings.text(IDS_LOT_NOT_RECORDED), {"00-1b-4e-7a-01-04", "00-1b-4e-7a-01-07", kRecords}),
              "The devices were programmed with the addresses 00-1b-4e-7a-01-04 to 00-1b-4e-7a-01-07, but these "
              "addresses could not be recorded in C:\\windows\\EpromData.ini !! \nSet these devices aside: their "
              "addresses are not recorded and will be given again. \nClose any program that holds this file open "
              "before the next lot.");
    EXPECT_EQ(ui::fillIn(strings.text(IDS_END_NOT_RECORDED), {"00-1b-4e-7a-01-04", "00-1b-4e-7a-01-07", kRecords}),
              "The devices were programmed with the addresses 00-1b-4e-7a-01-04 to 00-1b-4e-7a-01-07 and recorded, "
              "but the end of the range could not be recorded in C:\\windows\\EpromData.ini !! \nThe range is ended "
              "by the next range's record or at the next start of the station; the Start Address boxes show the "
              "first free address.");
}

TEST_F(RecordsFaults, aRangeRecordThatCannotBeWrittenRefusesThePressBeforeAnythingIsProgrammed) {
    // A new range (the caption reads "&Start") and a continued one ("&Next").
    for (const char* caption : {"&Start", "&Next"}) {
        SCOPED_TRACE(caption);
        if (std::string(caption) == "&Next") {
            profiles.hold.reset();
            press();
            ASSERT_EQ(view->text(IDC_START), "&Next");
            freshLot();
        }
        const auto before = benchAddresses();
        const std::size_t requests = device.programRequests.size();
        const std::string file = fileBytes(drive.host(kRecords));
        pauses.taken.clear();
        profiles.holdAfter(0);
        press();
        EXPECT_EQ(shown(), (Shown{{ui::fillIn(text(IDS_RANGE_NOT_RECORDED), {kRecords}), Icon::Stop}}));
        EXPECT_EQ(device.programRequests.size(), requests) << "nothing programmed";
        EXPECT_TRUE(pauses.taken.empty()) << "not even the pause before the request";
        EXPECT_EQ(benchAddresses(), before);
        EXPECT_EQ(fileBytes(drive.host(kRecords)), file);
        EXPECT_EQ(view->text(IDC_START), caption);
        expectIdleWithStatusTwelve();
    }
}

TEST_F(RecordsFaults, aLotRecordThatCannotBeWrittenIsNeverShownAsProgrammedAndItsAddressesAreGivenAgain) {
    press();  // lot 1 of a range of 8: 00..03
    ASSERT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
    freshLot();
    profiles.holdAfter(1);  // the range's record lands, the lot's does not
    press();
    EXPECT_EQ(benchAddresses(), lot(4)) << "the adapters were programmed";
    EXPECT_EQ(shown(), (Shown{{lotNotRecorded(4, 7), Icon::Stop}})) << "no message 9 either: the range is not complete";
    EXPECT_NE(status(), text(IDS_LOT_PROGRAMMED));
    expectIdleWithStatusTwelve();
    EXPECT_EQ(view->text(IDC_START), "&Next");
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "8");
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "03"}));
    EXPECT_EQ(epromAddress("NEXTMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "04"}));
    EXPECT_EQ(lastBoxes(), (Texts{"00", "1b", "4e", "7a", "01", "03"}));
    EXPECT_EQ(view->text(IDC_LAST_COUNT), "4");
    EXPECT_EQ(startBoxes(), kStart);
    EXPECT_EQ(view->text(IDC_DEVICE_COUNT), "8");

    // The file is released and the adapters set aside: the next lot gets the same, still
    // unrecorded, addresses and completes the range; no address of lot 1 comes out again.
    profiles.hold.reset();
    freshLot();
    view->messages().clear();
    view->click(IDC_START);
    EXPECT_EQ(benchAddresses(), lot(4));
    EXPECT_EQ(shown(), (Shown{{text(IDS_RANGE_COMPLETE), Icon::Information}}));
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "07"}));
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "");
}

TEST_F(RecordsFaults, aLotRecordRefusedAfterTheIgnoreRepetitionNamesTheLotAndRecordsNothing) {
    bench({"set", "2", "mac=00-1B-4E-7A-01-02"});  // an adapter already holding an address of the range
    profiles.holdAfter(1);
    view->answerNext(ui::Answer::Ignore);
    press();
    EXPECT_EQ(device.programRequests.size(), 2u);
    EXPECT_EQ(shown(), (Shown{{text(IDS_ADDRESS_CONFLICT), Icon::Exclamation}, {lotNotRecorded(0, 3), Icon::Stop}}));
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "");
    EXPECT_EQ(eprom("PREVIOUSMACADDR", "BYTE1"), "<missing>");
    EXPECT_EQ(view->text(IDC_START), "&Start");
    expectIdleWithStatusTwelve();
}

TEST_F(RecordsFaults, aCompletionThatCannotBeWrittenIsReportedAndTheNextRangeStartsAfterTheRecordedLot) {
    press();
    freshLot();
    profiles.holdAfter(2);  // the range's and the lot's records land, the completion does not
    press();
    EXPECT_EQ(benchAddresses(), lot(4));
    EXPECT_EQ(shown(), (Shown{{ui::fillIn(text(IDS_END_NOT_RECORDED),
                                          {adapter::formatLower(mac(4)), adapter::formatLower(mac(7)), kRecords}),
                               Icon::Stop}}));
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "8") << "the lot is recorded";
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "8") << "the counts could not be emptied";
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "07"}));
    // The station offers what a completed range offers: the first free address, no count.
    EXPECT_EQ(view->text(IDC_START), "&Start");
    EXPECT_EQ(startBoxes(), (Texts{"00", "1B", "4E", "7A", "01", "08"}));
    EXPECT_EQ(view->text(IDC_DEVICE_COUNT), "");
    expectIdleWithStatusTwelve();

    // Released: the next range opens at the first free address and its record empties the
    // old counts.
    profiles.hold.reset();
    freshLot();
    view->setText(IDC_DEVICE_COUNT, "12");
    view->messages().clear();
    view->click(IDC_START);
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(benchAddresses(), lot(8));
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "12");
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
}

TEST_F(RecordsFaults, aCompletionLeftUndoneIsRetriedAtEachStartAndTheBoxesNeverOfferTheRangeAgain) {
    press();
    freshLot();
    profiles.holdAfter(2);
    press();
    ASSERT_EQ(eprom("INITIALDEVCOUNT"), "8");

    // Started again while the file is still held: the completion fails again, and the boxes
    // still offer the first free address with no count, not the range's start with 8.
    exit();
    view.reset();
    start();
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "8");
    EXPECT_EQ(startBoxes(), (Texts{"00", "1B", "4E", "7A", "01", "08"}));
    EXPECT_EQ(view->text(IDC_DEVICE_COUNT), "0") << "the count as a number, as on any start without a range";

    // Started once the file can be written: the range is completed.
    profiles.hold.reset();
    exit();
    view.reset();
    start();
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "");
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "");
    EXPECT_EQ(startBoxes(), (Texts{"00", "1B", "4E", "7A", "01", "08"}));

    // A count typed into the boxes as offered: the next range starts after the recorded lots.
    freshLot();
    view->setText(IDC_DEVICE_COUNT, "4");
    view->messages().clear();
    view->click(IDC_START);
    EXPECT_EQ(benchAddresses(), lot(8));
}

TEST_F(RecordsFaults, theSameAdaptersPressedAgainAfterARefusedLotRecordGetTheirOwnAddressesAgain) {
    // An operator who did not set the adapters aside: they already hold the unrecorded
    // addresses, the driver reports the conflict, and Ignore records them.
    press();
    freshLot();
    profiles.holdAfter(1);
    press();
    ASSERT_EQ(benchAddresses(), lot(4));
    profiles.hold.reset();
    view->answerNext(ui::Answer::Ignore);
    view->messages().clear();
    view->click(IDC_START);
    EXPECT_EQ(shown(), (Shown{{text(IDS_ADDRESS_CONFLICT), Icon::Exclamation},
                              {text(IDS_RANGE_COMPLETE), Icon::Information}}));
    EXPECT_EQ(benchAddresses(), lot(4));
    EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "07"}));
}
