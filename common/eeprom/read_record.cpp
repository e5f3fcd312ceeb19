// read_record.cpp: decoding (and, for the simulated driver, encoding) the read-back record.
#include "common/eeprom/read_record.h"

#include "common/adapter/byte_order.h"

namespace lt::eeprom {
namespace {

using adapter::getU16;
using adapter::getU32;
using adapter::putU16;
using adapter::putU32;

constexpr std::size_t kVendorIdAt = 0;
constexpr std::size_t kProductIdAt = 2;
constexpr std::size_t kAddressAt = 4;
constexpr std::size_t kManufacturerAt = 10;
constexpr std::size_t kProductAt = 54;
constexpr std::size_t kLanguageIdAt = 98;
constexpr std::size_t kSerialAt = 100;
constexpr std::size_t kRevisionAt = 118;

char unitToCharacter(uint16_t unit) {
    if (unit < 0x100 || unit >= 0xFF80) return static_cast<char>(uint8_t(unit));
    return '?';
}

std::string decodeString(const uint8_t* at) {
    std::string text;
    for (std::size_t i = 0; i < kRecordStringUnits; ++i) {
        const uint16_t unit = getU16(at + 2 * i);
        if (unit == 0) break;
        text.push_back(unitToCharacter(unit));
    }
    return text;
}

}  // namespace

EepromReadRecord decodeReadRecord(std::span<const uint8_t, kReadRecordSize> b) {
    EepromReadRecord r;
    r.revision = getU32(&b[kRevisionAt]);
    if (r.hasAddress()) {
        for (std::size_t i = 0; i < 6; ++i) r.macAddress[i] = b[kAddressAt + i];
    }
    if (r.hasDescriptors()) {
        r.vendorId = getU16(&b[kVendorIdAt]);
        r.productId = getU16(&b[kProductIdAt]);
        r.manufacturer = decodeString(&b[kManufacturerAt]);
        r.product = decodeString(&b[kProductAt]);
        r.languageId = getU16(&b[kLanguageIdAt]);
        for (std::size_t i = 0; i < 6; ++i) r.serialNumber[i] = b[kSerialAt + i];
    }
    return r;
}

MacAddress serialToAddress(const SerialNumber& s) { return {s[1], s[0], s[3], s[2], s[5], s[4]}; }

SerialNumber addressToSerial(const MacAddress& m) { return {m[1], m[0], m[3], m[2], m[5], m[4]}; }

std::array<uint8_t, kReadRecordSize> encodeReadRecord(const ReadRecordFields& f) {
    std::array<uint8_t, kReadRecordSize> b{};
    putU16(&b[kVendorIdAt], f.vendorId);
    putU16(&b[kProductIdAt], f.productId);
    for (std::size_t i = 0; i < 6; ++i) b[kAddressAt + i] = f.macAddress[i];
    for (std::size_t i = 0; i < kRecordStringUnits; ++i) {
        putU16(&b[kManufacturerAt + 2 * i], f.manufacturer[i]);
        putU16(&b[kProductAt + 2 * i], f.product[i]);
    }
    putU16(&b[kLanguageIdAt], f.languageId);
    for (std::size_t i = 0; i < 6; ++i) b[kSerialAt + i] = f.serialNumber[i];
    putU32(&b[kRevisionAt], f.revision);
    return b;
}

}  // namespace lt::eeprom
