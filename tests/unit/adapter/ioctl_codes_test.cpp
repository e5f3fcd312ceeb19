// ioctl_codes_test.cpp: the request codes and their names.
#include "common/adapter/ioctl_codes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace lt::adapter;

TEST(IoctlCodes, namesAndCodesMapBothWays) {
    struct Request { uint32_t code; const char* name; };
    const Request requests[] = {
        {0x222834, "IOCTL_READ_PHY_REGISTER"},   {0x222838, "IOCTL_WRITE_PHY_REGISTER"},
        {0x22283c, "IOCTL_READ_MAC_REGISTER"},   {0x222840, "IOCTL_WRITE_MAC_REGISTER"},
        {0x222844, "IOCTL_GET_MAC_ADDRESSES"},   {0x222848, "IOCTL_GET_DEVICE_COUNT"},
        {0x22284c, "IOCTL_SEND_RECEIVE_PACKET"}, {0x222850, "IOCTL_SET_LOOPBACK_MODE"},
        {0x222854, "IOCTL_GET_DRIVER_VERSION"},  {0x22285c, "IOCTL_GET_PHY_MODE"},
        {0x222860, "IOCTL_GET_CHIP_REVISION"},   {0x222864, "IOCTL_READ_EEPROM"},
        {0x222868, "IOCTL_PROGRAM_EEPROM"},      {0x22286c, "IOCTL_GET_REPLUG_COUNT"},
    };
    for (const Request& r : requests) {
        EXPECT_EQ(ioctlName(r.code), r.name) << std::hex << r.code;
        EXPECT_EQ(ioctlByName(r.name), r.code) << r.name;
    }
    // Every function number of the driver's range that has a name is one of these requests,
    // and every one of them is found there.
    std::vector<std::string> named;
    for (uint32_t function = 0xA0D; function <= 0xA1B; ++function) {
        const auto name = ioctlName(ioctlCode(function));
        if (name.empty()) continue;  // a function number without a request
        named.emplace_back(name);
        EXPECT_EQ(ioctlByName(name), ioctlCode(function)) << name;
    }
    std::vector<std::string> expected;
    for (const Request& r : requests) expected.emplace_back(r.name);
    EXPECT_EQ(named, expected);
    EXPECT_EQ(ioctlName(0x222858), "") << "function 0xA16 has no request";
    EXPECT_EQ(ioctlByName("IOCTL_NOT_A_REQUEST"), 0u);
    EXPECT_EQ(ioctlByName(""), 0u);
}
