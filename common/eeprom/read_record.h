// read_record.h: the 122-byte record that IOCTL_READ_EEPROM answers for one adapter.
//
// Offsets: 0 VID, 2 PID, 4 MAC address (6 bytes), 10 manufacturer (22 UTF-16 units),
// 54 product (22 units), 98 language ID, 100 serial number as stored (6 bytes),
// 106 twelve unused bytes, 118 u32 revision code. 0x200: every field valid;
// 0x100: only the MAC address; anything else: no field. Nothing is thrown.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/adapter/mac_address.h"
#include "common/adapter/requests.h"

namespace lt::eeprom {

using adapter::kReadRecordSize;
using adapter::MacAddress;

using adapter::kRevisionAddressOnly;      // the earlier controller revision
using adapter::kRevisionWithDescriptors;  // the later one
constexpr std::size_t kRecordStringUnits = 22;

// The serial number as the EEPROM stores it: m1 m0 m3 m2 m5 m4.
using SerialNumber = std::array<uint8_t, 6>;

// The decoded record. Fields the revision code does not make valid stay zero / empty.
struct EepromReadRecord {
    uint32_t revision = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t languageId = 0;
    MacAddress macAddress{};
    std::string manufacturer;  // 8-bit text up to the first zero unit, padding kept
    std::string product;
    SerialNumber serialNumber{};

    bool hasAddress() const { return revision == kRevisionWithDescriptors || revision == kRevisionAddressOnly; }
    bool hasDescriptors() const { return revision == kRevisionWithDescriptors; }
};

// Reads each string up to its first zero unit and never past its 22 units. A unit
// becomes one 8-bit character: 0x0001-0x00FF that byte; 0xFF80-0xFFFF its low byte
// (the sign-widened form in which the image carries the characters 0x80-0xFF, so a
// programmed string reads back as it was given); any other unit '?'.
EepromReadRecord decodeReadRecord(std::span<const uint8_t, kReadRecordSize> record);

// The serial number turned back into the address: the bytes of each pair exchanged.
MacAddress serialToAddress(const SerialNumber& serial);
// The address as the EEPROM stores it in the serial-number words.
SerialNumber addressToSerial(const MacAddress& address);

// The record as a driver fills it, with the strings as raw 16-bit units.
struct ReadRecordFields {
    uint32_t revision = 0;
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t languageId = 0;
    MacAddress macAddress{};
    std::array<uint16_t, kRecordStringUnits> manufacturer{};
    std::array<uint16_t, kRecordStringUnits> product{};
    SerialNumber serialNumber{};
};
std::array<uint8_t, kReadRecordSize> encodeReadRecord(const ReadRecordFields& fields);

}  // namespace lt::eeprom
