// hex_digits.h: the reading of one hexadecimal digit, shared by every text that carries hexadecimal numbers.
//
// Address boxes, address records, settings values, descriptor texts, bench files and ledger
// lines all take the digits 0-9, a-f and A-F, and nothing else (no locale, no blanks).
#pragma once

namespace lt::adapter {

// The digit's value 0-15, or -1 when `c` is no hexadecimal digit.
constexpr int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

constexpr bool isHexDigit(char c) { return hexDigitValue(c) >= 0; }

}  // namespace lt::adapter
