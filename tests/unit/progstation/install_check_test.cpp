// install_check_test.cpp: snapshot, rescan, picking and the service check on a fake registry.
#include "progstation/install_check.h"

#include <gtest/gtest.h>

#include "tests/unit/progstation/fake_pauses.h"
#include "tests/unit/progstation/fake_registry.h"

using namespace lt::progstation;
using lt::test::FakePauses;
using lt::test::FakeRegistry;

namespace {

struct InstallCheckTest : ::testing::Test {
    FakeRegistry registry;
    FakePauses pauses;
    InstallCheck check{registry, pauses};

    // Snapshot now, let `change` alter the registry, then rescan, pick and check.
    template <typename Change>
    InstallResult afterChange(uint32_t target, Change change, const std::string& vid = "8207",
                              const std::string& pid = "6514") {
        ScanRecord record{vid, pid, check.snapshot(), {}, {}, target};
        change();
        EXPECT_TRUE(check.rescan(record));
        return check.pickAndCheck(record);
    }
};

}  // namespace

TEST_F(InstallCheckTest, aNewKeyWithTheStationsIdsIsPickedAloneAndCheckedAfterAPause) {
    registry.usb.device("VID_1111&PID_2222", 1);
    const InstallResult result = afterChange(2, [&] { registry.usb.device("VID_8207&PID_6514", 2); });
    EXPECT_EQ(result, InstallResult::ServiceBound);
    EXPECT_EQ(pauses.taken, std::vector<uint32_t>{500});
}

TEST_F(InstallCheckTest, idsInAnotherLetterCaseDoNotMatchAndYieldTheForeignResult) {
    const InstallResult result = afterChange(1, [&] { registry.usb.device("VID_ABCD&PID_6514", 1); }, "abcd");
    EXPECT_EQ(result, InstallResult::ForeignNewKey);
    EXPECT_TRUE(pauses.taken.empty());
}

TEST_F(InstallCheckTest, anInstanceWithoutServiceAfterABoundOneGivesUnreadable) {
    auto& key = registry.usb.device("VID_8207&PID_6514", 1);
    const InstallResult result = afterChange(1, [&] { key.add("late-instance"); });  // no Service value
    EXPECT_EQ(result, InstallResult::ServiceUnreadable);
}

TEST_F(InstallCheckTest, aKnownKeyThatGrewIsCheckedAtOnceWithoutAPause) {
    auto& key = registry.usb.device("VID_8207&PID_6514", 1);
    const InstallResult result = afterChange(1, [&] { key.add("second").values["Service"] = "korumac"; });
    EXPECT_EQ(result, InstallResult::ServiceBound);
    EXPECT_TRUE(pauses.taken.empty());
}

TEST_F(InstallCheckTest, nothingGrownAndNothingNewIsNothingToCheck) {
    registry.usb.device("VID_8207&PID_6514", 2);
    EXPECT_EQ(afterChange(0, [] {}), InstallResult::NothingToCheck);
}

TEST_F(InstallCheckTest, aKeyThatDisappearsBetweenTheScansShiftsNoComparison) {
    registry.usb.device("VID_0001&PID_0001", 3);
    auto& grown = registry.usb.device("VID_8207&PID_6514", 1, "Other");
    const InstallResult result = afterChange(1, [&] {
        grown.add("bound").values["Service"] = "KORUMAC";
        registry.usb.subkeys.erase(registry.usb.subkeys.begin());  // the first key goes away
    });
    EXPECT_EQ(result, InstallResult::ServiceBound);
}

TEST_F(InstallCheckTest, aRegistryThatCannotBeReadGivesNothingToCheck) {
    registry.usbMissing = true;
    EXPECT_TRUE(check.snapshot().empty());
    ScanRecord record{"8207", "6514", {}, {}, {}, 1};
    EXPECT_FALSE(check.rescan(record));
}

TEST_F(InstallCheckTest, moreDeviceKeysThanTheOldTablesHeldAreAllScanned) {
    for (int i = 0; i < 2000; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "VID_%04X&PID_%04X", i, i);
        registry.usb.device(name, 1);
    }
    EXPECT_EQ(check.snapshot().size(), 2000u);
    // The key that re-enumerates lies far past the first 255.
    const InstallResult result = afterChange(1, [&] { registry.usb.device("VID_8207&PID_6514", 1); });
    EXPECT_EQ(result, InstallResult::ServiceBound);
}

TEST_F(InstallCheckTest, aNewKeyThatCannotBeOpenedCountsMinusOneAndFurtherKeysArePicked) {
    const InstallResult result = afterChange(1, [&] {
        registry.usb.device("VID_8207&PID_6514", 1).failQuery = true;  // counts -1
        registry.usb.device("VID_8207&PID_6515", 2, "");               // sum -1 + 2 = 1: stop
    });
    // The last picked key carries another PID than the station's: the foreign result.
    EXPECT_EQ(result, InstallResult::ForeignNewKey);
    EXPECT_EQ(pauses.taken, std::vector<uint32_t>{500});  // the first key matched and was checked
}

TEST(UsbNameIds, needTheExactSeventeenCharacterFormAndLetterCase) {
    struct Case { const char* name; bool match; };
    const Case cases[] = {
        {"VID_8207&PID_6514", true},
        {"VID_8207&PID_65140", false},
        {"VID_8207&PID_651", false},
        {"vid_8207&pid_6514", true},  // only the identifier characters are compared
        {"VID_8207&PID_6515", false},
        {"ROOT_HUB20", false},
    };
    for (const Case& c : cases) EXPECT_EQ(nameCarriesIds(c.name, "8207", "6514"), c.match) << c.name;
}

// ---- The whole check, with the driver's replug count.

namespace {

struct ReplugHandle : lt::adapter::ControlHandle {
    uint32_t count = 0;
    bool fail = false;
    int* live;
    explicit ReplugHandle(int* liveHandles) : live(liveHandles) { ++*live; }
    ~ReplugHandle() override { --*live; }
    bool request(uint32_t, std::span<const uint8_t>, std::span<uint8_t> reply, uint32_t& error) override {
        if (fail) {
            error = 31;
            return false;
        }
        for (std::size_t i = 0; i < 4 && i < reply.size(); ++i) reply[i] = uint8_t(count >> (8 * i));
        return true;
    }
};

struct ReplugDevice : lt::adapter::ControlDevice {
    uint32_t count = 0;
    bool failRequest = false;
    bool missing = false;
    int live = 0;
    std::unique_ptr<lt::adapter::ControlHandle> open(uint32_t& error) override {
        if (missing) {
            error = 2;
            return nullptr;
        }
        auto h = std::make_unique<ReplugHandle>(&live);
        h->count = count;
        h->fail = failRequest;
        return h;
    }
};

struct InstallRunTest : InstallCheckTest {
    ReplugDevice device;
    std::unique_ptr<lt::adapter::ControlHandle> handle;
    bool reEnumerated = false;
    int missingMessages = 0;
    InstallResult result = InstallResult::ServiceBound;
    bool run() {
        return check.run(device, handle, "8207", "6514", reEnumerated, [&] { ++missingMessages; }, result);
    }
};

}  // namespace

TEST_F(InstallRunTest, twoReEnumeratedAdaptersUnderTheStationsIdsArePausedForPickedAndChecked) {
    device.count = 2;
    registry.usb.device("VID_1111&PID_2222", 1);
    pauses.onPause = [&](uint32_t ms) {
        if (ms == 5000) registry.usb.device("VID_8207&PID_6514", 2);
    };
    EXPECT_TRUE(run());
    EXPECT_TRUE(reEnumerated);
    EXPECT_EQ(pauses.taken, (std::vector<uint32_t>{5000, 500}));
    EXPECT_EQ(result, InstallResult::ServiceBound);
    EXPECT_EQ(handle, nullptr);
    EXPECT_EQ(device.live, 0);
}

TEST_F(InstallRunTest, aReplugCountOfZeroNeitherPausesNorSetsTheFlagButStillRescans) {
    auto& key = registry.usb.device("VID_8207&PID_6514", 1);
    // A key that grows between the snapshot and the rescan is picked all the same.
    device.count = 0;
    struct GrowingRegistry : lt::progstation::DeviceRegistry {
        FakeRegistry& inner;
        lt::test::FakeRegistryNode& key;
        int opens = 0;
        GrowingRegistry(FakeRegistry& r, lt::test::FakeRegistryNode& k) : inner(r), key(k) {}
        std::unique_ptr<lt::progstation::RegistryKey> openUsbKey() override {
            if (++opens == 2) key.add("second").values["Service"] = "KORUMAC";
            return inner.openUsbKey();
        }
    } growing(registry, key);
    InstallCheck growingCheck(growing, pauses);
    EXPECT_TRUE(growingCheck.run(device, handle, "8207", "6514", reEnumerated, [] {}, result));
    EXPECT_FALSE(reEnumerated);
    EXPECT_TRUE(pauses.taken.empty());
    EXPECT_EQ(result, InstallResult::ServiceBound);
}

TEST_F(InstallRunTest, aDeviceThatCannotBeOpenedShowsTheMessageAndAFailedCountEndsTheCheck) {
    device.missing = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(missingMessages, 1);
    EXPECT_EQ(result, InstallResult::NothingToCheck);

    device.missing = false;
    device.failRequest = true;
    EXPECT_FALSE(run());
    EXPECT_EQ(missingMessages, 1);
    EXPECT_TRUE(pauses.taken.empty());
    EXPECT_EQ(device.live, 0);
}

TEST_F(InstallRunTest, anOpenHandleOfTheCycleIsUsedAndClosed) {
    uint32_t error = 0;
    handle = device.open(error);
    ASSERT_EQ(device.live, 1);
    EXPECT_TRUE(run());
    EXPECT_EQ(device.live, 0);
}
