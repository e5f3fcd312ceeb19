// ledger_settings_dialog.cpp: the "Ledger Server" dialog's boxes, their limits and OK.
#include "setupeditor/ledger_settings_dialog.h"

#include "common/settings/settings_keys.h"
#include "resources/setupeditor_ids.h"

namespace lt::setupeditor {
namespace {

// A profile read gives back at most the buffer less its terminator.
constexpr uint32_t kMaxChars = uint32_t(settings::kValueBuffer - 1);

std::string trimmed(std::string text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.back())) text.pop_back();
    std::size_t lead = 0;
    while (lead < text.size() && blank(text[lead])) ++lead;
    return text.substr(lead);
}

}  // namespace

void LedgerSettingsDialog::onInit() {
    view().limitText(IDC_STATION_NAME, kMaxChars);
    view().limitText(IDC_LEDGER_CONNECTION, kMaxChars);
    view().setText(IDC_STATION_NAME, values_.stationName);
    view().setText(IDC_LEDGER_CONNECTION, values_.connection);
    view().enable(IDC_STATION_NAME, editable_);
    view().enable(IDC_LEDGER_CONNECTION, editable_);
}

void LedgerSettingsDialog::onOk() {
    if (editable_) {
        values_.stationName = trimmed(view().text(IDC_STATION_NAME)).substr(0, kMaxChars);
        values_.connection = trimmed(view().text(IDC_LEDGER_CONNECTION)).substr(0, kMaxChars);
    }
    view().endDialog(ui::kIdOk);
}

}  // namespace lt::setupeditor
