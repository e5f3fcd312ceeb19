// ioctl_codes.h: the request codes of the adapter driver's control device, under their names.
#pragma once

#include <cstdint>
#include <string_view>

namespace lt::adapter {

// Device type 0x22, METHOD_BUFFERED, FILE_ANY_ACCESS, function numbers 0xA0D to 0xA1B.
constexpr uint32_t ioctlCode(uint32_t function) { return (0x22u << 16) | (function << 2); }

constexpr uint32_t IOCTL_READ_PHY_REGISTER = 0x222834;
constexpr uint32_t IOCTL_WRITE_PHY_REGISTER = 0x222838;
constexpr uint32_t IOCTL_READ_MAC_REGISTER = 0x22283c;
constexpr uint32_t IOCTL_WRITE_MAC_REGISTER = 0x222840;
constexpr uint32_t IOCTL_GET_MAC_ADDRESSES = 0x222844;
constexpr uint32_t IOCTL_GET_DEVICE_COUNT = 0x222848;
constexpr uint32_t IOCTL_SEND_RECEIVE_PACKET = 0x22284c;
constexpr uint32_t IOCTL_SET_LOOPBACK_MODE = 0x222850;
constexpr uint32_t IOCTL_GET_DRIVER_VERSION = 0x222854;
constexpr uint32_t IOCTL_GET_PHY_MODE = 0x22285c;
constexpr uint32_t IOCTL_GET_CHIP_REVISION = 0x222860;
constexpr uint32_t IOCTL_READ_EEPROM = 0x222864;
constexpr uint32_t IOCTL_PROGRAM_EEPROM = 0x222868;
constexpr uint32_t IOCTL_GET_REPLUG_COUNT = 0x22286c;

static_assert(ioctlCode(0xA0D) == IOCTL_READ_PHY_REGISTER);
static_assert(ioctlCode(0xA1B) == IOCTL_GET_REPLUG_COUNT);

// The request's name as written in this file ("IOCTL_GET_DEVICE_COUNT"), or "" for an unknown code.
std::string_view ioctlName(uint32_t code);
// The code for a name, or 0 when the name is unknown.
uint32_t ioctlByName(std::string_view name);

}  // namespace lt::adapter
