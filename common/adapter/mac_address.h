// mac_address.h: the MAC address type and the address step, the one address arithmetic of the system.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lt::adapter {

// Six bytes, byte 1 first (the leftmost as written, the most significant).
// Bytes 1-3 are the vendor part, bytes 4-6 the serial part.
using MacAddress = std::array<uint8_t, 6>;

// One address step: byte 6 plus one, the carry running into byte 5 and then byte 4;
// a carry out of byte 4 is dropped, bytes 1-3 never change.
MacAddress stepAddress(const MacAddress& address);
// k single steps.
MacAddress stepAddress(const MacAddress& address, uint32_t steps);

// True when bytes 1-3 of both addresses are equal.
bool sameVendorPart(const MacAddress& a, const MacAddress& b);

// "00-1b-4e-7a-01-00": two lower-case digits per byte, joined by dashes.
std::string formatLower(const MacAddress& address);
// "00-1B-4E-7A-01-00": two upper-case digits per byte, joined by dashes.
std::string formatUpper(const MacAddress& address);

}  // namespace lt::adapter
