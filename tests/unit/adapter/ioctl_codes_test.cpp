// ioctl_codes_test.cpp: the request codes and their names.
#include "common/adapter/ioctl_codes.h"

#include <gtest/gtest.h>

using namespace lt::adapter;

TEST(IoctlCodes, namesAndCodesMapBothWays) {
    for (uint32_t function = 0xA0D; function <= 0xA1B; ++function) {
        const uint32_t code = ioctlCode(function);
        const auto name = ioctlName(code);
        if (name.empty()) continue;  // a function number without a request
        EXPECT_EQ(ioctlByName(name), code) << name;
    }
    EXPECT_EQ(ioctlName(IOCTL_PROGRAM_EEPROM), "IOCTL_PROGRAM_EEPROM");
    EXPECT_EQ(ioctlByName("IOCTL_NOT_A_REQUEST"), 0u);
}
