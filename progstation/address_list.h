// address_list.h: dialog 131, "Ethernet Addresses": the MAC address of every attached adapter, asked from the driver when the dialog opens.
#pragma once

#include <cstdint>

#include "common/adapter/control_device.h"
#include "common/ui/dialog_logic.h"
#include "common/ui/strings.h"

namespace lt::progstation {

class AddressListDialog : public ui::DialogLogic {
public:
    // `reEnumerated`: adapters re-enumerated after programming in this run of the station;
    // it only chooses the message when the driver check fails.
    AddressListDialog(adapter::ControlDevice& device, const ui::Strings& strings, bool reEnumerated)
        : device_(device), strings_(strings), reEnumerated_(reEnumerated) {}

    // Columns and grid lines, the driver check (a failure shows its message and closes the
    // dialog), then one row per adapter ("1.", "00-11-22-33-44-55"). Every handle is
    // opened for its request and closed on every path.
    void onInit() override;

private:
    bool driverCheck();
    void fillList();
    void message(uint32_t id, ui::Icon icon);

    adapter::ControlDevice& device_;
    const ui::Strings& strings_;
    bool reEnumerated_;
};

}  // namespace lt::progstation
