// ledger_settings_dialog.h: the station's ledger settings in a dialog of their own ("Ledger Server"), opened from the settings editor: the station's name and the connection string of the ledger server that the stations of a line share.
//
// Opened while the editor is locked, it shows the values read-only and changes nothing.
// Opened in editing mode, OK takes the values typed (blanks around them removed); the
// editor's Save writes them with the other station options. Each value is limited to what
// the profile reads give back (the key's buffer less its terminator).
#pragma once

#include <string>

#include "common/ui/dialog_logic.h"

namespace lt::setupeditor {

struct LedgerSettings {
    std::string stationName;  // [LEDGER] StationName: empty means the computer's name
    std::string connection;   // [LEDGER] Connection: an ODBC connection string; empty means AddressLedger.csv
};

class LedgerSettingsDialog : public ui::DialogLogic {
public:
    LedgerSettingsDialog(LedgerSettings values, bool editable) : values_(std::move(values)), editable_(editable) {}

    void onInit() override;
    void onOk() override;

    const LedgerSettings& values() const { return values_; }

private:
    LedgerSettings values_;
    bool editable_;
};

}  // namespace lt::setupeditor
