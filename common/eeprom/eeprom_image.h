// eeprom_image.h: the EEPROM word map and the write image that the programming request carries.
//
// The image is 15 records of 9 bytes: the word address of the record's first word,
// then four EEPROM words, low byte first. The builder fills offsets 0-119 from the
// descriptor settings with placeholder addresses; Place MAC address puts the range's
// start address over both address copies and sets the last record's address byte.
// Nothing is thrown.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "common/adapter/mac_address.h"
#include "common/adapter/requests.h"

namespace lt::eeprom {

using adapter::kImageSize;
using adapter::MacAddress;

// Characters of each descriptor string in the EEPROM (21 units, no length, no terminator).
constexpr std::size_t kStringCharacters = 21;

// EEPROM word addresses.
constexpr std::size_t kEepromWords = 64;
constexpr std::size_t kMarkerWord = 0x00;
constexpr std::size_t kAddressWord = 0x01;       // three words, m0 m1, m2 m3, m4 m5
constexpr std::size_t kVendorIdWord = 0x04;
constexpr std::size_t kProductIdWord = 0x05;
constexpr std::size_t kFixedWord = 0x06;         // 0x0100
constexpr std::size_t kLanguageIdWord = 0x07;
constexpr std::size_t kManufacturerWord = 0x08;  // 21 words
constexpr std::size_t kProductWord = 0x1D;       // 21 words
constexpr std::size_t kSerialWord = 0x32;        // three words, m1 m0, m3 m2, m5 m4
constexpr uint16_t kMarker = 0x8207;

// The inputs of the image, all held as text (edited by the station's descriptor inputs,
// stored in its own settings file). The defaults are the product's own.
struct DescriptorSettings {
    std::string manufacturer = "Korvane Semiconductor";
    std::string product = "USB-MAC Controller";
    std::string vid = "8207";
    std::string pid = "6514";
    std::string languageId = "0409";
};

// The write image, zero-filled once. Build it again over the same object before each
// programming request: offsets 120-134 are never written by the builder.
struct EepromWriteImage {
    std::array<uint8_t, kImageSize> bytes{};
};

// A hexadecimal text read as a 16-bit word the way a "%x" scan reads it: leading blanks,
// an optional sign and an optional 0x prefix, then hexadecimal digits up to the first
// other character; only the low 16 bits are kept. A text with no hexadecimal digit
// (empty, "zz", "G12") gives 0.
uint16_t hexWord(std::string_view text);

// The string as the EEPROM holds it: cut to 21 characters when longer, padded with
// trailing spaces when shorter. Padding a padded string changes nothing.
void padDescriptorString(std::string& text);

// Pads the two strings of `settings` in place (the caller's copies become the padded
// ones, which the read-back verification compares with), then writes image offsets
// 0-119: marker, address placeholder, VID, PID, 0x0100, language ID, the two strings
// and the serial-number placeholder, with a record address byte after every eighth
// data byte. Always returns true.
bool buildImage(DescriptorSettings& settings, EepromWriteImage& image);

// Writes the address to offsets 3-8, the serial number (pairs exchanged) to offsets
// 113-116 and 118-119, leaves offset 117 alone and sets offset 126 to 0x38.
void placeMacAddress(std::span<uint8_t, kImageSize> image, const MacAddress& address);

// Six bytes from 12 hexadecimal digits, two per byte, first byte first ("021b4e7a0100").
// False when the text is not exactly 12 hexadecimal digits.
bool macFromHexDigits(std::string_view text, MacAddress& address);

}  // namespace lt::eeprom
