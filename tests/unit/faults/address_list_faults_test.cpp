// address_list_faults_test.cpp: the station's address list with each driver request, and each open of the control device, failing or answering short.
#include <gtest/gtest.h>

#include "progstation/address_list.h"
#include "tests/unit/faults/faulty_device.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using ui::Icon;

namespace {

// Four adapters. Requests when nothing goes wrong: 1 the driver version (on open 1), 2 the
// adapter count and 3 the addresses (both on open 2).
struct ListCase {
    const char* name;
    FaultyDevice::Fault fault;
    uint32_t faultAt;
    uint32_t openFailAt;
    uint32_t message;  // 0: none
    Icon icon;
    bool closes;
    int rows;          // -1: not examined
};

const ListCase kCases[] = {
    {"clean", FaultyDevice::Fault::none, 0, 0, 0, Icon::None, false, 4},
    {"version fails", FaultyDevice::Fault::fail, 1, 0, IDS_CHECK_DEVICE, Icon::Stop, true, 0},
    {"version answers short", FaultyDevice::Fault::answerShort, 1, 0, IDS_CHECK_DEVICE, Icon::Stop, true, 0},
    {"count fails", FaultyDevice::Fault::fail, 2, 0, IDS_CHECK_DEVICE, Icon::Information, false, 0},
    {"count answers short", FaultyDevice::Fault::answerShort, 2, 0, IDS_CHECK_DEVICE, Icon::Information, false, 0},
    {"addresses fail", FaultyDevice::Fault::fail, 3, 0, IDS_ADDRESS_READ_ERROR, Icon::Stop, false, 0},
    // The port carries no reply length, so addresses that never arrive cannot be told from
    // zero addresses; only the handles are checked here.
    {"addresses answer short", FaultyDevice::Fault::answerShort, 3, 0, 0, Icon::None, false, -1},
    {"check open refused", FaultyDevice::Fault::none, 0, 1, IDS_CHECK_DEVICE, Icon::Stop, true, 0},
    {"list open refused", FaultyDevice::Fault::none, 0, 2, IDS_CHECK_DEVICE, Icon::Stop, false, 0},
};

struct AddressListFaults : StationTest {};

}  // namespace

TEST_F(AddressListFaults, theAddressListShowsEachFailingOrShortRequestAndRefusedOpenAndReleasesEveryHandle) {
    for (const ListCase& c : kCases) {
        SCOPED_TRACE(c.name);
        FaultyDevice faulty(device);
        faulty.fault = c.fault;
        faulty.faultAt = c.faultAt;
        faulty.openFailAt = c.openFailAt;
        progstation::AddressListDialog logic(faulty, strings, false);
        FakeDialog list(rc, IDD_ADDRESS_LIST);
        list.open(logic);

        EXPECT_EQ(faulty.openHandles(), 0);
        EXPECT_EQ(device.live, 0);
        EXPECT_EQ(list.ended(), c.closes);
        if (c.message == 0) {
            if (c.rows >= 0) {
                EXPECT_TRUE(list.messages().empty());
            }
        } else {
            ASSERT_EQ(list.messages().size(), 1u);
            EXPECT_EQ(list.messages()[0].text, text(c.message));
            EXPECT_EQ(list.messages()[0].icon, c.icon);
        }
        if (c.rows >= 0) {
            EXPECT_EQ(int(list.control(IDC_ADDRESS_LIST).rows.size()), c.rows);
        }
    }
}
