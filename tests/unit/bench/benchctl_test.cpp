// benchctl_test.cpp: benchctl's commands, its show output and its refusals that leave the bench unchanged.
#include "bench/bench_control.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/support/test_support.h"

using namespace lt::bench;

namespace {

struct Benchctl : ::testing::Test {
    lt::test::TempDir dir;
    std::string path = dir.file("bench.txt");
    std::string out, err;

    int run(std::vector<std::string> args) {
        args.insert(args.begin(), path);
        std::ostringstream o, e;
        const int status = runBenchctl(args, o, e);
        out = o.str();
        err = e.str();
        return status;
    }
    std::string fileText() const {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> showLines() {
        EXPECT_EQ(run({"show"}), 0) << err;
        std::vector<std::string> lines;
        std::istringstream in(out);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
};

const std::string kFresh =
    " revision=0x200 mac=ff-ff-ff-ff-ff-ff serial=ff-ff-ff-ff-ff-ff vid=ffff pid=ffff lang=ffff usb=8207:6514 "
    "manufacturer=\"?????????????????????\" product=\"?????????????????????\"";

}  // namespace

TEST_F(Benchctl, createPlugAndUnplugNumberTheAdaptersInBenchOrder) {
    ASSERT_EQ(run({"create", "2"}), 0) << err;
    ASSERT_EQ(run({"plug", "2", "revision=0x100"}), 0) << err;
    ASSERT_EQ(run({"set", "1", "mac=00-00-00-00-00-01"}), 0) << err;
    ASSERT_EQ(run({"set", "2", "mac=00-00-00-00-00-02"}), 0) << err;
    auto lines = showLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[2], "3 revision=0x100 mac=ff-ff-ff-ff-ff-ff serial=ff-ff-ff-ff-ff-ff vid=ffff pid=ffff lang=ffff "
                        "usb=8207:6514 manufacturer=\"?????????????????????\" product=\"?????????????????????\"");

    ASSERT_EQ(run({"unplug", "1"}), 0) << err;  // later ones renumber
    lines = showLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].substr(0, 40), "1 revision=0x200 mac=00-00-00-00-00-02 s");
    EXPECT_EQ(lines[2].substr(0, 16), "3 revision=0x100");

    ASSERT_EQ(run({"unplug", "all"}), 0) << err;
    EXPECT_TRUE(showLines().empty());
    ASSERT_EQ(run({"create", "1"}), 0) << err;  // create starts a new bench
    lines = showLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "1" + kFresh);
}

TEST_F(Benchctl, settingsApplyToOneAdapterOrAllAndToTheDriver) {
    ASSERT_EQ(run({"create", "3"}), 0);
    ASSERT_EQ(run({"set", "all", "external=1", "corrupt=4"}), 0) << err;
    ASSERT_EQ(run({"set", "2", "register=15:0xff", "usb=0a12:00ff"}), 0) << err;
    ASSERT_EQ(run({"driver", "version=0.13", "fail=IOCTL_WRITE_MAC_REGISTER:2"}), 0) << err;
    const std::string text = fileText();
    EXPECT_NE(text.find("version=0.13"), std::string::npos);
    EXPECT_NE(text.find("fail=IOCTL_WRITE_MAC_REGISTER:2"), std::string::npos);
    EXPECT_NE(text.find("register=15:0xff"), std::string::npos);
    std::size_t plugs = 0;
    for (std::size_t at = text.find("external=1"); at != std::string::npos; at = text.find("external=1", at + 1)) ++plugs;
    EXPECT_EQ(plugs, 3u);
    EXPECT_NE(showLines()[1].find("usb=0a12:00ff"), std::string::npos);
}

TEST_F(Benchctl, refusalsExitWithStatusTwoAndLeaveTheBenchUnchanged) {
    ASSERT_EQ(run({"create", "2"}), 0);
    ASSERT_EQ(run({"set", "1", "external=1"}), 0);
    const std::string before = fileText();
    const std::vector<std::vector<std::string>> refused = {
        {"set", "1", "colour=red"},
        {"set", "1", "external=1", "corrupt=x"},  // the good setting before it is not kept either
        {"set", "all", "external=1", "register=99999:1"},
        {"set", "3", "external=1"},
        {"set", "0", "external=1"},
        {"set", "1"},
        {"driver", "fail=IOCTL_NOT_A_REQUEST"},
        {"driver", "version=fourteen"},
        {"driver", "replugcount=3"},
        {"unplug", "3"},
        {"unplug", "some"},
        {"plug", "x"},
        {"plug", "65534"},
        {"plug", "1", "revision=0x300"},
        {"create", "65536"},
        {"create", "-1"},
        {"shake"},
        {"show", "1"},
    };
    for (const auto& args : refused) {
        std::string joined;
        for (const auto& a : args) joined += a + " ";
        EXPECT_EQ(run(args), kBenchctlUsage) << joined;
        EXPECT_FALSE(err.empty()) << joined;
        EXPECT_EQ(fileText(), before) << joined;
    }
}

TEST_F(Benchctl, aMissingOrDamagedBenchIsAClearErrorNotACrash) {
    EXPECT_EQ(run({"show"}), kBenchctlFileError);
    EXPECT_NE(err.find("cannot read"), std::string::npos) << err;
    std::ofstream(path, std::ios::binary) << "korusbmac-bench 1\ndriver version=0.14\nadapter revision=0x200\n";
    EXPECT_EQ(run({"plug", "1"}), kBenchctlFileError);
    EXPECT_NE(err.find("damaged"), std::string::npos) << err;
    EXPECT_EQ(run({"create", "1"}), 0) << "create replaces a damaged bench";
}

TEST_F(Benchctl, aCommandThatChangesNothingDoesNotRewriteTheFile) {
    ASSERT_EQ(run({"create", "1"}), 0);
    namespace fs = std::filesystem;
    const auto marked = fs::last_write_time(path) - std::chrono::hours(1);
    fs::last_write_time(path, marked);
    ASSERT_EQ(run({"set", "1", "external=0"}), 0);
    ASSERT_EQ(run({"show"}), 0);
    EXPECT_EQ(fs::last_write_time(path), marked);
}
