// programming_cycle.cpp: Run press and Program lot in their order, the prompts of every reply status, and the two verifications.
#include "progstation/programming_cycle.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "common/adapter/driver_contract.h"
#include "common/adapter/requests.h"
#include "common/eeprom/read_record.h"
#include "common/ui/data_exchange.h"
#include "common/ui/strings.h"
#include "progstation/address_list.h"
#include "progstation/descriptor_inputs.h"
#include "progstation/diagnostics_launch.h"
#include "progstation/package_check.h"
#include "progstation/station_boxes.h"
#include "resources/progstation_ids.h"

namespace lt::progstation {

void ProgrammingCycle::message(uint32_t stringId, ui::Icon icon, ui::Buttons buttons) {
    view_.messageBox(ports_.strings.text(stringId), icon, buttons);
}

ui::Answer ProgrammingCycle::ask(const std::string& text, ui::Icon icon, ui::Buttons buttons) {
    return view_.messageBox(text, icon, buttons);
}

bool ProgrammingCycle::openControlDevice() {
    uint32_t error = 0;
    data_.handle = ports_.device.open(error);
    if (data_.handle) return true;
    message(IDS_CHECK_DEVICE, ui::Icon::Stop);
    return false;
}

// The dialog's data exchange: the device count as an unsigned decimal number, then the
// five descriptor texts within their limits. A refused value has shown its prompt.
bool ProgrammingCycle::takeInputs() {
    if (!ui::exchangeUnsigned(view_, IDC_DEVICE_COUNT, data_.deviceCount)) return false;
    for (std::size_t field = 0; field < kDescriptorFields; ++field) {
        const DescriptorField& f = descriptorFields()[field];
        std::string text = view_.text(f.boxId);
        if (!ui::checkMaxChars(view_, f.boxId, text, f.limit)) return false;
        descriptorText(data_.descriptors, field) = std::move(text);
    }
    // A string from Customize.ini that the adapter cannot carry would be programmed wrongly
    // into every adapter and fail every read-back: refused before anything is recorded.
    if (const auto field = stringNotCarriable(data_.descriptors)) {
        refuseNotCarriable(view_, ports_.strings, *field);
        return false;
    }
    return true;
}

bool ProgrammingCycle::driverVersionOk() {
    uint16_t word0 = 0, word1 = 0;
    bool answered = false;
    {
        // On a handle of its own, closed before the answer is acted on.
        uint32_t error = 0;
        const auto handle = ports_.device.open(error);
        if (!handle) {
            message(IDS_CHECK_DEVICE, ui::Icon::Stop);
            return false;
        }
        answered = adapter::getDriverVersion(*handle, word0, word1, error);
    }
    if (answered && adapter::isSupportedDriverVersion(word0, word1)) return true;
    message(IDS_WRONG_DRIVER, ui::Icon::Stop);
    return false;
}

// The chip revision, on a step of its own; 0 when the handle or the request fails.
uint32_t ProgrammingCycle::chipRevision() {
    const StepHandle step(data_.handle);
    uint32_t revision = 0, error = 0;
    if (!openControlDevice() || !adapter::getChipRevision(*step, revision, error)) return 0;
    return revision;
}

// Adapters of the revision with descriptor fields come back under the station's VID and
// PID, which the driver package must know.
bool ProgrammingCycle::packageRefuses() {
    if (chipRevision() != adapter::kRevisionWithDescriptors) return false;
    const std::string inf = packagePaths(ports_.system.windowsDirectory().value_or("")).inf;
    if (packageKnowsIds(ports_.profiles, inf, data_.descriptors.vid, data_.descriptors.pid)) return false;
    message(IDS_CREATE_DISK_FIRST, ui::Icon::None);
    return true;
}

std::optional<Outcome> ProgrammingCycle::runPress() {
    for (std::size_t i = 0; i < kStartBoxes.size(); ++i) {
        startBoxes_[i] = view_.text(kStartBoxes[i]);
        if (startBoxes_[i].empty()) {
            message(IDS_EMPTY_ADDRESS, ui::Icon::Exclamation);
            view_.focus(kStartBoxes[i]);
            return std::nullopt;
        }
    }
    if (!takeInputs()) return std::nullopt;
    if (!driverVersionOk()) {
        host_.exitAction();
        return std::nullopt;
    }
    if (packageRefuses()) return std::nullopt;
    // ---- Ledger: one that cannot be read refuses the press before anything is recorded.
    if (!ledger_.ready()) return Outcome::NotProgrammed;

    data_.newRange = plan_.decideRange(startBoxes_, data_.deviceCount);
    host_.enterBusy();
    const bool autoDiagnostics = view_.checked(IDC_AUTO_DIAGNOSTICS);
    rangeBefore_ = plan_.rangeRecords();  // ledger: put back when the press is refused before its request
    if (!plan_.recordRange(startBoxes_, data_.deviceCount, view_.checked(IDC_OVERWRITE), autoDiagnostics,
                           data_.newRange)) {
        // Programming a lot of a range that is not recorded could hand its addresses out again.
        ask(ui::fillIn(ports_.strings.text(IDS_RANGE_NOT_RECORDED), {store_.path(settings::SettingsFile::EpromData)}),
            ui::Icon::Stop, ui::Buttons::Ok);
        return Outcome::RecordsNotWritten;
    }
    diagnosticsDetail_ = diagnosticsDetail(false, std::nullopt);  // ledger: unless the tester runs now
    if (autoDiagnostics) {
        host_.setStatus(IDS_DIAGNOSIS);
        const ProgramEnd tester =
            launchDiagnostics(ports_.system, ports_.launcher, [&] { message(IDS_TESTER_NOT_FOUND, ui::Icon::Stop); },
                              diagnosticsProgram(ports_.training));
        diagnosticsDetail_ = diagnosticsDetail(tester.started, tester.exitCode);  // ledger: the issued lines' detail
        host_.setStatus(IDS_PROGRAMMING);
    }
    // The programming step's handle is opened here and handed on to the request; every step
    // of the lot closes its own, and none is left open when the press ends.
    const StepHandle step(data_.handle);
    return openControlDevice() ? programLot(false) : Outcome::NoDevice;
}

// The system's text for the error code, or the code itself in eight hexadecimal digits.
std::string ProgrammingCycle::errorText(uint32_t error) {
    std::string text = ports_.errors.text(error);
    if (text.empty()) {
        char code[16];
        std::snprintf(code, sizeof code, "(0x%08x)", unsigned(error));
        text = code;
    }
    return text;
}

std::string ProgrammingCycle::failureText(uint32_t error) { return "DeviceIoControl Failure: " + errorText(error); }

// The lot's addresses are the lot start stepped by 0 .. n - 1, n the adapters attached now.
// A count that cannot be had refuses the press: programming adapters whose number is not
// known would give addresses that no issued line holds.
std::optional<Outcome> ProgrammingCycle::issueLot(adapter::ProgramRequest& request) {
    uint32_t adapters = 0, error = 0;
    if (!adapter::getDeviceCount(*data_.handle, adapters, error)) {
        ask(ui::fillIn(ports_.strings.text(IDS_LEDGER_COUNT_FAILED), {errorText(error)}), ui::Icon::Stop,
            ui::Buttons::Ok);
        return notProgrammed();
    }
    // The station's own ledger: the guard looks at the addresses the records continue with,
    // and may hand shipped ones out again. A shared ledger places the lot itself, never on a
    // shipped address; its placement is checked after the reservation.
    GuardDecision decision;
    if (!ledger_.shared()) {
        decision = ledger_.guard(ledger::lotAddresses(data_.lotStart, adapters));
        if (!decision.go) return notProgrammed();
    }

    ledger::LotPlan plan;
    plan.rangeStart = addressFromBoxes(startBoxes_);
    plan.rangeCount = request.deviceCount;
    plan.lotStart = data_.lotStart;
    plan.adapters = adapters;
    plan.vid = eeprom::hexWord(data_.descriptors.vid);
    plan.pid = eeprom::hexWord(data_.descriptors.pid);
    plan.detail = diagnosticsDetail_;
    plan.reissued = std::move(decision.again);
    plan.reissueDetail = decision.detail;
    const ledger::IssueResult issued = ledger_.issue(plan);
    if (!issued.problem.ok()) {
        // A range that the stations sharing it have shipped is complete here too: its record
        // stays (the range pressed, not the one before it), for its completion to empty its
        // counts and offer the address after it.
        if (issued.problem.status == ledger::LedgerStatus::RangeComplete) {
            data_.handle.reset();
            return Outcome::RangeShipped;
        }
        return notProgrammed();
    }
    lot_ = issued.lot;
    if (issued.placed) {
        placement_ = issued;
        placeLot(request);
        if (!ledger_.placedLotClear(ledger::lotAddresses(issued.lotStart, adapters))) {
            voidLot("placed on shipped addresses");
            return notProgrammed();
        }
    }
    return std::nullopt;
}

// The shared ledger's reservation decides where the lot lies in the range: the driver gives
// adapter k the previous address stepped k times, so the request carries the address
// before the lot start and the number of the range's addresses before it.
void ProgrammingCycle::placeLot(adapter::ProgramRequest& request) {
    request.previousAddress = placement_->previousAddress;
    request.previousCount = placement_->previousCount;
    data_.lotStart = placement_->lotStart;
}

void ProgrammingCycle::voidLot(std::string_view reason) {
    if (lot_ && *lot_ != 0) ledger_.voidLot(*lot_, reason);
    lot_.reset();
}

bool ProgrammingCycle::shipLot(const adapter::ProgramReply& reply) {
    if (!lot_) return true;
    std::vector<ledger::ShippedAdapter> shipped;
    for (uint32_t d = 1; d <= reply.count && std::size_t(d) * 6 <= readBack_.size(); ++d) {
        ledger::ShippedAdapter a;
        a.device = d;
        std::copy_n(readBack_.begin() + std::ptrdiff_t(d - 1) * 6, 6, a.mac.begin());
        if (d <= serials_.size()) a.serial = serials_[d - 1];
        shipped.push_back(std::move(a));
    }
    const bool written = (*lot_ == 0 && shipped.empty()) || ledger_.ship(*lot_, shipped, data_.lotStart, reply.lastAddress);
    if (written) lot_.reset();
    return written;
}

// The range's records as they were before the press (written only when the press changed
// them). Should that write fail, the refused press's range record stands, as after a range
// the driver refuses, and the operator is told.
Outcome ProgrammingCycle::notProgrammed() {
    data_.handle.reset();
    const AddressPlan::RangeRecords now = plan_.rangeRecords();
    const bool changed = now.start != rangeBefore_.start || now.count != rangeBefore_.count ||
                         now.programmed != rangeBefore_.programmed;
    if (changed && !plan_.restoreRange(rangeBefore_))
        ask(ui::fillIn(ports_.strings.text(IDS_RANGE_NOT_RECORDED), {store_.path(settings::SettingsFile::EpromData)}),
            ui::Icon::Stop, ui::Buttons::Ok);
    return Outcome::NotProgrammed;
}

Outcome ProgrammingCycle::programLot(bool overwriteForced) {
    ports_.pauses.pause(kProgramPauseMs);

    adapter::ProgramRequest request;
    adapter::ProgramReply reply;
    if (!data_.image) data_.image = std::make_unique<eeprom::EepromWriteImage>();
    eeprom::buildImage(data_.descriptors, *data_.image);
    request.image = data_.image->bytes;
    const bool overwrite = view_.checked(IDC_OVERWRITE) || overwriteForced;
    data_.lotStart = plan_.fillRequestAddresses(data_.newRange, startBoxes_, data_.deviceCount, overwrite, request);

    uint32_t error = 0;
    bool sent = false;
    bool descriptorsWrong = false;
    {
        // The request and the descriptor verification on the handle the press opened (opened
        // again for the Ignore repetition), closed before the reply is acted on.
        const StepHandle step(data_.handle);
        if (!step.isOpen() && !openControlDevice()) {
            voidLot("control device not opened");  // the repetition chosen with Ignore
            return Outcome::NoDevice;
        }
        // ---- Ledger: the issued lines before the request (the repetition chosen with Ignore
        // programs the same lot again, in the same place, and issues nothing).
        if (!overwriteForced) {
            if (const std::optional<Outcome> refused = issueLot(request)) return *refused;
        } else if (placement_) {
            placeLot(request);
        }
        sent = adapter::programEeprom(*step, request, reply, error);
        if (sent && reply.status == adapter::kStatusVerifyDescriptors && !verifyDescriptors(*step)) {
            message(IDS_DESCRIPTOR_FAILED, ui::Icon::Stop);
            descriptorsWrong = true;
        }
    }
    if (!sent) {
        ask(failureText(error), ui::Icon::Stop, ui::Buttons::Ok);
        voidLot("programming request failed");
        return Outcome::RequestFailed;
    }

    if (reply.status == adapter::kStatusInvalidRange) {
        message(IDS_INVALID_RANGE, ui::Icon::Stop);
        voidLot("invalid range");
        return Outcome::InvalidRange;
    }
    if (reply.status == adapter::kStatusCountMismatch) {
        const int64_t expected = int64_t(int32_t(request.deviceCount - request.previousCount));
        const std::string text = ui::fillIn(ports_.strings.text(IDS_COUNT_MISMATCH),
                                            {std::to_string(expected), std::to_string(int32_t(reply.count))});
        const bool removing = ask(text, ui::Icon::Exclamation, ui::Buttons::OkCancel) == ui::Answer::Ok;
        voidLot("count mismatch");
        if (!removing) return Outcome::CountRefused;
        host_.setStatus(IDS_ENTER_INPUTS);
        return Outcome::Programmed;
    }
    if (reply.status == adapter::kStatusConflict && request.overwrite == 0) {
        const ui::Answer answer =
            ask(ports_.strings.text(IDS_ADDRESS_CONFLICT), ui::Icon::Exclamation, ui::Buttons::AbortRetryIgnore);
        if (answer == ui::Answer::Ignore) return programLot(true);
        if (answer == ui::Answer::Retry) {
            voidLot("address conflict, retry");
            host_.setStatus(IDS_ENTER_INPUTS);
            return Outcome::Programmed;
        }
        voidLot("address conflict, abort");
        return Outcome::Aborted;
    }

    const bool vendorPartOk = verifyVendorPart(reply.count);
    if (!vendorPartOk) message(IDS_VENDOR_PART_FAILED, ui::Icon::None);
    if (descriptorsWrong) {
        voidLot("descriptor verification failed");
        return Outcome::DescriptorsWrong;
    }
    if (!vendorPartOk) {
        voidLot("vendor part verification failed");
        return Outcome::VendorPartWrong;
    }

    {
        // The installation check opens the step's handle itself.
        const StepHandle step(data_.handle);
        InstallCheck(ports_.registry, ports_.pauses)
            .run(ports_.device, data_.handle, data_.descriptors.vid, data_.descriptors.pid, data_.reEnumerated,
                 [&] { message(IDS_CHECK_DEVICE, ui::Icon::Stop); }, installResult_);
    }
    // A shared ledger is the range's record for every station: the lot is shipped there
    // first, and a lot it could not record is not recorded here either (its adapters are set
    // aside, its addresses stay reserved for this station's next lot).
    if (ledger_.shared() && !shipLot(reply)) {
        voidLot("not recorded by the ledger server");
        return Outcome::RecordsNotWritten;
    }
    if (!plan_.recordLot(reply, request)) {
        if (ledger_.shared()) {
            // The ledger server holds the lot as shipped and never gives its addresses again:
            // only this station's own records miss it.
            ask(ui::fillIn(ports_.strings.text(IDS_LEDGER_LOCAL_NOT_RECORDED),
                           {adapter::formatLower(data_.lotStart), adapter::formatLower(reply.lastAddress),
                            store_.path(settings::SettingsFile::EpromData)}),
                ui::Icon::Stop, ui::Buttons::Ok);
            return Outcome::RecordsNotWritten;
        }
        // The adapters hold addresses that the records do not show as handed out: the next
        // lot is given them again, so these adapters must not reach the line.
        ask(ui::fillIn(ports_.strings.text(IDS_LOT_NOT_RECORDED),
                       {adapter::formatLower(data_.lotStart), adapter::formatLower(reply.lastAddress),
                        store_.path(settings::SettingsFile::EpromData)}),
            ui::Icon::Stop, ui::Buttons::Ok);
        voidLot("records not written");
        return Outcome::RecordsNotWritten;
    }
    if (!ledger_.shared()) shipLot(reply);  // ledger: the recorded lot's adapters as read back
    data_.lotLast = reply.lastAddress;
    host_.showLastAssigned();
    // Shared: complete when every station together has shipped the range, whichever
    // station's records reached its end.
    if (ledger_.shared() ? ledger_.rangeShipped() : plan_.rangeComplete()) return Outcome::RangeComplete;
    host_.setStatus(IDS_LOT_PROGRAMMED);
    return Outcome::Programmed;
}

bool ProgrammingCycle::verifyDescriptors(adapter::ControlHandle& handle) {
    uint32_t count = 0, error = 0;
    if (!adapter::getDeviceCount(handle, count, error)) return false;
    serials_.assign(count, std::string());
    for (uint32_t device = 1; device <= count; ++device) {
        std::array<uint8_t, adapter::kReadRecordSize> bytes{};
        if (!adapter::readEeprom(handle, device, bytes, error)) return false;
        const eeprom::EepromReadRecord record = eeprom::decodeReadRecord(bytes);
        if (!record.hasDescriptors()) continue;
        // As the EEPROM viewer shows it: the six bytes as stored, upper case, joined by hyphens.
        serials_[device - 1] = adapter::formatUpper(record.serialNumber);
        if (record.manufacturer != data_.descriptors.manufacturer) return false;
        if (record.product != data_.descriptors.product) return false;
        if (eeprom::serialToAddress(record.serialNumber) != adapter::stepAddress(data_.lotStart, device - 1))
            return false;
    }
    return true;
}

bool ProgrammingCycle::verifyVendorPart(uint32_t found) {
    const StepHandle step(data_.handle);
    readBack_.clear();
    if (!openControlDevice()) return false;
    std::vector<uint8_t> addresses;  // 6 bytes for each adapter found, allocated for the request
    uint32_t error = 0;
    const bool read = adapter::getMacAddresses(*step, found, addresses, error);
    const bool passed = read && AddressPlan::vendorPartCheck(addressFromBoxes(startBoxes_), addresses, found);
    readBack_ = read ? std::move(addresses) : std::vector<uint8_t>();  // ledger: the shipped lines' addresses
    return passed;
}

}  // namespace lt::progstation
