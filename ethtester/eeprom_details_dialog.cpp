// eeprom_details_dialog.cpp: the EEPROM details viewer.
#include "ethtester/eeprom_details_dialog.h"

#include <array>
#include <cstdio>

#include "common/adapter/requests.h"
#include "common/eeprom/read_record.h"
#include "resources/ethtester_ids.h"

namespace lt::ethtester {
namespace {

std::string upperBytes(const std::array<uint8_t, 6>& b) {
    char text[18];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X-%02X-%02X-%02X", b[0], b[1], b[2], b[3], b[4], b[5]);
    return text;
}

std::string formatted(const char* pattern, unsigned value) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

}  // namespace

std::vector<std::array<std::string, 2>> eepromRows(uint32_t number, bool readOk, const eeprom::EepromReadRecord& r) {
    const std::string n = formatted("%d", number);
    std::vector<std::array<std::string, 2>> rows;
    if (!readOk) {
        rows.push_back({n, "Unable To Read EEPROM Details For This Device"});
    } else if (r.revision == eeprom::kRevisionWithDescriptors) {
        rows.push_back({n, formatted("VID : %X", r.vendorId)});
        rows.push_back({" ", formatted("PID : %X", r.productId)});
        rows.push_back({" ", "MAC Address : " + upperBytes(r.macAddress)});
        rows.push_back({" ", "Manufacturer ID : " + r.manufacturer});
        rows.push_back({" ", "Product ID : " + r.product});
        rows.push_back({" ", formatted("Lang ID : %04X", r.languageId)});
        rows.push_back({" ", "Serial Number : " + upperBytes(r.serialNumber)});
    } else if (r.revision == eeprom::kRevisionAddressOnly) {
        rows.push_back({n, "MAC Address : " + upperBytes(r.macAddress)});
    }
    rows.push_back({" ", " "});
    return rows;
}

void EepromDetailsDialog::onInit() {
    if (!trainingMark_.empty()) view().showNotice(IDC_TRAINING_MARK, trainingMark_);
    uint32_t count = 0, error = 0;
    if (auto handle = device_.open(error)) {
        if (!adapter::getDeviceCount(*handle, count, error)) count = 0;
    }
    if (count == 0) {
        view().messageBox("No Device Found For Showing EEPROM Details", ui::Icon::None, ui::Buttons::Ok, "Error");
        view().endDialog(ui::kIdOk);
        return;
    }
    const ui::ListColumn columns[] = {{"S.No", 45}, {"Details", 500}};
    view().setListColumns(IDC_EEPROM_LIST, columns);
    view().addListGridLines(IDC_EEPROM_LIST);

    auto handle = device_.open(error);
    if (!handle) return;
    std::array<uint8_t, adapter::kReadRecordSize> bytes{};
    for (uint32_t i = 1; i <= count; ++i) {
        bytes.fill(0);
        const bool ok = adapter::readEeprom(*handle, i, bytes, error);
        for (const auto& row : eepromRows(i, ok, eeprom::decodeReadRecord(bytes))) view().addListRow(IDC_EEPROM_LIST, row);
    }
}

}  // namespace lt::ethtester
