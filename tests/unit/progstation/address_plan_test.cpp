// address_plan_test.cpp: the range decision, the request's address fields and the records
// that carry a range from lot to lot, on real files in a temporary Windows directory.
#include "progstation/address_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "portable/file_system_portable.h"
#include "portable/profile_files_portable.h"
#include "tests/support/test_support.h"

using namespace lt::progstation;
using lt::adapter::MacAddress;
using lt::adapter::ProgramReply;
using lt::adapter::ProgramRequest;
using lt::settings::AddressRecord;
using lt::settings::Reader;
namespace keys = lt::settings::keys;

namespace {

struct AddressPlanTest : ::testing::Test {
    lt::test::TempDir windows;
    lt::settings::PortableProfileFiles profiles;
    lt::platform::PortableFileSystem lookup;
    lt::settings::SettingsStore store{profiles, lookup, lt::settings::settingsPathsIn(windows.path().string())};
    AddressPlan plan{store};

    const AddressTexts start{"00", "1B", "4E", "7A", "01", "00"};

    std::string eprom(const lt::settings::SettingKey& key) { return store.readText(key, Reader::ProgStation); }

    // One press of the station as far as the records go: decide, record the range, fill the
    // request, and (when the driver programmed `found` adapters) record the lot the way the
    // driver numbers it.
    ProgramRequest press(const AddressTexts& boxes, uint32_t count, uint32_t found, MacAddress* lotStart = nullptr) {
        const bool newRange = plan.decideRange(boxes, count);
        plan.recordRange(boxes, count, false, false, newRange);
        ProgramRequest request;
        const MacAddress first = plan.fillRequestAddresses(newRange, boxes, count, false, request);
        if (lotStart) *lotStart = first;
        ProgramReply reply;
        reply.count = found;
        reply.lastAddress = lt::adapter::stepAddress(first, found - 1);
        plan.recordLot(reply, request);
        return request;
    }
};

}  // namespace

TEST_F(AddressPlanTest, aRangeOfTenInLotsOfFourFourAndTwoContinuesAndCompletes) {
    MacAddress lotStart{};
    ProgramRequest first = press(start, 10, 4, &lotStart);
    EXPECT_EQ(lotStart, (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}));
    EXPECT_EQ(first.previousCount, 0u);
    EXPECT_EQ(eprom(keys::PreviousDevCount), "4");
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Previous, Reader::ProgStation),
              (AddressTexts{"00", "1b", "4e", "7a", "01", "03"}));
    EXPECT_EQ(store.readAddressTexts(AddressRecord::Next, Reader::ProgStation),
              (AddressTexts{"00", "1b", "4e", "7a", "01", "04"}));
    EXPECT_FALSE(plan.rangeComplete());

    ProgramRequest second = press(start, 10, 4, &lotStart);
    EXPECT_EQ(lotStart, (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x04}));
    EXPECT_EQ(second.previousCount, 4u);
    EXPECT_EQ(second.previousAddress, (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x03}));
    EXPECT_EQ(eprom(keys::PreviousDevCount), "8");

    press(start, 10, 2, &lotStart);
    EXPECT_EQ(lotStart, (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x08}));
    EXPECT_EQ(eprom(keys::PreviousDevCount), "10");
    ASSERT_TRUE(plan.rangeComplete());
    plan.completeRange();
    EXPECT_EQ(eprom(keys::InitialDevCount), "");
    EXPECT_EQ(eprom(keys::PreviousDevCount), "");

    const RestoredInputs after = plan.restoreInputs(false);
    EXPECT_EQ(after.startAddress, (AddressTexts{"00", "1b", "4e", "7a", "01", "0a"}));
    EXPECT_EQ(after.countText, "");
    EXPECT_EQ(after.deviceCount, 0u);
}

TEST_F(AddressPlanTest, theImageAlwaysCarriesTheRangeStartAlsoWhenContinued) {
    press(start, 10, 4);
    ProgramRequest second = press(start, 10, 4);
    EXPECT_EQ(second.image[3], 0x00);
    EXPECT_EQ(second.image[8], 0x00);  // byte 6 of the range start, not of the lot start
    EXPECT_EQ(second.image[126], 0x38);
}

TEST_F(AddressPlanTest, aCountTypedWithLeadingZerosStillCompletesTheRange) {
    // The count is recorded as a number, so "010" and the cumulative "10" are equal.
    press(start, 10, 10);
    EXPECT_EQ(eprom(keys::InitialDevCount), "10");
    EXPECT_TRUE(plan.rangeComplete());
}

TEST_F(AddressPlanTest, rangeDecisionComparesTextsExactlyAndNeedsACountAboveTheProgrammedOne) {
    press(start, 10, 4);
    struct Case { AddressTexts boxes; uint32_t count; bool newRange; const char* why; };
    const Case cases[] = {
        {start, 10, false, "same start, count above 4: continue"},
        {start, 5, false, "count 5 is still above 4"},
        {start, 4, true, "count not above the programmed count"},
        {start, 3, true, "count below the programmed count"},
        {{"00", "1B", "4E", "7A", "01", "01"}, 10, true, "another start address"},
        {{"00", "1b", "4E", "7A", "01", "00"}, 10, true, "the same byte in other letter case"},
    };
    for (const Case& c : cases) EXPECT_EQ(plan.decideRange(c.boxes, c.count), c.newRange) << c.why;
}

TEST_F(AddressPlanTest, aNewRangeFromTheSameStartProgramsFromTheStartAgain) {
    press(start, 10, 4);
    MacAddress lotStart{};
    ProgramRequest request = press(start, 4, 4, &lotStart);  // count not above 4: a new range
    EXPECT_EQ(request.previousCount, 0u);
    EXPECT_EQ(lotStart, (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}));
}

TEST_F(AddressPlanTest, aNewRangeWhoseFirstLotFailedStartsAtItsOwnStartOnTheNextPress) {
    press(start, 15, 4);  // range A: four addresses recorded
    // Range B is typed and recorded, then its first lot fails: nothing of the lot is recorded.
    const AddressTexts b{"00", "1B", "4E", "7A", "05", "00"};
    ASSERT_TRUE(plan.decideRange(b, 100));
    plan.recordRange(b, 100, false, false, true);
    // The next press must program B from its start, not continue behind A's last address.
    MacAddress lotStart{};
    ProgramRequest request = press(b, 100, 4, &lotStart);
    EXPECT_EQ(lotStart, (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x05, 0x00}));
    EXPECT_EQ(request.previousCount, 0u);
    EXPECT_EQ(request.previousAddress, MacAddress{});
    EXPECT_EQ(eprom(keys::PreviousDevCount), "4");
}

TEST_F(AddressPlanTest, aContinuedLotAfterAnAddressEndingInOFStartsAtTen) {
    store.writeAddressTexts(AddressRecord::Initial, start);
    store.writeText(keys::InitialDevCount, "20");
    store.writeAddress(AddressRecord::Previous, {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x0f});
    store.writeText(keys::PreviousDevCount, "16");
    ProgramRequest request;
    const MacAddress lotStart = plan.fillRequestAddresses(plan.decideRange(start, 20), start, 20, true, request);
    EXPECT_EQ(lotStart, (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x10}));
    EXPECT_EQ(lt::adapter::stepAddress(lotStart), (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x11}));
    EXPECT_EQ(request.previousCount, 16u);
    EXPECT_EQ(request.overwrite, 1);
}

TEST_F(AddressPlanTest, aDeclaredCountEqualToTheCountSoFarZeroesThePreviousFields) {
    store.writeAddressTexts(AddressRecord::Initial, start);
    store.writeAddress(AddressRecord::Previous, {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x03});
    store.writeText(keys::PreviousDevCount, "4");
    ProgramRequest request;
    plan.fillRequestAddresses(false, start, 4, false, request);
    EXPECT_EQ(request.previousCount, 0u);
    EXPECT_EQ(request.previousAddress, MacAddress{});
}

TEST_F(AddressPlanTest, aLotWithNothingFoundRecordsNothing) {
    press(start, 10, 4);
    ProgramRequest request;
    plan.fillRequestAddresses(false, start, 10, false, request);
    plan.recordLot(ProgramReply{}, request);
    EXPECT_EQ(eprom(keys::PreviousDevCount), "4");
}

TEST_F(AddressPlanTest, firstStartOnAnEmptyMachineCreatesTheRecordWithEmptyCounts) {
    const RestoredInputs in = plan.restoreInputs(true);
    EXPECT_TRUE(std::filesystem::exists(windows.path() / "EpromData.ini"));
    EXPECT_EQ(in.startAddress, AddressTexts{});
    EXPECT_EQ(in.deviceCount, 0u);
    EXPECT_EQ(eprom(keys::InitialDevCount), "");
    EXPECT_EQ(eprom(keys::PreviousDevCount), "");
    EXPECT_FALSE(plan.rangeComplete());  // nothing programmed is no completed range
}

TEST_F(AddressPlanTest, startUpInTheMiddleOfARangeShowsTheRangeAndItsProgress) {
    press(start, 10, 4);
    const RestoredInputs in = plan.restoreInputs(true);
    EXPECT_EQ(in.startAddress, start);
    EXPECT_EQ(in.countText, "10");
    EXPECT_EQ(in.deviceCount, 10u);
    const LastAssigned last = plan.lastAssigned();
    EXPECT_EQ(last.address, (AddressTexts{"00", "1b", "4e", "7a", "01", "03"}));
    EXPECT_EQ(last.count, "4");
}

TEST_F(AddressPlanTest, aClearedLastAddressEmptiesTheCountsAtTheNextStart) {
    press(start, 10, 4);
    store.clearLastAddress();
    const RestoredInputs in = plan.restoreInputs(true);
    EXPECT_EQ(eprom(keys::PreviousDevCount), "");
    EXPECT_EQ(in.startAddress, AddressTexts{});  // NEXTMACADDR is empty too
}

TEST(VendorPartCheck, needsAtLeastOneAddressAndTheStartsVendorPartInEveryOne) {
    const MacAddress startAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00};
    const uint8_t good[] = {0x00, 0x1b, 0x4e, 1, 2, 3, 0x00, 0x1b, 0x4e, 4, 5, 6};
    const uint8_t secondBad[] = {0x00, 0x1b, 0x4e, 1, 2, 3, 0x00, 0x1b, 0x4f, 4, 5, 6};
    EXPECT_TRUE(AddressPlan::vendorPartCheck(startAddress, good, 2));
    EXPECT_FALSE(AddressPlan::vendorPartCheck(startAddress, secondBad, 2));
    EXPECT_FALSE(AddressPlan::vendorPartCheck(startAddress, good, 0));
    EXPECT_FALSE(AddressPlan::vendorPartCheck(startAddress, std::span<const uint8_t>(good, 6), 2));  // short buffer
}

namespace {

// Profile files on which the station is "killed" after `allowed` changes of a file: every
// later write is lost, as if the program had ended there.
struct KilledProfiles : lt::settings::ProfileFiles {
    lt::settings::PortableProfileFiles files;
    int allowed = 1 << 30;
    int changes = 0;

    bool alive() { return changes++ < allowed; }
    std::string readString(const std::string& p, std::string_view s, std::string_view k, std::string_view d,
                           std::size_t n) override {
        return files.readString(p, s, k, d, n);
    }
    uint32_t readInt(const std::string& p, std::string_view s, std::string_view k, int32_t d) override {
        return files.readInt(p, s, k, d);
    }
    bool writeString(const std::string& p, std::string_view s, std::string_view k, std::string_view v) override {
        return alive() && files.writeString(p, s, k, v);
    }
    bool deleteKey(const std::string& p, std::string_view s, std::string_view k) override {
        return alive() && files.deleteKey(p, s, k);
    }
    bool deleteSection(const std::string& p, std::string_view s) override { return alive() && files.deleteSection(p, s); }
    bool writeSection(const std::string& p, std::string_view s, std::span<const std::string> l) override {
        return alive() && files.writeSection(p, s, l);
    }
    bool writeStrings(const std::string& p, std::span<const lt::settings::ProfileWrite> w) override {
        return alive() && files.writeStrings(p, w);
    }
};

struct Station {
    KilledProfiles& profiles;
    lt::platform::PortableFileSystem lookup;
    lt::settings::SettingsStore store;
    AddressPlan plan{store};
    Station(KilledProfiles& p, const std::string& windows)
        : profiles(p), store(p, lookup, lt::settings::settingsPathsIn(windows)) {}

    // One press with the boxes the station shows, `found` adapters programmed; returns the
    // addresses the driver gave them. The range completes at once when its count is reached.
    std::vector<MacAddress> press(const AddressTexts& boxes, uint32_t count, uint32_t found) {
        const bool newRange = plan.decideRange(boxes, count);
        plan.recordRange(boxes, count, false, false, newRange);
        ProgramRequest request;
        const MacAddress first = plan.fillRequestAddresses(newRange, boxes, count, false, request);
        std::vector<MacAddress> given;
        for (uint32_t i = 0; i < found; ++i) given.push_back(lt::adapter::stepAddress(first, i));
        ProgramReply reply;
        reply.count = found;
        reply.lastAddress = given.back();
        plan.recordLot(reply, request);
        if (plan.rangeComplete()) plan.completeRange();
        return given;
    }
};

}  // namespace

TEST(AddressPlanCrash, aStationStoppedAtAnyWriteOfALotHandsOutNoRecordedAddressAgain) {
    const AddressTexts start{"00", "1B", "4E", "7A", "01", "00"};
    // A range of 10 in lots of 4, 4 and 2; the station is stopped during the lot `stopped`
    // after `allowed` changes of the file, restarted on the files as left, and the operator
    // presses again with what the station shows (the same adapters, not yet recorded).
    // A press changes the file at most three times: the range, the lot, and the counts
    // when the range completes.
    for (int stopped = 0; stopped < 3; ++stopped) {
        for (int allowed = 0; allowed <= 3; ++allowed) {
            SCOPED_TRACE("lot " + std::to_string(stopped + 1) + ", stopped after " + std::to_string(allowed));
            lt::test::TempDir windows;
            KilledProfiles profiles;
            std::vector<MacAddress> handedOut;  // addresses of recorded lots, in order
            const uint32_t lots[] = {4, 4, 2};
            for (int lot = 0; lot < 3; ++lot) {
                Station station(profiles, windows.path().string());
                const RestoredInputs in = station.plan.restoreInputs(true);
                const AddressTexts boxes = lot == 0 ? start : in.startAddress;
                const uint32_t count = lot == 0 ? 10 : in.deviceCount;
                profiles.changes = 0;
                profiles.allowed = lot == stopped ? allowed : 1 << 30;
                std::vector<MacAddress> given = station.press(boxes, count, lots[lot]);
                if (lot == stopped && allowed < 2) {  // the lot's record did not land
                    // Restart and press again on the same adapters: they get the same addresses.
                    profiles.allowed = 1 << 30;
                    Station again(profiles, windows.path().string());
                    const RestoredInputs retry = again.plan.restoreInputs(true);
                    ASSERT_EQ(retry.startAddress, lot == 0 ? AddressTexts{} : start);
                    const std::vector<MacAddress> second =
                        again.press(lot == 0 ? start : retry.startAddress, lot == 0 ? 10 : retry.deviceCount,
                                    lots[lot]);
                    EXPECT_EQ(second, given) << "a retried lot must receive the same addresses";
                    given = second;
                }
                handedOut.insert(handedOut.end(), given.begin(), given.end());
            }
            ASSERT_EQ(handedOut.size(), 10u);
            for (uint32_t i = 0; i < 10; ++i)
                EXPECT_EQ(handedOut[i], lt::adapter::stepAddress(MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}, i));
            // The range completed: the next start offers the first free address.
            profiles.allowed = 1 << 30;
            Station after(profiles, windows.path().string());
            const RestoredInputs in = after.plan.restoreInputs(true);
            EXPECT_EQ(in.startAddress, (AddressTexts{"00", "1b", "4e", "7a", "01", "0a"}));
            EXPECT_EQ(in.countText, "");
        }
    }
}

// ---- Records that cannot be written (EpromData.ini held by another program).

TEST(AddressPlanRefused, eachRecordSaysWhetherItWasWrittenAndARefusedOneLeavesTheFileAsItWas) {
    const AddressTexts start{"00", "1B", "4E", "7A", "01", "00"};
    lt::test::TempDir windows;
    KilledProfiles profiles;
    Station station(profiles, windows.path().string());
    AddressPlan& plan = station.plan;
    const auto file = [&] {
        std::ifstream in(windows.path() / "EpromData.ini", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    ASSERT_TRUE(plan.recordRange(start, 8, false, false, true));
    ProgramRequest request;
    const MacAddress first = plan.fillRequestAddresses(true, start, 8, false, request);
    ProgramReply reply;
    reply.count = 4;
    reply.lastAddress = lt::adapter::stepAddress(first, 3);
    EXPECT_TRUE(plan.recordLot(ProgramReply{}, request)) << "nothing to record is no failure";

    profiles.changes = 0;
    profiles.allowed = 0;
    const std::string before = file();
    EXPECT_FALSE(plan.recordRange(start, 8, true, true, false));
    EXPECT_FALSE(plan.recordLot(reply, request));
    EXPECT_FALSE(plan.completeRange());
    EXPECT_EQ(file(), before);

    profiles.allowed = 1 << 30;
    EXPECT_TRUE(plan.recordLot(reply, request));
    EXPECT_TRUE(plan.completeRange());
}

TEST(AddressPlanRefused, aCompleteRangeWhoseCountsCouldNotBeEmptiedIsOfferedAsCompletedAndTheNextRangeFollowsIt) {
    const AddressTexts start{"00", "1B", "4E", "7A", "01", "00"};
    lt::test::TempDir windows;
    KilledProfiles profiles;
    Station station(profiles, windows.path().string());
    station.plan.restoreInputs(true);
    profiles.changes = 0;
    profiles.allowed = 2;  // the range and the lot are recorded, the completion is refused
    const std::vector<MacAddress> first = station.press(start, 4, 4);
    ASSERT_TRUE(station.plan.rangeComplete()) << "the counts are still there";

    // Neither the dialog's restore after the range (no start-up step) nor a start while the
    // file is still held offers the range's start with its count: Start would open it again.
    for (const bool atStartUp : {false, true}) {
        SCOPED_TRACE(atStartUp ? "at start-up" : "after the range");
        const RestoredInputs in = station.plan.restoreInputs(atStartUp);
        EXPECT_EQ(in.startAddress, (AddressTexts{"00", "1b", "4e", "7a", "01", "04"}));
        EXPECT_EQ(in.countText, "");
        EXPECT_EQ(in.deviceCount, 0u);
        EXPECT_TRUE(station.plan.rangeComplete());
    }

    // Writable again: a range typed from the offered address follows the recorded lot.
    profiles.allowed = 1 << 30;
    const std::vector<MacAddress> next = station.press({"00", "1b", "4e", "7a", "01", "04"}, 6, 4);
    EXPECT_EQ(next.front(), (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x04}));
    for (const MacAddress& a : next) EXPECT_EQ(std::count(first.begin(), first.end(), a), 0);

    // Or the start completes it: the same offer, with the counts empty.
    lt::test::TempDir other;
    KilledProfiles again;
    Station later(again, other.path().string());
    later.plan.restoreInputs(true);
    again.changes = 0;
    again.allowed = 2;
    later.press(start, 4, 4);
    again.allowed = 1 << 30;
    const RestoredInputs in = later.plan.restoreInputs(true);
    EXPECT_EQ(in.startAddress, (AddressTexts{"00", "1b", "4e", "7a", "01", "04"}));
    EXPECT_FALSE(later.plan.rangeComplete());
    EXPECT_EQ(later.store.readText(keys::InitialDevCount, Reader::ProgStation), "");
}
