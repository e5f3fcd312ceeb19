// bench_model_test.cpp: the bench file's text round trip, damaged files, and the NAME=VALUE settings.
#include "bench/bench_model.h"

#include <gtest/gtest.h>

#include <string>

#include "common/adapter/ioctl_codes.h"

using namespace lt;
using namespace lt::bench;

namespace {

Bench everythingSet() {
    Bench b;
    b.driver.versionWord0 = 1;
    b.driver.versionWord1 = 13;
    b.driver.phyMode = 3;
    b.driver.revision = 0x300;
    b.driver.absent = true;
    b.driver.programFail = true;
    b.driver.openFail = 2;
    b.driver.requestFaults = {{adapter::IOCTL_GET_DEVICE_COUNT, 0}, {adapter::IOCTL_READ_EEPROM, 3}};
    b.driver.replugCount = 1;
    b.driver.enumerations = 7;
    SimAdapter a = freshAdapter(kRevisionAddressOnly);
    a.usbVid = 0x0a12;
    a.usbPid = 0x00ff;
    for (std::size_t i = 0; i < a.eeprom.size(); ++i) a.eeprom[i] = uint16_t(i * 0x0101);
    a.externalPlug = a.loopbackFail = a.readFail = a.badString = a.badVendor = true;
    a.corruptFrame = 5;
    a.sendFailFrame = 6;
    a.readBackRevision = 0x300;
    a.registerFaults = {{15, 0xff}, {22, 0x00}};
    a.phyFaults = {{1, 0x782d}};
    a.replugInstance = "BENCH&001B4E7A0100&7";
    b.adapters = {a, freshAdapter()};
    return b;
}

}  // namespace

TEST(BenchText, everyKeptFieldSurvivesTheRoundTrip) {
    const Bench b = everythingSet();
    const std::string text = formatBench(b);
    Bench back;
    std::string error;
    ASSERT_TRUE(parseBench(text, back, error)) << error;
    EXPECT_EQ(formatBench(back), text);
    EXPECT_EQ(back.adapters[0].eeprom, b.adapters[0].eeprom);
    EXPECT_EQ(back.adapters[0].replugInstance, b.adapters[0].replugInstance);
    EXPECT_EQ(back.driver.requestFaults.size(), 2u);
    EXPECT_EQ(back.driver.requestFaults[1].countdown, 3u);

    // Line ends written by a Windows editor are read the same.
    std::string crlf;
    for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ASSERT_TRUE(parseBench(crlf, back, error)) << error;
    EXPECT_EQ(formatBench(back), text);
}

TEST(BenchText, damagedFilesAreRefusedWithAMessageNamingTheLine) {
    const std::string good = formatBench(everythingSet());
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string t = good;
        t.replace(t.find(from), from.size(), to);
        return t;
    };
    struct Case { std::string name; std::string text; std::string mentions; };
    const Case cases[] = {
        {"empty", "", "empty"},
        {"other file", "[INITIALMACADDR]\nBYTE1=00\n", "line 1"},
        {"cut inside a line", good.substr(0, good.size() / 2), "64 words"},
        {"cut between lines", good.substr(0, good.rfind("adapter")), "end line"},
        {"no end line", good.substr(0, good.rfind("end")), "end line"},
        {"unknown line", replaced("adapter ", "gadget "), "line 3"},
        {"unknown setting", replaced("external=1", "colour=1"), "colour"},
        {"bad flag", replaced("external=1", "external=2"), "external=2"},
        {"bad eeprom word", replaced("eeprom 0000", "eeprom 0z00"), "0z00"},
        {"short eeprom line", replaced("eeprom 0000 ", "eeprom "), "64 words"},
        {"adapter without eeprom", replaced("\neeprom", "\nxeeprom"), "eeprom line"},
        {"text after end", good + "adapter\n", "after the end"},
        {"binary junk", std::string("korusbmac-bench 1\n\x01\x02\xff\n", 22), "line 2"},
    };
    for (const Case& c : cases) {
        Bench b;
        b.adapters.push_back(freshAdapter());
        std::string error;
        EXPECT_FALSE(parseBench(c.text, b, error)) << c.name;
        EXPECT_NE(error.find(c.mentions), std::string::npos) << c.name << ": " << error;
        EXPECT_EQ(b.adapters.size(), 1u) << c.name << ": the target is untouched";
    }
}

// The values of register= and phy= are read as show prints them: hexadecimal, the 0x optional.
TEST(BenchSettings, registerAndPhyValuesAreHexadecimalWithOrWithoutThePrefix) {
    struct Case { std::string assignment; bool accepted; uint16_t number; uint16_t value; };
    const Case cases[] = {
        {"register=15:ff", true, 15, 0xFF},     {"register=15:0xFF", true, 15, 0xFF},
        {"register=8:80", true, 8, 0x80},       {"register=10:0x10", true, 10, 0x10},
        {"register=12:0", true, 12, 0x00},      {"phy=1:7809", true, 1, 0x7809},
        {"phy=1:0x7809", true, 1, 0x7809},      {"phy=4:1e1", true, 4, 0x01E1},
        {"register=15:fg", false, 0, 0},        {"register=15:0x", false, 0, 0},
        {"register=15:", false, 0, 0},          {"register=15:-1", false, 0, 0},
        {"register=15:100", false, 0, 0},       {"register=15: ff", false, 0, 0},
        {"phy=1:17809", false, 0, 0},           {"phy=1:0x", false, 0, 0},
        {"phy=1:x7809", false, 0, 0},           {"phy=1:78o9", false, 0, 0},
    };
    for (const Case& c : cases) {
        SimAdapter a = freshAdapter();
        std::string error;
        ASSERT_EQ(applyAdapterSetting(a, c.assignment, false, error), c.accepted) << c.assignment << ": " << error;
        if (!c.accepted) continue;
        if (c.assignment.rfind("register=", 0) == 0) {
            ASSERT_EQ(a.registerFaults.size(), 1u) << c.assignment;
            EXPECT_EQ(a.registerFaults[0].number, c.number) << c.assignment;
            EXPECT_EQ(a.registerFaults[0].value, c.value) << c.assignment;
        } else {
            ASSERT_EQ(a.phyFaults.size(), 1u) << c.assignment;
            EXPECT_EQ(a.phyFaults[0].reg, c.number) << c.assignment;
            EXPECT_EQ(a.phyFaults[0].value, c.value) << c.assignment;
        }
    }
}

TEST(BenchSettings, adapterSettingsTakeGoodValuesAndRefuseBadOnesWithoutChange) {
    struct Case { std::string assignment; bool accepted; };
    const Case cases[] = {
        {"register=15:0xff", true}, {"register=256:0", true}, {"register=0", true}, {"register=0:1", false},
        {"register=257:1", false}, {"register=15:0x100", false}, {"register=15", false},
        {"phy=0:0x1000", true}, {"phy=31:ffff", true}, {"phy=31:65535", false}, {"phy=32:1", false}, {"phy=1:0x10000", false},
        {"external=1", true}, {"external=yes", false}, {"corrupt=3", true}, {"corrupt=-1", false},
        {"sendfail=0", true}, {"loopbackfail=1", true}, {"readfail=1", true}, {"badstring=1", true},
        {"badvendor=0", true}, {"rbrevision=0x300", true}, {"rbrevision=0xfffffffff", false},
        {"mac=00-11-22-33-44-55", true}, {"mac=00:11:22:33:44:55", true}, {"mac=00-11-22-33-44", false},
        {"mac=00-11-22-33-44-5g", false}, {"revision=0x100", true}, {"revision=0x300", false},
        {"usb=0a12:00ff", true}, {"usb=12345:1", false}, {"replug=X", false}, {"colour=red", false},
        {"external", false}, {"=1", false},
    };
    for (const Case& c : cases) {
        SimAdapter a = freshAdapter();
        const std::string before = formatBench(Bench{{}, {a}});
        std::string error;
        EXPECT_EQ(applyAdapterSetting(a, c.assignment, false, error), c.accepted) << c.assignment;
        if (!c.accepted) {
            EXPECT_FALSE(error.empty()) << c.assignment;
            EXPECT_EQ(formatBench(Bench{{}, {a}}), before) << c.assignment;
        }
    }
}

TEST(BenchSettings, macSetsTheAddressAndItsSerialAsIfProgrammed) {
    SimAdapter a = freshAdapter();
    std::string error;
    ASSERT_TRUE(applyAdapterSetting(a, "mac=00-1b-4e-7a-01-00", false, error));
    EXPECT_EQ(adapterAddress(a), (MacAddress{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}));
    EXPECT_EQ(adapterSerial(a), (std::array<uint8_t, 6>{0x1b, 0x00, 0x7a, 0x4e, 0x00, 0x01}));
    EXPECT_EQ(a.eeprom[eeprom::kVendorIdWord], 0xFFFF) << "nothing else is written";
}

TEST(BenchSettings, driverSettingsTakeGoodValuesAndRefuseBadOnes) {
    struct Case { std::string assignment; bool accepted; };
    const Case cases[] = {
        {"version=0.14", true}, {"version=1.2", true}, {"version=14", false}, {"version=0.70000", false},
        {"phymode=1", true}, {"revision=0x100", true}, {"revision=0", true}, {"absent=1", true},
        {"absent=true", false}, {"programfail=1", true}, {"openfail=2", true}, {"openfail=x", false},
        {"fail=IOCTL_GET_DEVICE_COUNT", true}, {"fail=IOCTL_WRITE_MAC_REGISTER:3", true},
        {"fail=IOCTL_READ_EEPROM:0", true}, {"fail=0", true}, {"fail=IOCTL_NOTHING", false},
        {"fail=IOCTL_READ_EEPROM:x", false}, {"replugcount=1", false}, {"speed=1", false},
    };
    for (const Case& c : cases) {
        DriverState d;
        std::string error;
        EXPECT_EQ(applyDriverSetting(d, c.assignment, false, error), c.accepted) << c.assignment;
    }
}

TEST(BenchSettings, failNameZeroClearsOneRequestAndFailZeroClearsAll) {
    DriverState d;
    std::string error;
    ASSERT_TRUE(applyDriverSetting(d, "fail=IOCTL_GET_DEVICE_COUNT:2", false, error));
    ASSERT_TRUE(applyDriverSetting(d, "fail=IOCTL_READ_EEPROM", false, error));
    ASSERT_TRUE(applyDriverSetting(d, "fail=IOCTL_GET_DEVICE_COUNT:4", false, error));  // replaces the first
    ASSERT_EQ(d.requestFaults.size(), 2u);
    EXPECT_EQ(d.requestFaults[1].countdown, 4u);
    ASSERT_TRUE(applyDriverSetting(d, "fail=IOCTL_READ_EEPROM:0", false, error));
    ASSERT_EQ(d.requestFaults.size(), 1u);
    ASSERT_TRUE(applyDriverSetting(d, "fail=0", false, error));
    EXPECT_TRUE(d.requestFaults.empty());
}

TEST(BenchShow, linePrintsTheAdapterAsProgrammedWithoutPaddingSpaces) {
    SimAdapter a = freshAdapter();
    eeprom::DescriptorSettings settings;
    eeprom::EepromWriteImage image;
    eeprom::buildImage(settings, image);
    auto bytes = image.bytes;
    eeprom::placeMacAddress(bytes, {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00});
    for (std::size_t r = 0; r < 15; ++r)
        for (std::size_t i = 0; i < 4; ++i)
            a.eeprom[bytes[9 * r] + i] = uint16_t(bytes[9 * r + 1 + 2 * i] | (bytes[9 * r + 2 + 2 * i] << 8));
    EXPECT_EQ(showLine(a, 1),
              "1 revision=0x200 mac=00-1b-4e-7a-01-00 serial=1b-00-7a-4e-00-01 vid=8207 pid=6514 lang=0409 "
              "usb=8207:6514 manufacturer=\"Korvane Semiconductor\" product=\"USB-MAC Controller\"");

    const SimAdapter erased = freshAdapter(kRevisionAddressOnly);
    EXPECT_EQ(showLine(erased, 12),
              "12 revision=0x100 mac=ff-ff-ff-ff-ff-ff serial=ff-ff-ff-ff-ff-ff vid=ffff pid=ffff lang=ffff "
              "usb=8207:6514 manufacturer=\"" + std::string(21, '?') + "\" product=\"" + std::string(21, '?') + "\"");
}
