// settings_editor_dialog.h: SetupEditor's one window: the settings of the tester and the station, locked until the operator logs in.
//
// Locked (button 1010 reads "&Change Settings"): every settings control and the Clear
// button are disabled. A passed login switches to editing ("&Save Settings") for the
// rest of the run. Save writes EthernetDiagnostic.ini and the last assigned address to
// EpromData.ini; Clear empties the recorded address. A write that fails (another program
// holds the file) brings a stop-icon message instead of "New Settings Saved.", and the
// editor stays as it was, the operator's values in the boxes. The "Ledger..." button shows
// the station's name and ledger server (dialog "Ledger Server"), editable after the login
// and saved with the rest. Escape, Enter in an edit
// box or on a check box, the close box and Exit end the dialog without saving.
#pragma once

#include "common/login/login_dialogs.h"
#include "common/platform/file_system.h"
#include "common/platform/pauses.h"
#include "common/platform/system_paths.h"
#include "common/settings/profile_files.h"
#include "common/settings/settings_store.h"
#include "common/ui/dialog_logic.h"
#include "common/ui/strings.h"
#include "setupeditor/ledger_settings_dialog.h"

#include <optional>
#include <string_view>

namespace lt::setupeditor {

inline constexpr std::string_view kChangeCaption = "&Change Settings";
inline constexpr std::string_view kSaveCaption = "&Save Settings";
inline constexpr uint32_t kMaxPacketCount = 100000;
inline constexpr uint32_t kMaxPacketSize = 1514;
inline constexpr uint32_t kSavePauseMs = 2000;

// The machine's services the editor uses.
struct EditorPorts {
    settings::ProfileFiles& profiles;
    platform::FileSystem& files;
    platform::SystemPaths& system;
    platform::Pauses& pauses;
    const ui::Strings& strings;
};

class SettingsEditorDialog : public ui::DialogLogic {
public:
    SettingsEditorDialog(EditorPorts ports, login::LoginContext login) : ports_(ports), login_(login) {}

    void onInit() override;
    void onCommand(int id, ui::Notify code) override;
    void onFocusLost(int id) override;
    bool filterChar(int id, char ch) override;

private:
    void changeOrSave();
    void unlock();
    void save();
    void clearAddress();
    void editLedger();
    void loadAddress();
    bool writeDiagnosticSettings();
    void notSaved(settings::SettingsFile file);
    void enableSettings(bool on);
    void enablePacketBoxes();
    bool adoptRecordedAddress();
    settings::AddressTexts addressBoxes();
    void showAddress(const settings::AddressTexts& texts);
    void status(uint32_t stringId);
    void limitPacketBox(int id, uint32_t limit, uint32_t messageId);

    EditorPorts ports_;
    login::LoginContext login_;
    std::optional<settings::SettingsStore> store_;
    std::string changeCaption_{kChangeCaption};
    std::string saveCaption_{kSaveCaption};
    adapter::MacAddress address_{};
    // The recorded address as the editor last read or wrote it, the boxes' texts right
    // after, and whether the operator has typed into the boxes since.
    settings::AddressTexts recorded_{};
    settings::AddressTexts shown_{};
    bool addressTyped_ = false;
    // The station's ledger settings as read (or last saved) and as the operator left them.
    LedgerSettings ledgerRead_;
    LedgerSettings ledger_;
};

}  // namespace lt::setupeditor
