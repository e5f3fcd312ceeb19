// value_forms_test.cpp: hex bytes, counts and decimal flags parse and print the same way in every build.
#include "common/settings/value_forms.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

using namespace lt::settings;

TEST(HexByte, readsAsPercentXAndKeepsTheLowEightBits) {
    struct Case { std::string text; uint8_t expected; };
    const Case cases[] = {
        {"00", 0x00},  {"1b", 0x1b},   {"1B", 0x1b},  {"ff", 0xff},   {"FF", 0xff},  {"A", 0x0a},
        {"a", 0x0a},   {"7", 0x07},    {" 4e", 0x4e}, {"\t4e", 0x4e}, {"0x4e", 0x4e}, {"0X4E", 0x4e},
        {"1ff", 0xff}, {"123", 0x23},  {"12345678901", 0x01}, {"4eZ", 0x4e}, {"4e 5", 0x4e},
        // Text that does not parse counts as 0.
        {"", 0},       {"G1", 0},      {"-1", 0},     {"0x", 0},      {"0xg", 0},    {"  ", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(parseHexByte(c.text), c.expected) << "'" << c.text << "'";
}

TEST(Count, readsAsAnUnsigned32BitDecimalNumber) {
    struct Case { std::string text; uint32_t expected; };
    const Case cases[] = {
        {"0", 0},          {"10", 10},   {"100000", 100000}, {" 42", 42},  {"+42", 42}, {"42abc", 42},
        {"007", 7},        {"4294967295", 4294967295u}, {"4294967296", 4294967295u},
        {"99999999999999999999", 4294967295u},
        {"", 0},           {"abc", 0},   {"-3", 0},           {"+", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(parseCount(c.text), c.expected) << "'" << c.text << "'";
}

TEST(DecimalFlag, readsAsPercentDIntoA32BitInt) {
    struct Case { std::string text; int32_t expected; };
    const Case cases[] = {
        {"1", 1},   {"0", 0},   {" 1", 1},  {"-1", -1}, {"+5", 5},  {"12x", 12},
        {"", 0},    {"x", 0},   {"-", 0},
        {"2147483647", 2147483647}, {"2147483648", 2147483647}, {"-2147483648", INT32_MIN},
        {"-99999999999", INT32_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(parseDecimal(c.text), c.expected) << "'" << c.text << "'";
}

TEST(ValueFormat, writesTwoLowerCaseDigitsAndPlainDecimals) {
    EXPECT_EQ(formatHexByte(0x00), "00");
    EXPECT_EQ(formatHexByte(0x0a), "0a");
    EXPECT_EQ(formatHexByte(0xff), "ff");
    EXPECT_EQ(formatCount(0), "0");
    EXPECT_EQ(formatCount(4294967295u), "4294967295");
    EXPECT_EQ(formatDecimal(-5), "-5");
    EXPECT_EQ(formatDecimal(1), "1");
}
