// simulated_driver_test.cpp: the simulated driver's rules, request by request, through the library's calls.
#include "bench/simulated_driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "bench/bench_errors.h"
#include "common/adapter/ioctl_codes.h"
#include "common/adapter/requests.h"
#include "common/eeprom/eeprom_image.h"
#include "common/eeprom/read_record.h"
#include "tests/support/bench_support.h"

using namespace lt;
using namespace lt::bench;
using adapter::MacAddress;

namespace {

struct RecordingMirror : DeviceRegistryMirror {
    struct Entry {
        uint16_t vid, pid;
        std::string instance;
    };
    std::vector<Entry> entries;
    void deviceEnumerated(uint16_t vid, uint16_t pid, const std::string& instance) override {
        entries.push_back({vid, pid, instance});
    }
};

// The driver with a bench of its own, reached through a handle as a program reaches it.
struct DriverFixture : adapter::ControlHandle {
    Bench bench;
    RecordingMirror mirror;
    SimulatedDriver driver{&mirror};
    uint32_t error = 0;

    explicit DriverFixture(std::size_t adapters = 0, uint32_t revision = kRevisionWithDescriptors) {
        for (std::size_t i = 0; i < adapters; ++i) bench.adapters.push_back(freshAdapter(revision));
    }
    bool request(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> reply, uint32_t& e) override {
        return driver.request(bench, code, in, reply, e);
    }

    adapter::ProgramReply program(uint32_t declared, const MacAddress& start, const MacAddress& previous = {},
                                  uint32_t previousCount = 0, uint8_t overwrite = 0,
                                  eeprom::DescriptorSettings settings = {}) {
        adapter::ProgramRequest r = test::lotRequest(declared, start, settings);
        r.previousAddress = previous;
        r.previousCount = previousCount;
        r.overwrite = overwrite;
        adapter::ProgramReply reply;
        EXPECT_TRUE(adapter::programEeprom(*this, r, reply, error)) << error;
        return reply;
    }
    eeprom::EepromReadRecord readBack(uint32_t device) {
        std::array<uint8_t, adapter::kReadRecordSize> record{};
        EXPECT_TRUE(adapter::readEeprom(*this, device, record, error)) << error;
        return eeprom::decodeReadRecord(record);
    }
    MacAddress address(std::size_t k) const { return adapterAddress(bench.adapters.at(k - 1)); }
};

const MacAddress kStart{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00};

MacAddress mac(uint8_t b4, uint8_t b5, uint8_t b6) { return {0x00, 0x1b, 0x4e, b4, b5, b6}; }

}  // namespace

TEST(SimulatedDriver, freshBenchAnswersTheDriverWideRequests) {
    DriverFixture d(3);
    uint32_t value = 99;
    ASSERT_TRUE(adapter::getDeviceCount(d, value, d.error));
    EXPECT_EQ(value, 3u);
    uint16_t w0 = 9, w1 = 9;
    ASSERT_TRUE(adapter::getDriverVersion(d, w0, w1, d.error));
    EXPECT_EQ(w0, 0);
    EXPECT_EQ(w1, 14);
    ASSERT_TRUE(adapter::getPhyMode(d, value, d.error));
    EXPECT_EQ(value, 0u);
    ASSERT_TRUE(adapter::getChipRevision(d, value, d.error));
    EXPECT_EQ(value, 0x200u);
    ASSERT_TRUE(adapter::getReplugCount(d, value, d.error));
    EXPECT_EQ(value, 0u);

    // Fresh adapters: erased EEPROM, USB identity 8207:6514.
    EXPECT_EQ(d.address(1), (MacAddress{0xff, 0xff, 0xff, 0xff, 0xff, 0xff}));
    EXPECT_EQ(d.bench.adapters[0].usbVid, 0x8207);
    EXPECT_EQ(d.bench.adapters[0].usbPid, 0x6514);
}

TEST(SimulatedDriver, chipRevisionIsAdapterOnesUnlessTheDriverSaysOtherwise) {
    DriverFixture d;
    uint32_t value = 99;
    ASSERT_TRUE(adapter::getChipRevision(d, value, d.error));
    EXPECT_EQ(value, 0u) << "no adapter";
    d.bench.adapters.push_back(freshAdapter(kRevisionAddressOnly));
    d.bench.adapters.push_back(freshAdapter(kRevisionWithDescriptors));
    ASSERT_TRUE(adapter::getChipRevision(d, value, d.error));
    EXPECT_EQ(value, 0x100u);
    d.bench.driver.revision = 0x300;
    d.bench.driver.versionWord1 = 13;
    d.bench.driver.phyMode = 2;
    ASSERT_TRUE(adapter::getChipRevision(d, value, d.error));
    EXPECT_EQ(value, 0x300u);
    uint16_t w0, w1;
    ASSERT_TRUE(adapter::getDriverVersion(d, w0, w1, d.error));
    EXPECT_EQ(w1, 13);
    ASSERT_TRUE(adapter::getPhyMode(d, value, d.error));
    EXPECT_EQ(value, 2u);
}

TEST(SimulatedDriver, registersReadBackWhatTheRegisterTestWritesOnEveryRevision) {
    struct Row { uint16_t first, last; uint8_t written, expected; };
    const Row plan[] = {{1, 7, 0xFF, 0xFF}, {8, 8, 0x80, 0x80}, {9, 9, 0x18, 0x18}, {10, 10, 0x10, 0x10},
                        {11, 14, 0xFF, 0xFF}, {15, 15, 0xFF, 0xFB}, {22, 22, 0xFF, 0xFF}};
    for (uint32_t revision : {kRevisionWithDescriptors, kRevisionAddressOnly}) {
        DriverFixture d(2, revision);
        for (uint16_t device : {1, 2})
            for (const Row& row : plan)
                for (uint16_t n = row.first; n <= row.last; ++n) {
                    uint8_t read = 0;
                    ASSERT_TRUE(adapter::writeMacRegister(d, device, n - 1, row.written, d.error));
                    ASSERT_TRUE(adapter::readMacRegister(d, device, n - 1, read, d.error));
                    EXPECT_EQ(read, row.expected) << "register " << n << " revision " << revision;
                }
    }
}

TEST(SimulatedDriver, aRegisterFaultMakesThatRegisterReadItsValue) {
    DriverFixture d(2);
    d.bench.adapters[1].registerFaults.push_back({15, 0xFF});
    uint8_t read = 0;
    ASSERT_TRUE(adapter::writeMacRegister(d, 2, 14, 0xFF, d.error));
    ASSERT_TRUE(adapter::readMacRegister(d, 2, 14, read, d.error));
    EXPECT_EQ(read, 0xFF);
    ASSERT_TRUE(adapter::writeMacRegister(d, 1, 14, 0xFF, d.error));
    ASSERT_TRUE(adapter::readMacRegister(d, 1, 14, read, d.error));
    EXPECT_EQ(read, 0xFB) << "adapter 1 has no fault";
}

TEST(SimulatedDriver, phyRegistersReadTheExpectedValuesAfterTheReset) {
    DriverFixture d(1);
    ASSERT_TRUE(adapter::writePhyRegister(d, 1, 4, 0x0000, d.error));  // changed before the reset
    ASSERT_TRUE(adapter::writePhyRegister(d, 1, 0, 0x8000, d.error));
    struct Case { uint8_t reg; uint16_t value; };
    for (const Case c : {Case{0, 0x1000}, Case{1, 0x7809}, Case{4, 0x01E1}, Case{5, 0x0000}, Case{6, 0x0000}}) {
        uint16_t value = 0xAAAA;
        ASSERT_TRUE(adapter::readPhyRegister(d, 1, c.reg, value, d.error));
        EXPECT_EQ(value, c.value) << "PHY register " << int(c.reg);
    }
    d.bench.adapters[0].phyFaults.push_back({1, 0x782D});
    uint16_t value = 0;
    ASSERT_TRUE(adapter::readPhyRegister(d, 1, 1, value, d.error));
    EXPECT_EQ(value, 0x782D);
}

TEST(SimulatedDriver, macAddressesFillExactlyTheCallersBuffer) {
    DriverFixture d(3);
    d.program(10, kStart);
    std::vector<uint8_t> buffer(6 * 4, 0xEE);
    // Room for two adapters of three: the third address must not be written.
    ASSERT_TRUE(adapter::getMacAddresses(d, std::span<uint8_t>(buffer).first(12), d.error));
    EXPECT_EQ(std::vector<uint8_t>(buffer.begin(), buffer.begin() + 12),
              (std::vector<uint8_t>{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00, 0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x01}));
    for (std::size_t i = 12; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << i;
    // Room for four: three addresses, the rest of the buffer as the caller left it.
    ASSERT_TRUE(adapter::getMacAddresses(d, buffer, d.error));
    EXPECT_EQ(buffer[17], 0x02);
    for (std::size_t i = 18; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xEE) << i;
}

TEST(SimulatedDriver, programmingStatusFollowsTheDriverRules) {
    struct Case {
        std::string name;
        std::size_t attached;
        uint32_t declared;
        MacAddress start;
        uint32_t previousCount;
        MacAddress previous;
        uint8_t overwrite;
        MacAddress alreadyOnAdapter2;  // all 0xFF: erased
        uint32_t revisionOfAll;
        uint16_t status;
        uint32_t count;
        MacAddress last;
    };
    const MacAddress erased{0xff, 0xff, 0xff, 0xff, 0xff, 0xff};
    const Case cases[] = {
        {"new range", 4, 10, kStart, 0, {}, 0, erased, 0x200, 1, 4, mac(0x7a, 0x01, 0x03)},
        {"only the earlier revision", 2, 10, kStart, 0, {}, 0, erased, 0x100, 3, 2, mac(0x7a, 0x01, 0x01)},
        {"declared count 0", 2, 0, kStart, 0, {}, 0, erased, 0x200, 5, 0, {}},
        {"group address", 2, 10, {0x01, 0x1b, 0x4e, 0x7a, 0x01, 0x00}, 0, {}, 0, erased, 0x200, 5, 0, {}},
        {"range past the serial part", 2, 3, {0x00, 0x1b, 0x4e, 0xff, 0xff, 0xfe}, 0, {}, 0, erased, 0x200, 5, 0, {}},
        {"range ends on the last serial", 2, 2, {0x00, 0x1b, 0x4e, 0xff, 0xff, 0xfe}, 0, {}, 0, erased, 0x200, 1, 2,
         {0x00, 0x1b, 0x4e, 0xff, 0xff, 0xff}},
        {"more adapters than left", 4, 10, kStart, 8, mac(0x7a, 0x01, 0x07), 0, erased, 0x200, 4, 4,
         mac(0x7a, 0x01, 0x07)},
        {"exactly what is left", 2, 10, kStart, 8, mac(0x7a, 0x01, 0x07), 0, erased, 0x200, 1, 2,
         mac(0x7a, 0x01, 0x09)},
        {"conflict refused", 3, 10, kStart, 0, {}, 0, mac(0x7a, 0x01, 0x05), 0x200, 2, 3, {}},
        {"conflict overwritten", 3, 10, kStart, 0, {}, 1, mac(0x7a, 0x01, 0x05), 0x200, 2, 3, mac(0x7a, 0x01, 0x02)},
        {"address outside the range is no conflict", 3, 10, kStart, 0, {}, 0, mac(0x7a, 0x01, 0x0a), 0x200, 1, 3,
         mac(0x7a, 0x01, 0x02)},
        {"other vendor part is no conflict", 3, 10, kStart, 0, {}, 0, {0x00, 0x1c, 0x4e, 0x7a, 0x01, 0x01}, 0x200, 1,
         3, mac(0x7a, 0x01, 0x02)},
        {"no adapters", 0, 10, kStart, 0, {}, 0, erased, 0x200, 3, 0, {}},
    };
    for (const Case& c : cases) {
        DriverFixture d(c.attached, c.revisionOfAll);
        if (c.attached >= 2) writeAddressWords(d.bench.adapters[1].eeprom, c.alreadyOnAdapter2);
        const auto before = d.bench.adapters;
        const auto reply = d.program(c.declared, c.start, c.previous, c.previousCount, c.overwrite);
        EXPECT_EQ(reply.status, c.status) << c.name;
        EXPECT_EQ(reply.count, c.count) << c.name;
        EXPECT_EQ(reply.lastAddress, c.last) << c.name;
        const bool programmed = c.status == 1 || c.status == 3 || (c.status == 2 && c.overwrite);
        for (std::size_t k = 0; k < c.attached; ++k) {
            if (programmed)
                EXPECT_NE(d.bench.adapters[k].eeprom, before[k].eeprom) << c.name << " adapter " << k + 1;
            else
                EXPECT_EQ(d.bench.adapters[k].eeprom, before[k].eeprom) << c.name << " adapter " << k + 1;
        }
    }
}

TEST(SimulatedDriver, adaptersAreNumberedFromTheStartOrAfterThePreviousAddress) {
    DriverFixture fresh(3);
    fresh.program(10, mac(0x7a, 0x01, 0xfe));
    EXPECT_EQ(fresh.address(1), mac(0x7a, 0x01, 0xfe));
    EXPECT_EQ(fresh.address(2), mac(0x7a, 0x01, 0xff));
    EXPECT_EQ(fresh.address(3), mac(0x7a, 0x02, 0x00));

    DriverFixture continued(2);
    const auto reply = continued.program(10, kStart, mac(0x7a, 0x01, 0x0f), 4);
    EXPECT_EQ(continued.address(1), mac(0x7a, 0x01, 0x10));
    EXPECT_EQ(continued.address(2), mac(0x7a, 0x01, 0x11));
    EXPECT_EQ(reply.lastAddress, mac(0x7a, 0x01, 0x11));
    // Every copy of the address: read back, serial number and the address request agree.
    const auto r = continued.readBack(2);
    EXPECT_EQ(r.macAddress, mac(0x7a, 0x01, 0x11));
    EXPECT_EQ(eeprom::serialToAddress(r.serialNumber), mac(0x7a, 0x01, 0x11));
}

TEST(SimulatedDriver, laterRevisionTakesTheWholeImageEarlierOnlyTheAddress) {
    DriverFixture d;
    d.bench.adapters = {freshAdapter(kRevisionWithDescriptors), freshAdapter(kRevisionAddressOnly)};
    eeprom::DescriptorSettings settings;
    settings.product = "Line Dongle";
    const auto reply = d.program(10, kStart, {}, 0, 0, settings);
    EXPECT_EQ(reply.status, 1);

    const auto full = d.readBack(1);
    EXPECT_TRUE(full.hasDescriptors());
    EXPECT_EQ(full.manufacturer, "Korvane Semiconductor");
    EXPECT_EQ(full.product, "Line Dongle          ");
    EXPECT_EQ(full.vendorId, 0x8207);
    EXPECT_EQ(full.productId, 0x6514);
    EXPECT_EQ(full.languageId, 0x0409);
    EXPECT_EQ(full.macAddress, kStart);
    EXPECT_EQ(full.serialNumber, (eeprom::SerialNumber{0x1b, 0x00, 0x7a, 0x4e, 0x00, 0x01}));
    EXPECT_EQ(d.bench.adapters[0].eeprom[0], eeprom::kMarker);
    EXPECT_EQ(d.bench.adapters[0].eeprom[0x38], 0x0000);

    const auto early = d.readBack(2);
    EXPECT_EQ(early.revision, 0x100u);
    EXPECT_EQ(early.macAddress, mac(0x7a, 0x01, 0x01));
    auto untouched = SimAdapter::erased();
    writeAddressWords(untouched, mac(0x7a, 0x01, 0x01));
    EXPECT_EQ(d.bench.adapters[1].eeprom, untouched);
}

TEST(SimulatedDriver, badStringAndBadVendorSpoilWhatTheVerificationsCheck) {
    DriverFixture d(2);
    d.bench.adapters[0].badString = true;
    d.bench.adapters[1].badVendor = true;
    d.program(10, kStart);
    const auto first = d.readBack(1);
    EXPECT_NE(first.product, "USB-MAC Controller   ");
    EXPECT_EQ(first.manufacturer, "Korvane Semiconductor");

    const auto second = d.readBack(2);
    EXPECT_FALSE(adapter::sameVendorPart(second.macAddress, kStart));
    EXPECT_EQ(eeprom::serialToAddress(second.serialNumber), mac(0x7a, 0x01, 0x01)) << "the serial stays right";
    EXPECT_EQ(second.product, "USB-MAC Controller   ");
}

TEST(SimulatedDriver, newVidPidReenumeratesAndIsMirroredWhenTheReplugCountIsAsked) {
    DriverFixture d(3);
    d.bench.adapters[2].revision = kRevisionAddressOnly;
    eeprom::DescriptorSettings custom;
    custom.vid = "0A12";
    custom.pid = "00ff";
    d.program(10, kStart, {}, 0, 0, custom);
    EXPECT_TRUE(d.mirror.entries.empty()) << "nothing is mirrored before the count is asked";

    uint32_t count = 0;
    ASSERT_TRUE(adapter::getReplugCount(d, count, d.error));
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(d.mirror.entries.size(), 2u);
    EXPECT_EQ(d.mirror.entries[0].vid, 0x0A12);
    EXPECT_EQ(d.mirror.entries[0].pid, 0x00FF);
    EXPECT_NE(d.mirror.entries[0].instance, d.mirror.entries[1].instance);
    EXPECT_EQ(d.bench.adapters[0].usbVid, 0x0A12);
    EXPECT_EQ(d.bench.adapters[2].usbVid, 0x8207) << "the earlier revision keeps its identity";

    // Programming the same pair again re-enumerates nothing: the count is per request.
    d.mirror.entries.clear();
    d.program(10, mac(0x7a, 0x02, 0x00), {}, 0, 0, custom);
    ASSERT_TRUE(adapter::getReplugCount(d, count, d.error));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(d.mirror.entries.empty());
}

TEST(SimulatedDriver, internalLoopbackEchoesEachFrameIntoTheCallersBuffer) {
    DriverFixture d(1);
    std::vector<uint8_t> frame(1514, 0xFF), receive(1515, 0);
    frame[12] = 0x05;
    frame[13] = 0xDC;
    ASSERT_TRUE(adapter::setLoopbackMode(d, 1, 1, d.error));
    ASSERT_TRUE(adapter::sendReceivePacket(d, 1, frame, receive, d.error));
    EXPECT_TRUE(std::equal(frame.begin(), frame.end(), receive.begin()));
}

TEST(SimulatedDriver, loopbackFaultsAndModesDecideEachFrame) {
    struct Case {
        std::string name;
        uint16_t mode;
        bool plug;
        uint32_t corrupt, sendFail;
        uint32_t frames;       // frames sent in the series
        uint32_t failingFrame; // 0: all pass
        bool requestFails;     // the failing frame's request fails (else it comes back changed)
        uint32_t error;
    };
    const Case cases[] = {
        {"internal", 1, false, 0, 0, 10, 0, false, 0},
        {"external with the plug", 2, true, 0, 0, 10, 0, false, 0},
        {"external without the plug", 2, false, 0, 0, 1, 1, true, kErrorSemTimeout},
        {"loopback off", 0, false, 0, 0, 1, 1, true, kErrorSemTimeout},
        {"corrupt frame 3", 1, false, 3, 0, 10, 3, false, 0},
        {"send fails at frame 4", 2, true, 0, 4, 10, 4, true, kErrorGenFailure},
    };
    for (const Case& c : cases) {
        DriverFixture d(1);
        d.bench.adapters[0].externalPlug = c.plug;
        d.bench.adapters[0].corruptFrame = c.corrupt;
        d.bench.adapters[0].sendFailFrame = c.sendFail;
        std::vector<uint8_t> frame(64, 0xFF), receive(65, 0);
        ASSERT_TRUE(adapter::setLoopbackMode(d, 1, c.mode, d.error)) << c.name;
        // Two series: frame numbers count from 1 again after the mode is set anew.
        for (int series = 0; series < 2; ++series) {
            if (series == 1) {
                ASSERT_TRUE(adapter::setLoopbackMode(d, 1, c.mode, d.error));
            }
            for (uint32_t i = 1; i <= c.frames; ++i) {
                std::fill(receive.begin(), receive.end(), 0);
                uint32_t error = 0;
                const bool ok = adapter::sendReceivePacket(d, 1, frame, receive, error);
                const bool same = std::equal(frame.begin(), frame.end(), receive.begin());
                if (i == c.failingFrame) {
                    EXPECT_EQ(ok, !c.requestFails) << c.name << " frame " << i;
                    if (c.requestFails) {
                        EXPECT_EQ(error, c.error) << c.name;
                    }
                    EXPECT_FALSE(same) << c.name << " frame " << i;
                } else {
                    EXPECT_TRUE(ok && same) << c.name << " frame " << i;
                }
            }
        }
    }
}

TEST(SimulatedDriver, loopbackFailMakesEverySetModeRequestFail) {
    DriverFixture d(2);
    d.bench.adapters[1].loopbackFail = true;
    EXPECT_TRUE(adapter::setLoopbackMode(d, 1, 1, d.error));
    EXPECT_FALSE(adapter::setLoopbackMode(d, 2, 1, d.error));
    EXPECT_EQ(d.error, kErrorGenFailure);
    EXPECT_FALSE(adapter::setLoopbackMode(d, 2, 0, d.error));
}

TEST(SimulatedDriver, readBackFaultsAndRevisionCode) {
    DriverFixture d(2);
    d.program(10, kStart);
    d.bench.adapters[0].readFail = true;
    std::array<uint8_t, adapter::kReadRecordSize> record{};
    record.fill(0);
    EXPECT_FALSE(adapter::readEeprom(d, 1, record, d.error));
    EXPECT_EQ(d.error, kErrorGenFailure);
    EXPECT_EQ(record, (std::array<uint8_t, adapter::kReadRecordSize>{})) << "a failed read leaves the record";

    d.bench.adapters[1].readBackRevision = 0x300;
    EXPECT_EQ(d.readBack(2).revision, 0x300u);
    EXPECT_FALSE(d.readBack(2).hasAddress());
}

TEST(SimulatedDriver, requestFaultsFailTheKthRequestOrEveryOne) {
    DriverFixture d(1);
    d.bench.driver.requestFaults.push_back({adapter::IOCTL_GET_DEVICE_COUNT, 2});
    d.bench.driver.requestFaults.push_back({adapter::IOCTL_WRITE_MAC_REGISTER, 0});
    uint32_t count = 0;
    EXPECT_TRUE(adapter::getDeviceCount(d, count, d.error));
    EXPECT_FALSE(adapter::getDeviceCount(d, count, d.error));
    EXPECT_EQ(d.error, kErrorGenFailure);
    EXPECT_TRUE(adapter::getDeviceCount(d, count, d.error)) << "only the second one fails";
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(adapter::writeMacRegister(d, 1, 0, 1, d.error));

    d.bench.driver.programFail = true;
    adapter::ProgramReply reply;
    EXPECT_FALSE(adapter::programEeprom(d, adapter::ProgramRequest{}, reply, d.error));
    EXPECT_EQ(d.error, kErrorGenFailure);
}

TEST(SimulatedDriver, malformedRequestsAreRefusedWithTheDriversErrors) {
    DriverFixture d(2);
    uint8_t value = 0;
    uint16_t word = 0;
    std::array<uint8_t, 4> reply{};
    std::array<uint8_t, 2> tiny{};
    const std::array<uint8_t, 3> threeBytes{1, 0, 0};
    struct Case {
        std::string name;
        std::function<bool(uint32_t&)> call;
        uint32_t expected;
    };
    const Case cases[] = {
        {"device 0", [&](uint32_t& e) { return adapter::readMacRegister(d, 0, 0, value, e); }, kErrorInvalidParameter},
        {"device past the count", [&](uint32_t& e) { return adapter::readMacRegister(d, 3, 0, value, e); },
         kErrorInvalidParameter},
        {"register index 256", [&](uint32_t& e) { return adapter::writeMacRegister(d, 1, 256, 0, e); },
         kErrorInvalidParameter},
        {"PHY register 32", [&](uint32_t& e) { return adapter::readPhyRegister(d, 1, 32, word, e); },
         kErrorInvalidParameter},
        {"loopback mode 3", [&](uint32_t& e) { return adapter::setLoopbackMode(d, 1, 3, e); }, kErrorInvalidParameter},
        {"wrong input size",
         [&](uint32_t& e) { return d.request(adapter::IOCTL_READ_MAC_REGISTER, threeBytes, reply, e); },
         kErrorInvalidParameter},
        {"reply buffer too small", [&](uint32_t& e) { return d.request(adapter::IOCTL_GET_DEVICE_COUNT, {}, tiny, e); },
         kErrorInsufficientBuffer},
        {"no request has this code", [&](uint32_t& e) { return d.request(0x222858, {}, reply, e); },
         kErrorInvalidFunction},
    };
    for (const Case& c : cases) {
        uint32_t error = 0;
        EXPECT_FALSE(c.call(error)) << c.name;
        EXPECT_EQ(error, c.expected) << c.name;
    }
}
