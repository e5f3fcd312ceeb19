// read_record_fuzzer.cpp: decodes arbitrary 122-byte EEPROM read-back records and checks what the decoder promises.
#include "common/eeprom/read_record.h"

#include <cstdlib>
#include <cstring>

using namespace lt;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // A driver answers exactly one record; a shorter input is padded with zeros.
    std::array<uint8_t, eeprom::kReadRecordSize> record{};
    std::memcpy(record.data(), data, size < record.size() ? size : record.size());

    const eeprom::EepromReadRecord decoded = eeprom::decodeReadRecord(record);
    if (decoded.manufacturer.size() > eeprom::kRecordStringUnits) std::abort();
    if (decoded.product.size() > eeprom::kRecordStringUnits) std::abort();
    if (decoded.manufacturer.find('\0') != std::string::npos) std::abort();
    if (decoded.product.find('\0') != std::string::npos) std::abort();
    if (!decoded.hasAddress()) {
        // No valid field: nothing of the record may leak into the result.
        if (decoded.vendorId || decoded.productId || decoded.languageId || !decoded.manufacturer.empty() ||
            !decoded.product.empty() || decoded.macAddress != adapter::MacAddress{})
            std::abort();
    }
    if (decoded.hasAddress() && !decoded.hasDescriptors() && !decoded.manufacturer.empty()) std::abort();
    // The serial number's byte order turns back into the address and again.
    if (eeprom::addressToSerial(eeprom::serialToAddress(decoded.serialNumber)) != decoded.serialNumber)
        std::abort();
    return 0;
}
