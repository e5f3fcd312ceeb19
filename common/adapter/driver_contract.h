// driver_contract.h: what the programs and the driver (real or simulated) agree on beyond the request layouts.
//
// The byte layouts stand in requests.h; this header holds the values inside them that
// both sides must read alike: the one driver version the programs accept, the statuses
// of the programming reply, the chip revision codes and the most adapters a request can
// number. The station, the tester and the bench all take them from here.
#pragma once

#include <cstdint>

namespace lt::adapter {

// ---- IOCTL_GET_DRIVER_VERSION: the two words of the only version the programs work with.
inline constexpr uint16_t kDriverVersionWord0 = 0;
inline constexpr uint16_t kDriverVersionWord1 = 14;

// True for the supported version's words; any other reply is a wrong driver.
constexpr bool isSupportedDriverVersion(uint16_t word0, uint16_t word1) {
    return word0 == kDriverVersionWord0 && word1 == kDriverVersionWord1;
}

// ---- IOCTL_PROGRAM_EEPROM reply status (its u16 at offset 10). The reply carries the
// value as the driver wrote it, so the field stays a number; any value not named here
// means programmed.
// Programmed; the string descriptors of the later revision's adapters are to be verified.
inline constexpr uint16_t kStatusVerifyDescriptors = 1;
// An adapter already holds an address of the range; not programmed unless the overwrite flag was 1.
inline constexpr uint16_t kStatusConflict = 2;
// Programmed, nothing to verify (the simulated driver's answer when no adapter carries descriptors).
inline constexpr uint16_t kStatusProgrammed = 3;
// The number of adapters found differs from the lot's (device count minus count so far).
inline constexpr uint16_t kStatusCountMismatch = 4;
// The address range is invalid.
inline constexpr uint16_t kStatusInvalidRange = 5;

// ---- Chip revision codes: the answer of IOCTL_GET_CHIP_REVISION and the revision code of
// an EepromReadRecord.
inline constexpr uint32_t kRevisionWithDescriptors = 0x200;  // the later controller: address and descriptors
inline constexpr uint32_t kRevisionAddressOnly = 0x100;      // the earlier one: the address only

// ---- The most adapters the driver can number: the per-adapter requests carry a 16-bit
// device number. A larger count is no count of adapters.
inline constexpr uint32_t kMaxDevices = 0xFFFF;

}  // namespace lt::adapter
