// ioctl_codes.cpp: names of the driver requests, for logs, faults and the bench.
#include "common/adapter/ioctl_codes.h"

#include <array>
#include <utility>

namespace lt::adapter {
namespace {

constexpr std::array<std::pair<uint32_t, std::string_view>, 14> kNames{{
    {IOCTL_READ_PHY_REGISTER, "IOCTL_READ_PHY_REGISTER"},
    {IOCTL_WRITE_PHY_REGISTER, "IOCTL_WRITE_PHY_REGISTER"},
    {IOCTL_READ_MAC_REGISTER, "IOCTL_READ_MAC_REGISTER"},
    {IOCTL_WRITE_MAC_REGISTER, "IOCTL_WRITE_MAC_REGISTER"},
    {IOCTL_GET_MAC_ADDRESSES, "IOCTL_GET_MAC_ADDRESSES"},
    {IOCTL_GET_DEVICE_COUNT, "IOCTL_GET_DEVICE_COUNT"},
    {IOCTL_SEND_RECEIVE_PACKET, "IOCTL_SEND_RECEIVE_PACKET"},
    {IOCTL_SET_LOOPBACK_MODE, "IOCTL_SET_LOOPBACK_MODE"},
    {IOCTL_GET_DRIVER_VERSION, "IOCTL_GET_DRIVER_VERSION"},
    {IOCTL_GET_PHY_MODE, "IOCTL_GET_PHY_MODE"},
    {IOCTL_GET_CHIP_REVISION, "IOCTL_GET_CHIP_REVISION"},
    {IOCTL_READ_EEPROM, "IOCTL_READ_EEPROM"},
    {IOCTL_PROGRAM_EEPROM, "IOCTL_PROGRAM_EEPROM"},
    {IOCTL_GET_REPLUG_COUNT, "IOCTL_GET_REPLUG_COUNT"},
}};

}  // namespace

std::string_view ioctlName(uint32_t code) {
    for (const auto& [c, name] : kNames)
        if (c == code) return name;
    return {};
}

uint32_t ioctlByName(std::string_view name) {
    for (const auto& [c, n] : kNames)
        if (n == name) return c;
    return 0;
}

}  // namespace lt::adapter
