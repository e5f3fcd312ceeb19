// read_record_test.cpp: decoding the read-back record by its revision code, and the serial number.
#include "common/eeprom/read_record.h"

#include <gtest/gtest.h>

#include <string>

using namespace lt::eeprom;

namespace {

std::array<uint16_t, kRecordStringUnits> units(const std::string& text) {
    std::array<uint16_t, kRecordStringUnits> u{};
    for (std::size_t i = 0; i < text.size() && i < kRecordStringUnits; ++i)
        u[i] = uint16_t(int16_t(int8_t(static_cast<unsigned char>(text[i]))));
    return u;
}

ReadRecordFields programmedFields(uint32_t revision) {
    ReadRecordFields f;
    f.revision = revision;
    f.vendorId = 0x8207;
    f.productId = 0x6514;
    f.languageId = 0x0409;
    f.macAddress = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    f.manufacturer = units("Korvane Semiconductor");
    f.product = units("USB-MAC Controller   ");
    f.serialNumber = {0x11, 0x00, 0x33, 0x22, 0x55, 0x44};
    return f;
}

}  // namespace

TEST(ReadRecord, fieldsSitAtTheirDocumentedOffsets) {
    const auto b = encodeReadRecord(programmedFields(0x200));
    EXPECT_EQ(b[0], 0x07);
    EXPECT_EQ(b[1], 0x82);
    EXPECT_EQ(b[2], 0x14);
    EXPECT_EQ(b[3], 0x65);
    EXPECT_EQ(b[4], 0x00);
    EXPECT_EQ(b[9], 0x55);
    EXPECT_EQ(b[10], 'K');
    EXPECT_EQ(b[11], 0x00);
    EXPECT_EQ(b[54], 'U');
    EXPECT_EQ(b[98], 0x09);
    EXPECT_EQ(b[99], 0x04);
    EXPECT_EQ(b[100], 0x11);
    EXPECT_EQ(b[105], 0x44);
    EXPECT_EQ(b[118], 0x00);
    EXPECT_EQ(b[119], 0x02);
    EXPECT_EQ(b[120], 0x00);
    EXPECT_EQ(b[121], 0x00);
}

TEST(ReadRecord, revisionCodeDecidesWhichFieldsAreYielded) {
    const auto full = decodeReadRecord(encodeReadRecord(programmedFields(0x200)));
    EXPECT_TRUE(full.hasDescriptors());
    EXPECT_EQ(full.vendorId, 0x8207);
    EXPECT_EQ(full.productId, 0x6514);
    EXPECT_EQ(full.languageId, 0x0409);
    EXPECT_EQ(full.macAddress, (MacAddress{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(full.manufacturer, "Korvane Semiconductor");
    EXPECT_EQ(full.product, "USB-MAC Controller   ");  // trailing padding kept
    EXPECT_EQ(full.serialNumber, (SerialNumber{0x11, 0x00, 0x33, 0x22, 0x55, 0x44}));

    const auto early = decodeReadRecord(encodeReadRecord(programmedFields(0x100)));
    EXPECT_TRUE(early.hasAddress());
    EXPECT_FALSE(early.hasDescriptors());
    EXPECT_EQ(early.macAddress, (MacAddress{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(early.vendorId, 0);
    EXPECT_EQ(early.manufacturer, "");
    EXPECT_EQ(early.serialNumber, SerialNumber{});

    for (uint32_t other : {0u, 0x300u, 0x201u}) {
        const auto none = decodeReadRecord(encodeReadRecord(programmedFields(other)));
        EXPECT_FALSE(none.hasAddress()) << other;
        EXPECT_EQ(none.macAddress, MacAddress{}) << other;
        EXPECT_EQ(none.product, "") << other;
    }
}

TEST(ReadRecord, aZeroFilledRecordAfterAFailedReadYieldsNothing) {
    const std::array<uint8_t, kReadRecordSize> zero{};
    const auto r = decodeReadRecord(zero);
    EXPECT_EQ(r.revision, 0u);
    EXPECT_FALSE(r.hasAddress());
}

TEST(ReadRecord, serialNumberExchangesEachPairBackIntoTheAddress) {
    EXPECT_EQ(serialToAddress({0x11, 0x00, 0x33, 0x22, 0x55, 0x44}), (MacAddress{0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(addressToSerial({0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x00}), (SerialNumber{0x1b, 0x00, 0x7a, 0x4e, 0x00, 0x01}));
}

TEST(ReadRecord, stringsEndAtTheFirstZeroUnitAndNeverRunPastTwentyTwoUnits) {
    auto f = programmedFields(0x200);
    f.manufacturer = units("ABCDEFGHIJKLMNOPQRSTUVWXYZ");  // 22 units filled, no zero unit
    f.product = units("Product");
    f.product[3] = 0;  // an early zero unit
    const auto r = decodeReadRecord(encodeReadRecord(f));
    EXPECT_EQ(r.manufacturer, "ABCDEFGHIJKLMNOPQRSTUV");  // the product units after it are not read
    EXPECT_EQ(r.product, "Pro");
}

TEST(ReadRecord, unitsBecomeEightBitCharactersAndWidenedHighCharactersComeBackAsProgrammed) {
    auto f = programmedFields(0x200);
    f.manufacturer = {};
    f.manufacturer[0] = 'A';
    f.manufacturer[1] = 0x00E9;  // below 0x100: that byte
    f.manufacturer[2] = 0xFFC4;  // the sign-widened form of byte 0xC4
    f.manufacturer[3] = 0x20AC;  // any other unit
    f.manufacturer[4] = 0xFF7F;
    const auto r = decodeReadRecord(encodeReadRecord(f));
    EXPECT_EQ(r.manufacturer, "A\xE9\xC4??");
}
