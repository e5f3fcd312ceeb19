// address_list_test.cpp: the "Ethernet Addresses" dialog on the bench: its columns and rows, the driver check and every message of its failure table.
#include <gtest/gtest.h>

#include "progstation/address_list.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using ui::Icon;

namespace {

struct AddressListTest : StationTest {
    std::optional<FakeDialog> list;
    std::optional<progstation::AddressListDialog> logic;

    void open(bool reEnumerated = false) {
        logic.emplace(device, strings, reEnumerated);
        list.emplace(rc, IDD_ADDRESS_LIST);
        list->open(*logic);
    }
    FakeControl& rows() { return list->control(IDC_ADDRESS_LIST); }
};

}  // namespace

TEST_F(AddressListTest, threeAdaptersGiveNumberedRowsWithLowerCaseAddresses) {
    bench({"unplug", "all"});
    bench({"plug", "3"});
    bench({"set", "1", "mac=00-11-22-33-44-55"});
    bench({"set", "2", "mac=00-11-22-33-44-56"});
    bench({"set", "3", "mac=00-AB-CD-EF-44-57"});
    open();
    ASSERT_EQ(rows().columns.size(), 2u);
    EXPECT_EQ(rows().columns[0].title, "S.No");
    EXPECT_EQ(rows().columns[0].width, 45);
    EXPECT_EQ(rows().columns[1].title, "Ethernet-Address");
    EXPECT_EQ(rows().columns[1].width, 500);
    EXPECT_TRUE(rows().gridLines);
    EXPECT_EQ(rows().rows, (std::vector<std::vector<std::string>>{{"1.", "00-11-22-33-44-55"},
                                                                   {"2.", "00-11-22-33-44-56"},
                                                                   {"3.", "00-ab-cd-ef-44-57"}}));
    EXPECT_TRUE(list->messages().empty());
    EXPECT_FALSE(list->ended()) << "it stays open until OK";
    EXPECT_EQ(device.live, 0);
    list->click(ui::kIdOk);
    EXPECT_EQ(list->endCode(), ui::kIdOk);
}

TEST_F(AddressListTest, eachFailureShowsItsMessageWithItsIconAndLeavesTheListEmpty) {
    struct Case {
        std::vector<std::string> driver;  // benchctl driver settings
        bool reEnumerated;
        uint32_t message;
        Icon icon;
        bool closes;
        const char* why;
    };
    const Case cases[] = {
        {{"version=0.15"}, false, IDS_CHECK_DEVICE, Icon::Stop, true, "driver words 0 and 15"},
        {{"version=0.15"}, true, IDS_READ_AFTER_INSTALL, Icon::Exclamation, true, "re-enumerated adapters"},
        {{"absent=1"}, false, IDS_CHECK_DEVICE, Icon::Stop, true, "no driver"},
        {{"fail=IOCTL_GET_DRIVER_VERSION"}, false, IDS_CHECK_DEVICE, Icon::Stop, true, "version request fails"},
        {{"openfail=2"}, false, IDS_CHECK_DEVICE, Icon::Stop, false, "the list's handle cannot be opened"},
        {{"fail=IOCTL_GET_DEVICE_COUNT"}, false, IDS_CHECK_DEVICE, Icon::Information, false, "a failed count is none"},
        {{"fail=IOCTL_GET_MAC_ADDRESSES"}, false, IDS_ADDRESS_READ_ERROR, Icon::Stop, false, "address request fails"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        bench({"create", "3"});
        std::vector<std::string> args{"driver"};
        args.insert(args.end(), c.driver.begin(), c.driver.end());
        bench(args);
        device.requests.clear();
        open(c.reEnumerated);
        ASSERT_EQ(list->messages().size(), 1u);
        EXPECT_EQ(list->messages()[0].text, text(c.message));
        EXPECT_EQ(list->messages()[0].icon, c.icon);
        EXPECT_EQ(list->ended(), c.closes);
        if (c.closes) {
            EXPECT_EQ(list->endCode(), ui::kIdOk);
            EXPECT_EQ(device.count("IOCTL_GET_DEVICE_COUNT"), 0) << "no address is asked";
        }
        EXPECT_TRUE(rows().rows.empty());
        EXPECT_EQ(device.live, 0);
    }
}

TEST_F(AddressListTest, noAdapterIsReportedWithTheInformationIcon) {
    bench({"unplug", "all"});
    open();
    ASSERT_EQ(list->messages().size(), 1u);
    EXPECT_EQ(list->messages()[0].text, text(IDS_CHECK_DEVICE));
    EXPECT_EQ(list->messages()[0].icon, Icon::Information);
    EXPECT_FALSE(list->ended());
}
