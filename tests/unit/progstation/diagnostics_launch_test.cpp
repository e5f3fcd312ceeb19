// diagnostics_launch_test.cpp: where EthTester is looked for and in which order.
#include "progstation/diagnostics_launch.h"

#include <gtest/gtest.h>

#include "tests/fakes/fake_password_files.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt::progstation;
using lt::test::FakeLauncher;
using lt::test::FakeSystemPaths;

TEST(DiagnosticsLaunch, looksInTheCurrentDirectoryThenInTheWindowsDrivesPackageFolder) {
    FakeSystemPaths paths;
    paths.current = std::string("C:\\Program Files\\Line");
    paths.windows = std::string("D:\\WINDOWS");
    FakeLauncher launcher;
    int notFound = 0;
    launchDiagnostics(paths, launcher, [&] { ++notFound; });
    EXPECT_EQ(launcher.attempts,
              (std::vector<std::string>{"C:\\Program Files\\Line\\EthTester.exe", "D:\\UsbMac\\EthTester.exe"}));
    EXPECT_EQ(notFound, 1);

    launcher.attempts.clear();
    launcher.present = {"C:\\Program Files\\Line\\EthTester.exe"};
    launchDiagnostics(paths, launcher, [&] { ++notFound; });
    EXPECT_EQ(launcher.attempts.size(), 1u);
    EXPECT_EQ(notFound, 1);
}

TEST(DiagnosticsLaunch, aPlaceThatCannotBeHadIsLeftOut) {
    FakeSystemPaths paths;
    paths.current.reset();
    paths.windows.reset();
    FakeLauncher launcher;
    int notFound = 0;
    launchDiagnostics(paths, launcher, [&] { ++notFound; });
    EXPECT_TRUE(launcher.attempts.empty());
    EXPECT_EQ(notFound, 1);

    paths.current = std::string(1100, 'x');  // longer than the command line's 1025 characters
    launchDiagnostics(paths, launcher, [&] { ++notFound; });
    EXPECT_TRUE(launcher.attempts.empty());
}
