// programming_cycle.cpp: Run press and Program lot in their order, the prompts of every reply status, and the two verifications.
#include "progstation/programming_cycle.h"

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

    data_.newRange = plan_.decideRange(startBoxes_, data_.deviceCount);
    host_.enterBusy();
    const bool autoDiagnostics = view_.checked(IDC_AUTO_DIAGNOSTICS);
    if (!plan_.recordRange(startBoxes_, data_.deviceCount, view_.checked(IDC_OVERWRITE), autoDiagnostics,
                           data_.newRange)) {
        // Programming a lot of a range that is not recorded could hand its addresses out again.
        ask(ui::fillIn(ports_.strings.text(IDS_RANGE_NOT_RECORDED), {store_.path(settings::SettingsFile::EpromData)}),
            ui::Icon::Stop, ui::Buttons::Ok);
        return Outcome::RecordsNotWritten;
    }
    if (autoDiagnostics) {
        host_.setStatus(IDS_DIAGNOSIS);
        launchDiagnostics(ports_.system, ports_.launcher, [&] { message(IDS_TESTER_NOT_FOUND, ui::Icon::Stop); },
                          diagnosticsProgram(ports_.training));
        host_.setStatus(IDS_PROGRAMMING);
    }
    // The programming step's handle is opened here and handed on to the request; every step
    // of the lot closes its own, and none is left open when the press ends.
    const StepHandle step(data_.handle);
    return openControlDevice() ? programLot(false) : Outcome::NoDevice;
}

std::string ProgrammingCycle::failureText(uint32_t error) {
    std::string text = ports_.errors.text(error);
    if (text.empty()) {
        char code[16];
        std::snprintf(code, sizeof code, "(0x%08x)", unsigned(error));
        text = code;
    }
    return "DeviceIoControl Failure: " + text;
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
        if (!step.isOpen() && !openControlDevice()) return Outcome::NoDevice;
        sent = adapter::programEeprom(*step, request, reply, error);
        if (sent && reply.status == adapter::kStatusVerifyDescriptors && !verifyDescriptors(*step)) {
            message(IDS_DESCRIPTOR_FAILED, ui::Icon::Stop);
            descriptorsWrong = true;
        }
    }
    if (!sent) {
        ask(failureText(error), ui::Icon::Stop, ui::Buttons::Ok);
        return Outcome::RequestFailed;
    }

    if (reply.status == adapter::kStatusInvalidRange) {
        message(IDS_INVALID_RANGE, ui::Icon::Stop);
        return Outcome::InvalidRange;
    }
    if (reply.status == adapter::kStatusCountMismatch) {
        const int64_t expected = int64_t(int32_t(request.deviceCount - request.previousCount));
        const std::string text = ui::fillIn(ports_.strings.text(IDS_COUNT_MISMATCH),
                                            {std::to_string(expected), std::to_string(int32_t(reply.count))});
        if (ask(text, ui::Icon::Exclamation, ui::Buttons::OkCancel) != ui::Answer::Ok) return Outcome::CountRefused;
        host_.setStatus(IDS_ENTER_INPUTS);
        return Outcome::Programmed;
    }
    if (reply.status == adapter::kStatusConflict && request.overwrite == 0) {
        const ui::Answer answer =
            ask(ports_.strings.text(IDS_ADDRESS_CONFLICT), ui::Icon::Exclamation, ui::Buttons::AbortRetryIgnore);
        if (answer == ui::Answer::Ignore) return programLot(true);
        if (answer == ui::Answer::Retry) {
            host_.setStatus(IDS_ENTER_INPUTS);
            return Outcome::Programmed;
        }
        return Outcome::Aborted;
    }

    const bool vendorPartOk = verifyVendorPart(reply.count);
    if (!vendorPartOk) message(IDS_VENDOR_PART_FAILED, ui::Icon::None);
    if (descriptorsWrong) return Outcome::DescriptorsWrong;
    if (!vendorPartOk) return Outcome::VendorPartWrong;

    {
        // The installation check opens the step's handle itself.
        const StepHandle step(data_.handle);
        InstallCheck(ports_.registry, ports_.pauses)
            .run(ports_.device, data_.handle, data_.descriptors.vid, data_.descriptors.pid, data_.reEnumerated,
                 [&] { message(IDS_CHECK_DEVICE, ui::Icon::Stop); }, installResult_);
    }
    if (!plan_.recordLot(reply, request)) {
        // The adapters hold addresses that the records do not show as handed out: the next
        // lot is given them again, so these adapters must not reach the line.
        ask(ui::fillIn(ports_.strings.text(IDS_LOT_NOT_RECORDED),
                       {adapter::formatLower(data_.lotStart), adapter::formatLower(reply.lastAddress),
                        store_.path(settings::SettingsFile::EpromData)}),
            ui::Icon::Stop, ui::Buttons::Ok);
        return Outcome::RecordsNotWritten;
    }
    data_.lotLast = reply.lastAddress;
    host_.showLastAssigned();
    if (plan_.rangeComplete()) return Outcome::RangeComplete;
    host_.setStatus(IDS_LOT_PROGRAMMED);
    return Outcome::Programmed;
}

bool ProgrammingCycle::verifyDescriptors(adapter::ControlHandle& handle) {
    uint32_t count = 0, error = 0;
    if (!adapter::getDeviceCount(handle, count, error)) return false;
    for (uint32_t device = 1; device <= count; ++device) {
        std::array<uint8_t, adapter::kReadRecordSize> bytes{};
        if (!adapter::readEeprom(handle, device, bytes, error)) return false;
        const eeprom::EepromReadRecord record = eeprom::decodeReadRecord(bytes);
        if (!record.hasDescriptors()) continue;
        if (record.manufacturer != data_.descriptors.manufacturer) return false;
        if (record.product != data_.descriptors.product) return false;
        if (eeprom::serialToAddress(record.serialNumber) != adapter::stepAddress(data_.lotStart, device - 1))
            return false;
    }
    return true;
}

bool ProgrammingCycle::verifyVendorPart(uint32_t found) {
    const StepHandle step(data_.handle);
    if (!openControlDevice()) return false;
    std::vector<uint8_t> addresses;  // 6 bytes for each adapter found, allocated for the request
    uint32_t error = 0;
    return adapter::getMacAddresses(*step, found, addresses, error) &&
           AddressPlan::vendorPartCheck(addressFromBoxes(startBoxes_), addresses, found);
}

}  // namespace lt::progstation
