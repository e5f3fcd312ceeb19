// settings_editor_dialog.cpp: start-up, login switch, Save in its order of writes, Clear, the packet limits and the address-box filter.
#include "setupeditor/settings_editor_dialog.h"

#include "setupeditor/ledger_settings_dialog.h"

#include "common/adapter/hex_digits.h"
#include "common/settings/value_forms.h"
#include "common/ui/strings.h"
#include "resources/setupeditor_ids.h"

#include <algorithm>
#include <array>
#include <optional>

namespace lt::setupeditor {

namespace {

using settings::AddressRecord;
using settings::Reader;
using settings::SettingsFile;

constexpr std::array<int, 6> kAddressBoxes = {IDC_ADDRESS_BYTE1, IDC_ADDRESS_BYTE2, IDC_ADDRESS_BYTE3,
                                              IDC_ADDRESS_BYTE4, IDC_ADDRESS_BYTE5, IDC_ADDRESS_BYTE6};
// The settings of EthernetDiagnostic.ini, each bound to its control here (the editor's
// column of the table).
#define LT_EDITOR_CONTROL(member, kind, key, editorControl, testerControl) \
    settings::DiagnosticControl{LT_DIAGNOSTIC_FIELD(member, key), editorControl},
constexpr settings::DiagnosticControl kSettingsControls[] = {LT_DIAGNOSTIC_SETTINGS(LT_EDITOR_CONTROL)};
#undef LT_EDITOR_CONTROL
static_assert(std::none_of(std::begin(kSettingsControls), std::end(kSettingsControls),
                           [](const settings::DiagnosticControl& c) { return c.control == settings::kNoControl; }),
              "the editor shows every diagnostic setting");

bool isAddressBox(int id) { return std::find(kAddressBoxes.begin(), kAddressBoxes.end(), id) != kAddressBoxes.end(); }

}  // namespace

void SettingsEditorDialog::status(uint32_t stringId) { view().setText(IDC_STATUS, ports_.strings.text(stringId)); }

void SettingsEditorDialog::onInit() {
    view().setIcon(IDI_SETUPEDITOR);
    changeCaption_ = view().text(IDC_CHANGE_SAVE_SETTINGS);
    status(IDS_STATUS_START);

    // Without a Windows directory the names stand alone, as an empty directory buffer gives.
    store_.emplace(ports_.profiles, ports_.files,
                   settings::settingsPaths(ports_.system).value_or(settings::settingsPathsIn("")));

    // The packet boxes show "1" when no loopback test uses them.
    const settings::DiagnosticSettings loaded = store_->loadDiagnosticSettings(Reader::SetupEditor);
    for (const auto& [field, id] : kSettingsControls) {
        if (field.flag) view().setChecked(id, loaded.*field.flag != 0);
        else view().setText(id, loaded.*field.text);
    }
    // The station's ledger guard, kept in its own section beside the diagnostics settings.
    view().setChecked(IDC_GUARD_REISSUE, store_->readNumber(settings::keys::GuardReissue, Reader::SetupEditor) != 0);
    ledgerRead_ = {store_->readText(settings::keys::StationName, Reader::SetupEditor),
                   store_->readText(settings::keys::LedgerConnection, Reader::SetupEditor)};
    ledger_ = ledgerRead_;

    if (store_->exists(SettingsFile::EpromData)) loadAddress();

    // Written back at once, so a missing file is created with the editor's defaults.
    writeDiagnosticSettings();

    enableSettings(false);
    view().enable(IDC_CLEAR_ADDRESS, false);
}

void SettingsEditorDialog::loadAddress() {
    recorded_ = store_->readAddressTexts(AddressRecord::Previous, Reader::SetupEditor);
    showAddress(recorded_);
}

void SettingsEditorDialog::showAddress(const settings::AddressTexts& texts) {
    for (std::size_t i = 0; i < kAddressBoxes.size(); ++i) view().setText(kAddressBoxes[i], texts[i]);
    shown_ = addressBoxes();
    addressTyped_ = false;
}

settings::AddressTexts SettingsEditorDialog::addressBoxes() {
    settings::AddressTexts texts;
    for (std::size_t i = 0; i < kAddressBoxes.size(); ++i) texts[i] = view().text(kAddressBoxes[i]);
    return texts;
}

void SettingsEditorDialog::enableSettings(bool on) {
    for (const auto& bound : kSettingsControls) view().enable(bound.control, on);
    view().enable(IDC_GUARD_REISSUE, on);
    for (int id : kAddressBoxes) view().enable(id, on);
}

void SettingsEditorDialog::onCommand(int id, ui::Notify code) {
    if (code != ui::Notify::Clicked) return;
    switch (id) {
    case IDC_CHANGE_SAVE_SETTINGS: changeOrSave(); break;
    case IDC_CLEAR_ADDRESS: clearAddress(); break;
    case IDC_EXIT: view().endDialog(ui::kIdCancel); break;
    case IDC_LEDGER_SETTINGS: editLedger(); break;
    case IDC_LONG_LOOPBACK:
    case IDC_EXTERNAL_LOOPBACK: enablePacketBoxes(); break;
    default: break;
    }
}

// The station's name and ledger server, read-only until the login; the values typed are
// written by Save.
void SettingsEditorDialog::editLedger() {
    LedgerSettingsDialog dialog(ledger_, view().text(IDC_CHANGE_SAVE_SETTINGS) == saveCaption_);
    if (view().runChild(IDD_LEDGER_SETTINGS, dialog) == ui::kIdOk) ledger_ = dialog.values();
}

void SettingsEditorDialog::changeOrSave() {
    const std::string caption = view().text(IDC_CHANGE_SAVE_SETTINGS);
    if (caption == changeCaption_) unlock();
    else if (caption == saveCaption_) save();
}

void SettingsEditorDialog::unlock() {
    const login::LoginOutcome outcome = login::runLogin(view(), login_);
    if (!outcome.verified) return;
    enableSettings(true);  // the packet boxes too, whatever the loopback boxes show
    view().enable(IDC_CLEAR_ADDRESS, store_->lastAddressRecorded(Reader::SetupEditor));
    view().setText(IDC_CHANGE_SAVE_SETTINGS, saveCaption_);
    status(IDS_STATUS_EDITING);
}

void SettingsEditorDialog::enablePacketBoxes() {
    const bool used = view().checked(IDC_LONG_LOOPBACK) || view().checked(IDC_EXTERNAL_LOOPBACK);
    view().enable(IDC_PACKET_COUNT, used);
    view().enable(IDC_PACKET_SIZE, used);
}

bool SettingsEditorDialog::writeDiagnosticSettings() {
    settings::DiagnosticSettings s;
    for (const auto& [field, id] : kSettingsControls)
        if (field.flag) s.*field.flag = view().checked(id);
    // The packet boxes count only with a long or external test; an empty one is saved as "1".
    for (const auto& [field, id] : kSettingsControls) {
        if (!field.text || !s.packetsUsed()) continue;
        if (view().text(id).empty()) view().setText(id, "1");
        s.*field.text = view().text(id);
    }
    bool saved = store_->saveDiagnosticSettings(s);
    // The station's ledger guard, after the other station options; then its name and ledger
    // server when the operator changed them (a station that never had them keeps no keys).
    saved = store_->writeFlag(settings::keys::GuardReissue, view().checked(IDC_GUARD_REISSUE)) && saved;
    if (ledger_.stationName != ledgerRead_.stationName)
        saved = store_->writeText(settings::keys::StationName, ledger_.stationName) && saved;
    if (ledger_.connection != ledgerRead_.connection)
        saved = store_->writeText(settings::keys::LedgerConnection, ledger_.connection) && saved;
    if (saved) ledgerRead_ = ledger_;
    return saved;
}

void SettingsEditorDialog::notSaved(SettingsFile file) {
    view().messageBox(ui::fillIn(ports_.strings.text(IDS_NOT_SAVED), {store_->path(file)}), ui::Icon::Stop,
                      ui::Buttons::Ok);
}

// The station may have recorded lots since the boxes were filled. When the operator has
// not touched the boxes, the address in the file is the one to keep: writing the boxes
// back would rewind the station's range and hand the same addresses out again.
bool SettingsEditorDialog::adoptRecordedAddress() {
    if (addressTyped_ || addressBoxes() != shown_) return false;
    const settings::AddressTexts inFile = store_->readAddressTexts(AddressRecord::Previous, Reader::SetupEditor);
    if (inFile == recorded_) return false;
    recorded_ = inFile;
    showAddress(inFile);
    return true;
}

void SettingsEditorDialog::save() {
    const bool adopted = adoptRecordedAddress();
    for (int id : kAddressBoxes) {
        if (view().text(id).empty()) {
            view().messageBox(ports_.strings.text(IDS_EMPTY_ADDRESS), ui::Icon::Exclamation, ui::Buttons::Ok);
            view().focus(id);
            return;
        }
    }
    // Every write is made; the first file that refused one is named afterwards.
    std::optional<SettingsFile> failed;
    if (!writeDiagnosticSettings()) failed = SettingsFile::EthernetDiagnostic;

    // An adopted record is written back exactly as it stands in the file.
    const settings::AddressTexts texts = adopted ? recorded_ : addressBoxes();
    const bool previousWritten = store_->writeAddressTexts(AddressRecord::Previous, texts);
    // Text that is not hexadecimal (pasted past the keystroke filter) counts as byte 00,
    // as the station counts a value that does not parse.
    for (std::size_t i = 0; i < texts.size(); ++i) address_[i] = settings::parseHexByte(texts[i]);
    if (previousWritten) {
        recorded_ = texts;
        shown_ = addressBoxes();
        addressTyped_ = false;
    } else if (!failed) {
        failed = SettingsFile::EpromData;
    }

    // The next address follows only a last address that was written: after an old one it
    // would tell the station to start its next range elsewhere than after it.
    if (previousWritten && store_->lastAddressRecorded(Reader::SetupEditor)) {
        if (!store_->writeNextAddress(address_) && !failed) failed = SettingsFile::EpromData;
        view().enable(IDC_CLEAR_ADDRESS, true);
    }
    if (failed) {
        notSaved(*failed);
        status(IDS_STATUS_EDITING);
        return;
    }
    status(IDS_STATUS_SAVING);
    ports_.pauses.pause(kSavePauseMs);
    status(IDS_STATUS_SAVED);
}

void SettingsEditorDialog::clearAddress() {
    // Nothing is written when EpromData.ini does not exist, which is no failure.
    if (store_->exists(SettingsFile::EpromData) && !store_->clearLastAddress()) {
        notSaved(SettingsFile::EpromData);  // the address may still be recorded: Clear stays
        return;
    }
    view().enable(IDC_CLEAR_ADDRESS, false);
    loadAddress();
}

void SettingsEditorDialog::limitPacketBox(int id, uint32_t limit, uint32_t messageId) {
    if (settings::parseCount(view().text(id)) <= limit) return;
    view().messageBox(ports_.strings.text(messageId), ui::Icon::Exclamation, ui::Buttons::Ok);
    view().focus(id);
    view().setText(id, "1");
}

void SettingsEditorDialog::onFocusLost(int id) {
    if (id == IDC_PACKET_COUNT) limitPacketBox(id, kMaxPacketCount, IDS_PACKET_COUNT_LIMIT);
    else if (id == IDC_PACKET_SIZE) limitPacketBox(id, kMaxPacketSize, IDS_PACKET_SIZE_LIMIT);
}

bool SettingsEditorDialog::filterChar(int id, char ch) {
    if (!isAddressBox(id)) return true;
    const auto c = static_cast<unsigned char>(ch);
    const bool control = c < 0x20 || c == 0x7F;
    if (!control && !adapter::isHexDigit(ch)) {
        view().beep();
        return false;
    }
    addressTyped_ = true;
    // A second character fills the box: the focus moves on, the character stays here.
    if (view().lineLength(id) == 1) view().focus(id == kAddressBoxes.back() ? IDC_CLEAR_ADDRESS : id + 1);
    return true;
}

}  // namespace lt::setupeditor
