// address_list.cpp: the address list's driver check, count and address requests, and its rows.
#include "progstation/address_list.h"

#include <cstdio>
#include <string>
#include <vector>

#include "common/adapter/driver_contract.h"
#include "common/adapter/requests.h"
#include "resources/progstation_ids.h"

namespace lt::progstation {

void AddressListDialog::message(uint32_t id, ui::Icon icon) {
    view().messageBox(strings_.text(id), icon, ui::Buttons::Ok);
}

bool AddressListDialog::driverCheck() {
    uint32_t error = 0;
    auto handle = device_.open(error);
    if (!handle) return false;
    uint16_t word0 = 0, word1 = 0;
    return adapter::getDriverVersion(*handle, word0, word1, error) && adapter::isSupportedDriverVersion(word0, word1);
}

void AddressListDialog::fillList() {
    uint32_t error = 0;
    auto handle = device_.open(error);
    if (!handle) {
        message(IDS_CHECK_DEVICE, ui::Icon::Stop);
        return;
    }
    uint32_t count = 0;  // a failed request reads as no adapters
    adapter::getDeviceCount(*handle, count, error);
    if (count == 0) {
        message(IDS_CHECK_DEVICE, ui::Icon::Information);
        return;
    }
    std::vector<uint8_t> addresses;  // 6 bytes for each adapter counted, allocated for the request
    if (!adapter::getMacAddresses(*handle, count, addresses, error)) {
        message(IDS_ADDRESS_READ_ERROR, ui::Icon::Stop);
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* a = &addresses[std::size_t(i) * 6];
        char number[16], address[24];
        std::snprintf(number, sizeof number, "%u.", unsigned(i + 1));
        std::snprintf(address, sizeof address, "%02x-%02x-%02x-%02x-%02x-%02x", a[0], a[1], a[2], a[3], a[4], a[5]);
        const std::string cells[] = {number, address};
        view().addListRow(IDC_ADDRESS_LIST, cells);
    }
}

void AddressListDialog::onInit() {
    const ui::ListColumn columns[] = {{"S.No", 45}, {"Ethernet-Address", 500}};
    view().setListColumns(IDC_ADDRESS_LIST, columns);
    view().addListGridLines(IDC_ADDRESS_LIST);
    if (!driverCheck()) {
        if (reEnumerated_) message(IDS_READ_AFTER_INSTALL, ui::Icon::Exclamation);
        else message(IDS_CHECK_DEVICE, ui::Icon::Stop);
        onOk();
        return;
    }
    fillList();
}

}  // namespace lt::progstation
