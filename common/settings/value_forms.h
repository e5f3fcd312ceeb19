// value_forms.h: parsing and formatting of the stored value forms, the same in both builds.
//
// The programs parse with the C library's scanf conversions ("%x", "%lu", "%d"), whose
// handling of odd text and of overflow differs between C libraries and with the width of
// `long`. These functions fix one behaviour on fixed-width types for every build.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lt::settings {

// A hex byte as the "%x" conversion reads it: optional leading blanks (space, tab, CR, LF,
// VT, FF), an optional "0x" or "0X", then hexadecimal digits of either case, up to the
// first other character; the low eight bits of the number are kept (so "1ff" gives 0xff
// and "123" 0x23). Text with no hexadecimal digit where the number should start (empty,
// "G1", "-1", "0xg" after the prefix) gives 0, as a value that does not parse counts 0.
uint8_t parseHexByte(std::string_view text);

// A count as the "%lu" conversion reads it into an unsigned 32-bit number: optional leading
// blanks, an optional "+", then decimal digits up to the first other character. A number
// above 4294967295 gives 4294967295. No digit (empty, "abc", "-3") gives 0.
uint32_t parseCount(std::string_view text);

// A decimal number as the "%d" conversion reads it into a 32-bit int: optional leading
// blanks, an optional sign, then decimal digits up to the first other character. Numbers
// beyond the int range give INT32_MAX or INT32_MIN. No digit gives 0.
int32_t parseDecimal(std::string_view text);

// "%02x": two lower-case digits.
std::string formatHexByte(uint8_t value);
// "%lu" of an unsigned 32-bit number.
std::string formatCount(uint32_t value);
// "%d".
std::string formatDecimal(int32_t value);

// A free text value without the spaces and tabs around it (a station name, a connection
// string), as typed into a box or into the file by hand.
std::string trimBlanks(std::string_view text);

}  // namespace lt::settings
