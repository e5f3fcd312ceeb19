// diagnostic_log_test.cpp: the log file's exact bytes, its fresh start per run, and logging off.
#include "ethtester/diagnostic_log.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "portable/log_files_portable.h"
#include "tests/support/test_support.h"

using namespace lt::ethtester;

namespace {

struct FixedClock : Clock {
    LocalTime now() override { return {2026, 12, 10, 9, 5, 3}; }
};

#ifdef _WIN32
constexpr const char* kEol = "\r\n";  // text mode
#else
constexpr const char* kEol = "\n";
#endif

std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string lines(std::initializer_list<const char*> ls) {
    std::string out;
    for (const char* l : ls) out += std::string(l) + kEol;
    return out;
}

struct DiagnosticLogTest : ::testing::Test {
    lt::test::TempDir dir;
    FixedClock clock;
    PortableLogFiles files;
    DiagnosticLog log{clock, files};
    std::string path = dir.file("USBEthDiagnostics.log");
};

}  // namespace

TEST_F(DiagnosticLogTest, aPassedRegisterOnlyRunWritesHeaderEntriesAndEndLine) {
    log.open("USB-Ethernet Diagnostics", path, true, true);
    log.writeLine("Register test selected.");
    log.writeLine("Register test is in progres...");
    log.writeLine("All the connected devices passed the Register test !!");
    log.close();
    EXPECT_EQ(readAll(path), lines({"-------------------", "Module_Name:USB-Ethernet Diagnostics",
                                    "Date:2026-12-10", "Time:09:05:03", "-------------------",
                                    "--------- Start of USB-Ethernet Diagnostics---------",
                                    "Register test selected.", "Register test is in progres...",
                                    "All the connected devices passed the Register test !!",
                                    "--------- End of USB-Ethernet Diagnostics---------"}));
}

TEST_F(DiagnosticLogTest, eachOpeningStartsTheFileAfreshWithTheLastRunOnly) {
    log.open("USB-Ethernet Diagnostics", path, true, true);
    log.writeLine("first run");
    log.close();
    log.open("USB-Ethernet Diagnostics", path, true, true);
    log.writeLine("second run");
    log.close();
    const std::string text = readAll(path);
    EXPECT_EQ(text.find("first run"), std::string::npos);
    EXPECT_NE(text.find("second run"), std::string::npos);
    log.writeLine("after close");
    log.close();
    EXPECT_EQ(readAll(path), text);  // closed: writes and closes do nothing
}

TEST_F(DiagnosticLogTest, loggingOffCreatesNothingAndLeavesAnOldFileUntouched) {
    log.open("USB-Ethernet Diagnostics", path, true, false);
    log.writeLine("dropped");
    log.close();
    EXPECT_FALSE(std::filesystem::exists(path));
    { std::ofstream(path) << "old log"; }
    log.open("USB-Ethernet Diagnostics", path, true, false);
    log.close();
    EXPECT_EQ(readAll(path), "old log");
}

TEST_F(DiagnosticLogTest, aPathThatDoesNotFitOrCannotBeOpenedTurnsLoggingOffSilently) {
    const std::string tooLong = dir.path().string() + "/" + std::string(260, 'd') + "/USBEthDiagnostics.log";
    log.open("USB-Ethernet Diagnostics", tooLong, true, true);
    EXPECT_FALSE(log.isOpen());
    log.writeLine("dropped");
    log.close();
    log.open("USB-Ethernet Diagnostics", dir.file("missing-folder/USBEthDiagnostics.log"), true, true);
    EXPECT_FALSE(log.isOpen());
}
