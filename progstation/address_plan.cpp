// address_plan.cpp: range decision, request addresses and the programming records.
#include "progstation/address_plan.h"

#include <cctype>

#include "common/eeprom/eeprom_image.h"
#include "common/settings/value_forms.h"

namespace lt::progstation {
namespace {

using settings::AddressRecord;
using settings::Reader;
namespace keys = settings::keys;

constexpr Reader kStation = Reader::ProgStation;

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

adapter::MacAddress addressFromBoxes(const AddressTexts& boxes) {
    adapter::MacAddress address{};
    for (std::size_t i = 0; i < 6; ++i) address[i] = settings::parseHexByte(boxes[i]);
    return address;
}

RestoredInputs AddressPlan::restoreInputs(bool atStartUp) {
    if (atStartUp && !store_.lastAddressRecorded(kStation)) {
        store_.writeText(keys::InitialDevCount, "");
        store_.writeText(keys::PreviousDevCount, "");
    }
    // A range whose last lot was recorded but not yet completed (the station was stopped in
    // between, or the file could not be written then) is completed now. Left as it is, the
    // boxes would offer the range's start with a count not above the count programmed, and
    // Start would open the same range again.
    const bool complete = !shared_ && rangeComplete();
    if (atStartUp && complete) completeRange();
    RestoredInputs in;
    in.startAddress = store_.readAddressTexts(AddressRecord::Initial, kStation);
    // When the completion could not be written (now or after the range's last lot), the
    // inputs are still those of a completed range: the first free address, no count. The
    // next press then opens a new range, which empties the old counts with its own record.
    if (!complete) in.countText = store_.readText(keys::InitialDevCount, kStation);
    in.deviceCount = settings::parseCount(in.countText);
    in.overwrite = settings::parseDecimal(store_.readText(keys::OverwriteFlag, kStation)) != 0;
    in.autoDiagnostics = settings::parseDecimal(store_.readText(keys::DiagnosticsMode, kStation)) != 0;
    if (complete || store_.readText(keys::PreviousDevCount, kStation).empty())
        in.startAddress = store_.readAddressTexts(AddressRecord::Next, kStation);
    return in;
}

LastAssigned AddressPlan::lastAssigned() {
    return {store_.readAddressTexts(AddressRecord::Previous, kStation), store_.readText(keys::PreviousDevCount, kStation)};
}

bool AddressPlan::decideRange(const AddressTexts& startBoxes, uint32_t deviceCount) {
    const AddressTexts stored = store_.readAddressTexts(AddressRecord::Initial, kStation);
    for (std::size_t i = 0; i < 6; ++i)
        if (startBoxes[i] != stored[i]) return true;
    const uint32_t programmed = settings::parseCount(store_.readText(keys::PreviousDevCount, kStation));
    return !(deviceCount > programmed);
}

bool AddressPlan::recordRange(const AddressTexts& startBoxes, uint32_t deviceCount, bool overwrite,
                              bool autoDiagnostics, bool newRange) {
    // One change of the file: a station stopped halfway never leaves a start address with
    // only some of its bytes new.
    settings::SettingsChange change;
    change.addressTexts(AddressRecord::Initial, startBoxes);
    change.count(keys::InitialDevCount, deviceCount);
    change.flag(keys::OverwriteFlag, overwrite);
    change.flag(keys::DiagnosticsMode, autoDiagnostics);
    if (newRange) change.text(keys::PreviousDevCount, "");
    return store_.apply(change);
}

AddressPlan::RangeRecords AddressPlan::rangeRecords() {
    return {store_.readAddressTexts(AddressRecord::Initial, kStation), store_.readText(keys::InitialDevCount, kStation),
            store_.readText(keys::PreviousDevCount, kStation)};
}

bool AddressPlan::restoreRange(const RangeRecords& records) {
    settings::SettingsChange change;
    change.addressTexts(AddressRecord::Initial, records.start);
    change.text(keys::InitialDevCount, records.count);
    change.text(keys::PreviousDevCount, records.programmed);
    return store_.apply(change);
}

adapter::MacAddress AddressPlan::fillRequestAddresses(bool newRange, const AddressTexts& startBoxes,
                                                      uint32_t deviceCount, bool overwrite,
                                                      adapter::ProgramRequest& request) {
    request.previousAddress = {};
    request.previousCount = 0;
    if (!newRange) {
        request.previousAddress = store_.readAddress(AddressRecord::Previous, kStation);
        request.previousCount = settings::parseCount(store_.readText(keys::PreviousDevCount, kStation));
        if (request.previousCount == 0) request.previousAddress = {};  // nothing programmed yet: a new range
    }
    const adapter::MacAddress start = addressFromBoxes(startBoxes);
    eeprom::placeMacAddress(request.image, start);

    adapter::MacAddress lotStart = start;
    if (request.previousCount != 0) lotStart = adapter::stepAddress(request.previousAddress);

    request.deviceCount = deviceCount;
    request.overwrite = overwrite ? 1 : 0;
    if (request.deviceCount == request.previousCount) {
        request.previousAddress = {};
        request.previousCount = 0;
    }
    return lotStart;
}

bool AddressPlan::recordLot(const adapter::ProgramReply& reply, const adapter::ProgramRequest& request) {
    if (reply.count == 0) return true;
    const uint32_t cumulative = reply.count + request.previousCount;
    // The last address, the count and the next address change together or not at all: a
    // station stopped between two of these writes would otherwise continue the range from a
    // last address that does not belong to its count (or offer a stale first free address),
    // and hand out addresses of this lot again.
    settings::SettingsChange change;
    change.address(AddressRecord::Previous, reply.lastAddress);
    change.count(keys::PreviousDevCount, cumulative);
    change.address(AddressRecord::Next, adapter::stepAddress(reply.lastAddress));
    return store_.apply(change);
}

bool AddressPlan::rangeComplete() {
    // No cumulative count means no lot recorded: a range with nothing programmed is not complete.
    const std::string programmed = store_.readText(keys::PreviousDevCount, kStation);
    return !programmed.empty() && equalsNoCase(store_.readText(keys::InitialDevCount, kStation), programmed);
}

bool AddressPlan::completeRange() {
    // Both counts at once: with only the declared count emptied, the boxes would offer the
    // range's start again with the count already programmed behind it.
    settings::SettingsChange change;
    // A shared range: this station's last lot may lie anywhere in it (another station may
    // have shipped its end), so the first free address is the one after the range, not
    // after this station's last lot, which would offer an address inside the range.
    if (shared_) {
        const uint32_t count = settings::parseCount(store_.readText(keys::InitialDevCount, kStation));
        if (count != 0)
            change.address(AddressRecord::Next,
                           adapter::stepAddress(store_.readAddress(AddressRecord::Initial, kStation), count));
    }
    change.text(keys::InitialDevCount, "");
    change.text(keys::PreviousDevCount, "");
    return store_.apply(change);
}

bool AddressPlan::vendorPartCheck(const adapter::MacAddress& start, std::span<const uint8_t> addresses,
                                  uint32_t found) {
    if (found == 0 || addresses.size() < std::size_t(found) * 6) return false;
    for (uint32_t i = 0; i < found; ++i) {
        const uint8_t* a = addresses.data() + std::size_t(i) * 6;
        if (a[0] != start[0] || a[1] != start[1] || a[2] != start[2]) return false;
    }
    return true;
}

}  // namespace lt::progstation
