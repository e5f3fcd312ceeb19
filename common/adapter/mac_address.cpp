// mac_address.cpp: the address step and address formatting.
#include "common/adapter/mac_address.h"

#include <cstdio>

namespace lt::adapter {

MacAddress stepAddress(const MacAddress& address) {
    MacAddress next = address;
    for (int i = 5; i >= 3; --i) {
        if (++next[i] != 0) break;  // no wrap: the carry stops here
    }
    return next;
}

MacAddress stepAddress(const MacAddress& address, uint32_t steps) {
    // The serial part is 24 bits and wraps without touching the vendor part, so
    // k steps are k modulo 2^24 single steps; adding it at once gives the same result.
    uint32_t serial = (uint32_t(address[3]) << 16) | (uint32_t(address[4]) << 8) | address[5];
    serial = (serial + steps) & 0xFFFFFFu;
    MacAddress next = address;
    next[3] = uint8_t(serial >> 16);
    next[4] = uint8_t(serial >> 8);
    next[5] = uint8_t(serial);
    return next;
}

bool sameVendorPart(const MacAddress& a, const MacAddress& b) {
    return a[0] == b[0] && a[1] == b[1] && a[2] == b[2];
}

namespace {
std::string format(const MacAddress& a, const char* pattern) {
    char text[18];
    std::snprintf(text, sizeof text, pattern, a[0], a[1], a[2], a[3], a[4], a[5]);
    return text;
}
}  // namespace

std::string formatLower(const MacAddress& address) {
    return format(address, "%02x-%02x-%02x-%02x-%02x-%02x");
}

std::string formatUpper(const MacAddress& address) {
    return format(address, "%02X-%02X-%02X-%02X-%02X-%02X");
}

}  // namespace lt::adapter
