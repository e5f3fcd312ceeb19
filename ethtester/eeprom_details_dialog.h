// eeprom_details_dialog.h: the EEPROM details viewer: every attached adapter's EEPROM as
// the driver decodes it, in a list.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/adapter/control_device.h"
#include "common/ui/dialog_logic.h"

namespace lt::eeprom {
struct EepromReadRecord;
}

namespace lt::ethtester {

// The rows ("S.No", "Details") of adapter `number`: a failed read, or the fields its
// record's revision code makes valid, then one blank row.
std::vector<std::array<std::string, 2>> eepromRows(uint32_t number, bool readOk, const eeprom::EepromReadRecord& record);

class EepromDetailsDialog : public ui::DialogLogic {
public:
    // `trainingMark`: the training build's mark, shown above the OK button; "" for none.
    explicit EepromDetailsDialog(adapter::ControlDevice& device, std::string trainingMark = {})
        : device_(device), trainingMark_(std::move(trainingMark)) {}
    void onInit() override;

private:
    adapter::ControlDevice& device_;
    std::string trainingMark_;
};

}  // namespace lt::ethtester
