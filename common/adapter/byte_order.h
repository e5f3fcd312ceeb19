// byte_order.h: little-endian fields packed byte by byte into and out of byte buffers.
#pragma once

#include <cstdint>

namespace lt::adapter {

inline void putU16(uint8_t* at, uint16_t value) {
    at[0] = uint8_t(value);
    at[1] = uint8_t(value >> 8);
}

inline void putU32(uint8_t* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(value >> (8 * i));
}

inline void putU64(uint8_t* at, uint64_t value) {
    for (int i = 0; i < 8; ++i) at[i] = uint8_t(value >> (8 * i));
}

inline uint16_t getU16(const uint8_t* at) { return uint16_t(at[0] | (at[1] << 8)); }

inline uint32_t getU32(const uint8_t* at) {
    return uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) | (uint32_t(at[3]) << 24);
}

inline uint64_t getU64(const uint8_t* at) {
    uint64_t value = 0;
    for (int i = 7; i >= 0; --i) value = (value << 8) | at[i];
    return value;
}

}  // namespace lt::adapter
