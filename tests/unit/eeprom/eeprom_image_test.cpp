// eeprom_image_test.cpp: the write image byte for byte, the placed start address and unsafe settings texts.
#include "common/eeprom/eeprom_image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

using namespace lt::eeprom;

namespace {

using Image = std::array<uint8_t, kImageSize>;

// Fifteen lines of nine hexadecimal bytes each.
Image imageFromText(const std::vector<std::string>& records) {
    Image image{};
    std::size_t at = 0;
    for (const auto& line : records) {
        std::istringstream in(line);
        unsigned byte;
        while (in >> std::hex >> byte) image.at(at++) = uint8_t(byte);
    }
    EXPECT_EQ(at, kImageSize);
    return image;
}

std::string recordText(const Image& image, std::size_t r) {
    std::string text;
    char part[4];
    for (std::size_t i = 0; i < 9; ++i) {
        std::snprintf(part, sizeof part, i ? " %02X" : "%02X", image[9 * r + i]);
        text += part;
    }
    return text;
}

void expectImage(const Image& actual, const Image& expected) {
    for (std::size_t r = 0; r < 15; ++r)
        EXPECT_EQ(recordText(actual, r), recordText(expected, r)) << "record " << r;
}

const std::vector<std::string> kDefaultRecords = {
    "00 07 82 02 1B 4E 7A 01 00",  // marker, address placeholder
    "04 07 82 14 65 00 01 09 04",  // VID 8207, PID 6514, 0100, language 0409
    "08 4B 00 6F 00 72 00 76 00",  // "Korv"
    "0C 61 00 6E 00 65 00 20 00",  // "ane "
    "10 53 00 65 00 6D 00 69 00",  // "Semi"
    "14 63 00 6F 00 6E 00 64 00",  // "cond"
    "18 75 00 63 00 74 00 6F 00",  // "ucto"
    "1C 72 00 55 00 53 00 42 00",  // "r", then "USB"
    "20 2D 00 4D 00 41 00 43 00",  // "-MAC"
    "24 20 00 43 00 6F 00 6E 00",  // " Con"
    "28 74 00 72 00 6F 00 6C 00",  // "trol"
    "2C 6C 00 65 00 72 00 20 00",  // "ler "
    "30 20 00 20 00 02 1B 4E 7A",  // two padding spaces, serial placeholder
    "34 01 00 00 00 00 00 00 00",
    "00 00 00 00 00 00 00 00 00",  // the builder leaves the last address byte zero
};

}  // namespace

TEST(WriteImage, defaultSettingsGiveTheFifteenDocumentedRecords) {
    DescriptorSettings settings;
    EepromWriteImage image;
    EXPECT_TRUE(buildImage(settings, image));
    expectImage(image.bytes, imageFromText(kDefaultRecords));
}

TEST(WriteImage, placingTheStartAddressChangesOnlyBothAddressCopiesAndTheLastAddressByte) {
    DescriptorSettings settings;
    EepromWriteImage image;
    buildImage(settings, image);
    Image copy = image.bytes;
    placeMacAddress(copy, {0x00, 0x11, 0x22, 0x33, 0x44, 0x55});

    auto expected = kDefaultRecords;
    expected[0] = "00 07 82 00 11 22 33 44 55";
    expected[12] = "30 20 00 20 00 11 00 33 22";
    expected[13] = "34 55 44 00 00 00 00 00 00";
    expected[14] = "38 00 00 00 00 00 00 00 00";
    expectImage(copy, imageFromText(expected));
    // The kept image still holds the placeholders.
    expectImage(image.bytes, imageFromText(kDefaultRecords));
}

TEST(WriteImage, aOneCharacterManufacturerIsFollowedByTwentySpaceUnits) {
    DescriptorSettings settings;
    settings.manufacturer.assign(1, 'K');  // (assign from a literal trips a gcc 12 -Wrestrict false alarm)
    EepromWriteImage image;
    buildImage(settings, image);
    EXPECT_EQ(settings.manufacturer, "K" + std::string(20, ' '));
    EXPECT_EQ(recordText(image.bytes, 2), "08 4B 00 20 00 20 00 20 00");
    for (std::size_t r = 3; r <= 6; ++r) EXPECT_EQ(recordText(image.bytes, r).substr(3), "20 00 20 00 20 00 20 00");
    EXPECT_EQ(recordText(image.bytes, 7), "1C 20 00 55 00 53 00 42 00");
}

TEST(WriteImage, buildingTwiceGivesTheSameBytesAndDoesNotPadFurther) {
    DescriptorSettings settings;
    settings.product = "Dongle";
    EepromWriteImage image;
    buildImage(settings, image);
    const Image first = image.bytes;
    const std::string padded = settings.product;
    EXPECT_EQ(padded.size(), 21u);
    buildImage(settings, image);
    EXPECT_EQ(image.bytes, first);
    EXPECT_EQ(settings.product, padded);
}

TEST(WriteImage, neverWritesTheOffsetsAfterTheSerialNumber) {
    DescriptorSettings settings;
    EepromWriteImage image;
    for (std::size_t i = 120; i < kImageSize; ++i) image.bytes[i] = 0xEE;
    buildImage(settings, image);
    for (std::size_t i = 120; i < kImageSize; ++i) EXPECT_EQ(image.bytes[i], 0xEE) << i;
}

TEST(WriteImage, overlongStringsFromTheSettingsFileAreCutAtTwentyOneWithoutShiftingLaterFields) {
    DescriptorSettings settings;
    settings.manufacturer = "Korvane Semiconductor Incorporated Worldwide";
    settings.product = std::string(300, 'P');
    EepromWriteImage image;
    for (std::size_t i = 120; i < kImageSize; ++i) image.bytes[i] = 0xEE;
    buildImage(settings, image);
    EXPECT_EQ(settings.manufacturer, "Korvane Semiconductor");
    EXPECT_EQ(settings.product, std::string(21, 'P'));

    const Image built = image.bytes;
    EXPECT_EQ(recordText(built, 7), "1C 72 00 50 00 50 00 50 00");
    EXPECT_EQ(recordText(built, 12), "30 50 00 50 00 02 1B 4E 7A");  // serial placeholder where it belongs
    EXPECT_EQ(recordText(built, 13), "34 01 00 EE EE EE EE EE EE");  // nothing written past offset 119
    EXPECT_EQ(recordText(built, 14), "EE EE EE EE EE EE EE EE EE");
}

TEST(WriteImage, charactersFrom0x80AreWidenedAsSignedBytes) {
    DescriptorSettings settings;
    settings.manufacturer = "\xC4\x7F\x80\xFF";
    EepromWriteImage image;
    buildImage(settings, image);
    EXPECT_EQ(recordText(image.bytes, 2), "08 C4 FF 7F 00 80 FF FF FF");
}

TEST(HexWord, readsTextLikeAHexadecimalScanKeepingTheLowSixteenBits) {
    struct Case { const char* text; uint16_t value; };
    const Case cases[] = {
        {"0409", 0x0409}, {"8207", 0x8207}, {"6514", 0x6514}, {"abcd", 0xabcd}, {"ABCD", 0xabcd},
        {"12345", 0x2345},                    // more than four digits: low 16 bits
        {"12zz", 0x0012},                     // stops at the first non-digit
        {"  1f", 0x001f}, {"0x1F", 0x001f},   // blanks and a 0x prefix as a scan takes them
        {"-1", 0xffff}, {"+10", 0x0010},
        {"", 0}, {"zz", 0}, {"G12", 0}, {"0x", 0}, {"  ", 0},  // no hexadecimal digit: 0
    };
    for (const auto& c : cases) EXPECT_EQ(hexWord(c.text), c.value) << '"' << c.text << '"';
}

TEST(WriteImage, aNonHexadecimalIdentifierGivesZeroInItsOwnWordOnly) {
    DescriptorSettings settings;
    settings.vid = "VEND";
    settings.pid = "6514-rev";
    settings.languageId = "";
    EepromWriteImage image;
    buildImage(settings, image);
    EXPECT_EQ(recordText(image.bytes, 1), "04 00 00 14 65 00 01 00 00");
    auto expected = imageFromText(kDefaultRecords);
    for (std::size_t i = 18; i < kImageSize; ++i) EXPECT_EQ(image.bytes[i], expected[i]) << i;
}

TEST(MacFromHexDigits, readsTwelveDigitsTwoPerByte) {
    MacAddress a{};
    ASSERT_TRUE(macFromHexDigits("021b4e7a0100", a));
    EXPECT_EQ(a, (MacAddress{0x02, 0x1b, 0x4e, 0x7a, 0x01, 0x00}));
    EXPECT_FALSE(macFromHexDigits("021b4e7a010", a));
    EXPECT_FALSE(macFromHexDigits("021b4e7a01zz", a));
    EXPECT_EQ(a, (MacAddress{0x02, 0x1b, 0x4e, 0x7a, 0x01, 0x00}));  // untouched by a refusal
}
