// value_forms.cpp: the "%x", "%lu" and "%d" readings and the "%02x", "%lu" and "%d" writings of settings values.
#include "common/settings/value_forms.h"

#include <cstdio>
#include <limits>

#include "common/adapter/hex_digits.h"

namespace lt::settings {

namespace {

using adapter::hexDigitValue;

// The blanks that scanf skips before a number.
bool isScanBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

std::string_view skipBlanks(std::string_view text) {
    while (!text.empty() && isScanBlank(text.front())) text.remove_prefix(1);
    return text;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

uint8_t parseHexByte(std::string_view text) {
    text = skipBlanks(text);
    if (text.size() >= 3 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && hexDigitValue(text[2]) >= 0) {
        text.remove_prefix(2);
    }
    uint32_t value = 0;  // only the low eight bits matter; wrapping keeps them right
    for (char c : text) {
        const int digit = hexDigitValue(c);
        if (digit < 0) break;
        value = (value << 4) | uint32_t(digit);
    }
    return uint8_t(value & 0xFF);
}

uint32_t parseCount(std::string_view text) {
    text = skipBlanks(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    uint64_t value = 0;
    for (char c : text) {
        if (!isDigit(c)) break;
        value = value * 10 + uint64_t(c - '0');
        if (value > std::numeric_limits<uint32_t>::max()) return std::numeric_limits<uint32_t>::max();
    }
    return uint32_t(value);
}

int32_t parseDecimal(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    constexpr int64_t limit = int64_t(std::numeric_limits<int32_t>::max()) + 1;
    for (char c : text) {
        if (!isDigit(c)) break;
        value = value * 10 + (c - '0');
        if (value >= limit) {
            value = limit;
            break;
        }
    }
    if (negative) return int32_t(-value);
    return value >= limit ? std::numeric_limits<int32_t>::max() : int32_t(value);
}

std::string formatHexByte(uint8_t value) {
    char text[3];
    std::snprintf(text, sizeof text, "%02x", unsigned(value));
    return text;
}

std::string formatCount(uint32_t value) { return std::to_string(value); }

std::string formatDecimal(int32_t value) { return std::to_string(value); }

std::string trimBlanks(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return std::string(text);
}

}  // namespace lt::settings
