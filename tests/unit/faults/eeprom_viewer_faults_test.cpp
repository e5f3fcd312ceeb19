// eeprom_viewer_faults_test.cpp: EthTester's EEPROM viewer with each driver request, and each open of the control device, failing or answering short.
#include "ethtester/eeprom_details_dialog.h"

#include <gtest/gtest.h>

#include "bench/bench_device.h"
#include "common/adapter/ioctl_codes.h"
#include "resources/ethtester_ids.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/rc_file.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/unit/faults/faulty_device.h"

using namespace lt;
using lt::test::FaultyDevice;

namespace {

constexpr std::string_view kNoDevice = "No Device Found For Showing EEPROM Details";
constexpr std::string_view kUnreadable = "Unable To Read EEPROM Details For This Device";

// Two adapters: the first of the later revision (7 detail rows), the second of the
// earlier one (1 row); each block ends with a blank row. Requests in a clean viewing:
// 1 the count, 2 adapter 1's record, 3 adapter 2's. Opens: 1 for the count, 2 for the reads.
struct ViewerCase {
    const char* name;
    FaultyDevice::Fault fault;
    uint32_t faultAt;
    uint32_t openFailAt;
    bool noDeviceMessage;               // the message, then the dialog ends
    std::vector<std::string> firstCells;  // column 1 of every row, in order
    std::vector<std::string> unreadable;  // the adapter numbers shown as unreadable
};

const std::vector<std::string> kFirst = {"1", " ", " ", " ", " ", " ", " ", " "};
const std::vector<std::string> kSecond = {"2", " "};
std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const ViewerCase kCases[] = {
    {"clean", FaultyDevice::Fault::none, 0, 0, false, join(kFirst, kSecond), {}},
    {"count fails", FaultyDevice::Fault::fail, 1, 0, true, {}, {}},
    {"first read fails", FaultyDevice::Fault::fail, 2, 0, false, join({"1", " "}, kSecond), {"1"}},
    {"second read fails", FaultyDevice::Fault::fail, 3, 0, false, join(kFirst, {"2", " "}), {"2"}},
    {"count answers short", FaultyDevice::Fault::answerShort, 1, 0, true, {}, {}},
    // A record left zero has no valid revision: only its blank row.
    {"first read answers short", FaultyDevice::Fault::answerShort, 2, 0, false, join({" "}, kSecond), {}},
    {"second read answers short", FaultyDevice::Fault::answerShort, 3, 0, false, join(kFirst, {" "}), {}},
    {"count open refused", FaultyDevice::Fault::none, 0, 1, true, {}, {}},
    // The list stays empty and the dialog open, without a message.
    {"read open refused", FaultyDevice::Fault::none, 0, 2, false, {}, {}},
};

}  // namespace

TEST(EepromViewerFaults, eachFailingOrShortRequestAndRefusedOpenShowsItsOutcomeAndReleasesEveryHandle) {
    const test::RcFile& rc = test::programResources("ethtester.rc");
    for (const ViewerCase& c : kCases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const std::string benchPath = dir.file("bench.txt");
        ASSERT_TRUE(test::benchctl(benchPath, {"create", "2"}));
        ASSERT_TRUE(test::benchctl(benchPath, {"set", "2", "revision=0x100"}));
        bench::BenchDevice benchDevice(benchPath);
        FaultyDevice device(benchDevice);
        device.fault = c.fault;
        device.faultAt = c.faultAt;
        device.openFailAt = c.openFailAt;

        test::FakeDialog view(rc, IDD_EEPROM_DETAILS);
        ethtester::EepromDetailsDialog viewer(device);
        view.open(viewer);

        EXPECT_EQ(device.openHandles(), 0);
        if (c.faultAt != 0) {
            EXPECT_TRUE(device.faultHit);
        }
        EXPECT_EQ(view.ended(), c.noDeviceMessage);
        if (c.noDeviceMessage) {
            ASSERT_EQ(view.messages().size(), 1u);
            EXPECT_EQ(view.messages()[0].text, kNoDevice);
            EXPECT_EQ(view.messages()[0].caption, "Error");
        } else {
            EXPECT_TRUE(view.messages().empty());
        }
        const auto& rows = view.control(IDC_EEPROM_LIST).rows;
        std::vector<std::string> first;
        std::vector<std::string> unreadable;
        for (const auto& row : rows) {
            first.push_back(row.at(0));
            if (row.at(1) == kUnreadable) unreadable.push_back(row.at(0));
        }
        EXPECT_EQ(first, c.firstCells);
        EXPECT_EQ(unreadable, c.unreadable);
    }
}
