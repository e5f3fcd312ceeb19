// package_check_test.cpp: where the driver package lies and whether its INF knows the station's VID/PID pair, on real INF files.
#include "progstation/package_check.h"

#include <gtest/gtest.h>

#include <fstream>

#include "portable/profile_files_portable.h"
#include "tests/support/test_support.h"

using namespace lt::progstation;

TEST(PackagePaths, lieInUsbMacAtTheRootOfTheWindowsDrive) {
    const PackagePaths p = packagePaths("D:\\WINNT");
    EXPECT_EQ(p.driveRoot, "D:\\");
    EXPECT_EQ(p.packageFolder, "D:\\UsbMac");
    EXPECT_EQ(p.inf, "D:\\UsbMac\\netkoru.inf");
    EXPECT_EQ(deviceIdText("8207", "6514"), "USB\\VID_8207&PID_6514");
    EXPECT_EQ(deviceDescriptionKey("8207", "6514"), "%USB\\VID_8207&PID_6514.DeviceDesc%");
}

TEST(PackageCheck, answersForTheCompanyEntryOfTheCurrentPair) {
    lt::test::TempDir dir;
    lt::settings::PortableProfileFiles profiles;
    const std::string inf = dir.file("netkoru.inf");
    struct Case { std::string value, vid, pid; bool known; const char* why; };
    const Case cases[] = {
        {"KorUsbEth, USB\\VID_8207&PID_6514", "8207", "6514", true, "the entry names the pair after the install name"},
        {"KorUsbEth, USB\\VID_8207&PID_6514", "8207", "6515", false, "another PID reads another, missing key"},
        {"USB\\VID_8207&PID_6514", "8207", "6514", true, "the pair at position 0"},
        // The profile API drops blanks around a value; in quotes a trailing blank stays.
        {"\"KorUsbEth, USB\\VID_8207&PID_6514 \"", "8207", "6514", false, "a trailing blank after the pair"},
        {"KorUsbEth, USB\\VID_8207&PID_6514x", "8207", "6514", false, "anything after the pair"},
        {"KorUsbEth, USB\\VID_ABCD&PID_6514", "abcd", "6514", false, "the pair in another letter case"},
    };
    for (const Case& c : cases) {
        std::ofstream(inf, std::ios::binary | std::ios::trunc)
            << "[Version]\r\nSignature=\"$Windows NT$\"\r\n[COMPANY]\r\n%USB\\VID_" << (c.vid == "abcd" ? "abcd" : "8207")
            << "&PID_6514.DeviceDesc%=" << c.value << "\r\n";
        EXPECT_EQ(packageKnowsIds(profiles, inf, c.vid, c.pid), c.known) << c.why;
    }
    EXPECT_FALSE(packageKnowsIds(profiles, dir.file("missing.inf"), "8207", "6514")) << "no INF file";
}

TEST(PackageCheck, theStandInPackageKnowsTheDefaultPair) {
    lt::settings::PortableProfileFiles profiles;
    const std::string inf = (lt::test::sourceDir() / "packaging" / "usbmac" / "netkoru.inf").string();
    EXPECT_TRUE(packageKnowsIds(profiles, inf, "8207", "6514"));
    EXPECT_FALSE(packageKnowsIds(profiles, inf, "1234", "6514"));
}
