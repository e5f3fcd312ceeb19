// station_dialog.cpp: the main dialog's opening, key filter, busy and idle states, outcome reactions, Exit and side actions.
#include "progstation/station_dialog.h"

#include <array>

#include "common/adapter/hex_digits.h"
#include "common/settings/value_forms.h"
#include "common/ui/strings.h"
#include "progstation/address_list.h"
#include "progstation/diagnostics_launch.h"
#include "progstation/station_boxes.h"
#include "resources/progstation_ids.h"

namespace lt::progstation {
namespace {

using settings::Reader;
namespace keys = settings::keys;

// The controls of the busy state besides the start-address boxes (the disk and descriptor
// buttons are not among them).
constexpr std::array<int, 8> kWorkControls = {IDC_START,           IDC_EXIT,         IDC_DISPLAY_ADDRESSES,
                                              IDC_RUN_DIAGNOSTICS, IDC_DEVICE_COUNT, IDC_OVERWRITE,
                                              IDC_VERIFY_ADDRESS,  IDC_AUTO_DIAGNOSTICS};

}  // namespace

void StationDialog::setStatus(uint32_t stringId) { view().setText(IDC_STATUS, ports_.strings.text(stringId)); }

void StationDialog::onInit() {
    view().setIcon(IDI_PROGSTATION);
    if (ports_.training.active)
        view().showNotice(IDC_TRAINING_MARK,
                          ui::fillIn(ports_.strings.text(IDS_TRAINING_MARK), {ports_.training.benchFile}));
    if (!ports_.system.isRecommendedSystem())
        view().messageBox(ports_.strings.text(IDS_RECOMMENDED_SYSTEM), ui::Icon::Information, ui::Buttons::Ok);
    setStatus(IDS_ENTER_INPUTS);
    for (int id : kStartBoxes) view().limitText(id, 2);

    // Without a Windows directory the names stand alone, as an empty directory buffer gives.
    store_.emplace(ports_.profiles, ports_.files,
                   settings::settingsPaths(ports_.system).value_or(settings::settingsPathsIn("")));
    plan_.emplace(*store_);
    plan_->setRangeShared(ports_.ledger.placesLots());
    loadStationOptions();
    restoreInputs(true);
    data_.descriptors = descriptorFile_.load(view());
    data_.image = std::make_unique<eeprom::EepromWriteImage>();
    data_.reEnumerated = false;

    view().setText(IDC_DEVICE_COUNT, settings::formatCount(data_.deviceCount));
    showDescriptors();

    // ---- Ledger: read once here; a damaged one is reported and refuses every press until it reads.
    ledger_.emplace(ports_.ledger, view(), ports_.strings, ports_.errors, *store_, login_,
                    ports_.ledger.placesLots() ? ledgerServerName(ledgerConnection(*store_))
                                               : stationLedgerPath(ports_.system));
    ledger_->start();
    showCounters();
}

void StationDialog::showCounters() { view().setText(IDC_LEDGER_COUNTERS, ledger_->counters()); }

// The three station options, each an integer read with default 1; two are copied into the
// programming records as the numbers read.
void StationDialog::loadStationOptions() {
    const uint32_t overwrite = store_->readNumber(keys::OverWriteAddress, Reader::ProgStation);
    view().setChecked(IDC_OVERWRITE, overwrite != 0);
    store_->writeDecimal(keys::OverwriteFlag, static_cast<int32_t>(overwrite));
    view().setChecked(IDC_VERIFY_ADDRESS, store_->readNumber(keys::DisplayMacAddresses, Reader::ProgStation) != 0);
    const uint32_t launch = store_->readNumber(keys::LaunchDiagnosticApp, Reader::ProgStation);
    view().setChecked(IDC_AUTO_DIAGNOSTICS, launch != 0);
    store_->writeDecimal(keys::DiagnosticsMode, static_cast<int32_t>(launch));
}

void StationDialog::restoreInputs(bool atStartUp) {
    const RestoredInputs in = plan_->restoreInputs(atStartUp);
    for (std::size_t i = 0; i < kStartBoxes.size(); ++i) view().setText(kStartBoxes[i], in.startAddress[i]);
    view().setText(IDC_DEVICE_COUNT, in.countText);
    data_.deviceCount = in.deviceCount;
    view().setChecked(IDC_OVERWRITE, in.overwrite);
    view().setChecked(IDC_AUTO_DIAGNOSTICS, in.autoDiagnostics);
    showLastAssigned();
}

void StationDialog::showLastAssigned() {
    const LastAssigned last = plan_->lastAssigned();
    for (std::size_t i = 0; i < kLastBoxes.size(); ++i) view().setText(kLastBoxes[i], last.address[i]);
    view().setText(IDC_LAST_COUNT, last.count);
}

void StationDialog::showDescriptors() {
    for (std::size_t field = 0; field < kDescriptorFields; ++field) {
        const DescriptorField& f = descriptorFields()[field];
        view().limitText(f.boxId, static_cast<uint32_t>(f.limit));
        view().setText(f.boxId, descriptorText(data_.descriptors, field));
    }
}

void StationDialog::enableWorkControls(bool on) {
    for (int id : kWorkControls) view().enable(id, on);
    for (int id : kStartBoxes) view().enable(id, on);
}

void StationDialog::enterBusy() {
    setStatus(IDS_PROGRAMMING);
    enableWorkControls(false);
}

void StationDialog::enterIdle() {
    enableWorkControls(true);
    view().focus(IDC_START_BYTE1);
}

void StationDialog::exitAction() {
    store_->writeText(keys::DiagnosticsMode, "0");
    data_.image.reset();
    data_.handle.reset();
    view().endDialog(ui::kIdCancel);
}

bool StationDialog::filterChar(int id, char ch) {
    if (!isStartBox(id)) return true;
    const auto c = static_cast<unsigned char>(ch);
    const bool control = c < 0x20 || c == 0x7F;
    if (!control && !adapter::isHexDigit(ch)) {
        view().beep();
        return false;
    }
    // A second character fills the box: the focus moves on, the character stays here.
    if (view().lineLength(id) == 1) view().focus(id == kStartBoxes.back() ? IDC_DEVICE_COUNT : id + 1);
    return true;
}

void StationDialog::onCommand(int id, ui::Notify code) {
    if (code != ui::Notify::Clicked) return;
    switch (id) {
    case IDC_START: press(); break;
    case IDC_EXIT: exitAction(); break;
    case IDC_DISPLAY_ADDRESSES: showAddressList(); break;
    case IDC_RUN_DIAGNOSTICS: manualDiagnostics(); break;
    case IDC_REV_C_INPUTS: changeDescriptors(); break;
    case IDC_CREATE_DISK: createDisk(); break;
    default: break;
    }
}

void StationDialog::press() {
    ProgrammingCycle cycle(ports_, view(), *this, *store_, *plan_, data_, *ledger_);
    const std::optional<Outcome> outcome = cycle.runPress();
    installResult_ = cycle.lastInstallResult();
    showCounters();
    if (outcome) react(*outcome);
}

void StationDialog::react(Outcome outcome) {
    switch (outcome) {
    case Outcome::Programmed:
        if (view().checked(IDC_VERIFY_ADDRESS)) showAddressList();
        showLastAssigned();
        enterIdle();
        view().setText(IDC_START, kNextCaption);
        break;
    case Outcome::NoDevice:
    case Outcome::InvalidRange:
    case Outcome::RecordsNotWritten:  // the caption stays: the range goes on from its records
    case Outcome::NotProgrammed:
        showLastAssigned();
        enterIdle();
        setStatus(IDS_ENTER_INPUTS);
        break;
    case Outcome::RangeComplete:
        if (view().checked(IDC_VERIFY_ADDRESS)) showAddressList();
        completeRange(true);
        view().setText(IDC_START, kStartCaption);
        break;
    case Outcome::RangeShipped:  // the ledger's message has said so
        completeRange(false);
        view().setText(IDC_START, kStartCaption);
        break;
    case Outcome::DescriptorsWrong:
        setStatus(IDS_ENTER_INPUTS);
        enterIdle();
        break;
    case Outcome::RequestFailed:
    case Outcome::Aborted:
    case Outcome::CountRefused:
    case Outcome::VendorPartWrong:
        setStatus(IDS_PRESS_EXIT);
        view().enable(IDC_EXIT, true);
        view().focus(IDC_EXIT);
        for (int id : kStartBoxes) view().enable(id, true);
        view().enable(IDC_DEVICE_COUNT, true);
        view().enable(IDC_OVERWRITE, true);
        exitAction();
        break;
    }
}

// The count records are emptied; the boxes then offer the first free address and an
// empty count. When the counts cannot be emptied, the lot is recorded all the same and
// the range is complete in the records: the boxes offer the same, the next range's record
// empties the counts, and so does the next start.
void StationDialog::completeRange(bool announce) {
    if (plan_->completeRange()) {
        if (announce)
            view().messageBox(ports_.strings.text(IDS_RANGE_COMPLETE), ui::Icon::Information, ui::Buttons::Ok);
    } else {
        view().messageBox(ui::fillIn(ports_.strings.text(IDS_END_NOT_RECORDED),
                                     {adapter::formatLower(data_.lotStart), adapter::formatLower(data_.lotLast),
                                      store_->path(settings::SettingsFile::EpromData)}),
                          ui::Icon::Stop, ui::Buttons::Ok);
    }
    enterIdle();
    restoreInputs(false);
    setStatus(IDS_ENTER_INPUTS);
}

void StationDialog::showAddressList() {
    AddressListDialog list(ports_.device, ports_.strings, data_.reEnumerated);
    view().runChild(IDD_ADDRESS_LIST, list);
}

void StationDialog::manualDiagnostics() {
    store_->writeText(keys::DiagnosticsMode, "0");
    launchDiagnostics(
        ports_.system, ports_.launcher,
        [&] { view().messageBox(ports_.strings.text(IDS_TESTER_NOT_FOUND), ui::Icon::Stop, ui::Buttons::Ok); },
        diagnosticsProgram(ports_.training));
}

void StationDialog::takeDescriptorBoxes() {
    for (std::size_t field = 0; field < kDescriptorFields; ++field)
        descriptorText(data_.descriptors, field) = view().text(descriptorFields()[field].boxId);
}

void StationDialog::createDisk() {
    if (!disk_) return;
    DriverDisk disk(*disk_, view());
    disk.create({[this] {
                     takeDescriptorBoxes();
                     return IdTexts{data_.descriptors.vid, data_.descriptors.pid};
                 },
                 [this] { showDescriptors(); }, [this] { exitAction(); }});
}

void StationDialog::changeDescriptors() {
    takeDescriptorBoxes();
    if (!login::runLogin(view(), login_).passed()) return;
    DescriptorInputsDialog inputs(descriptorFile_, ports_.strings);
    if (view().runChild(IDD_REV_C_INPUTS, inputs) != ui::kIdOk) return;
    data_.descriptors = inputs.values();
    showDescriptors();
    descriptorFile_.save(data_.descriptors, view());
}

}  // namespace lt::progstation
