// ledger_settings_dialog.cpp: the "Ledger Server" dialog's boxes, their limits and OK.
#include "setupeditor/ledger_settings_dialog.h"

#include "common/settings/settings_keys.h"
#include "common/settings/value_forms.h"
#include "resources/setupeditor_ids.h"

namespace lt::setupeditor {
namespace {

// A profile read gives back at most the buffer less its terminator.
constexpr uint32_t kMaxChars = uint32_t(settings::kValueBuffer - 1);

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
        values_.stationName = settings::trimBlanks(view().text(IDC_STATION_NAME)).substr(0, kMaxChars);
        values_.connection = settings::trimBlanks(view().text(IDC_LEDGER_CONNECTION)).substr(0, kMaxChars);
    }
    view().endDialog(ui::kIdOk);
}

}  // namespace lt::setupeditor
