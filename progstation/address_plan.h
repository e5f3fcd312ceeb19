// address_plan.h: the station's address plan: which range a press opens or continues, the
// address fields of the programming request, and the records of EpromData.ini that carry
// the range's progress from lot to lot and from run to run.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/adapter/mac_address.h"
#include "common/adapter/requests.h"
#include "common/settings/settings_store.h"

namespace lt::progstation {

using settings::AddressTexts;

// What Restore inputs puts into the main dialog.
struct RestoredInputs {
    AddressTexts startAddress;  // the six start-address boxes
    std::string countText;      // the device-count box as stored
    uint32_t deviceCount = 0;   // that text read as a decimal number (empty gives 0)
    bool overwrite = false;     // "Overwrite Address :"
    bool autoDiagnostics = false;  // the automatic "Ethernet Diagnostics" option
};

// What Show last assigned puts into the read-only boxes, texts as stored.
struct LastAssigned {
    AddressTexts address;  // PREVIOUSMACADDR
    std::string count;     // PREVIOUSDEVCOUNT
};

class AddressPlan {
public:
    explicit AddressPlan(settings::SettingsStore& store) : store_(store) {}

    // Several stations share the range on a ledger server: the station's records then show
    // how far its own lots reached in the range, and equal counts do not make the range
    // complete at start-up (the ledger decides that; its completion empties the counts).
    void setRangeShared(bool shared) { shared_ = shared; }

    // The inputs from the records. At start-up, a station with no last address recorded
    // first empties both count records (creating the file if needed), and a complete range
    // whose counts were not emptied is completed. Without a range in progress the
    // start-address boxes offer the first free address. A complete range counts as no
    // range in progress even while its counts could not be emptied, so the boxes never
    // offer its start with a count that would open it again.
    RestoredInputs restoreInputs(bool atStartUp);
    LastAssigned lastAssigned();

    // True when the press opens a new range: a start-address box differs from the stored
    // start address (exact text, letter case included), or the count is not above the
    // count already programmed.
    bool decideRange(const AddressTexts& startBoxes, uint32_t deviceCount);

    // Records the range before programming: the six box texts, the count (in its "%lu"
    // form, so that a count typed as "010" still equals the cumulative count that
    // completes the range), and the two options. A new range also empties the count
    // programmed so far: that count belongs to the range it replaces, and left standing it
    // would let the next press take the new range for a continuation of the old one (after
    // a first lot that failed) and place its lot behind the old range's last address.
    // Returns whether the records were written (one change of the file: all or nothing).
    bool recordRange(const AddressTexts& startBoxes, uint32_t deviceCount, bool overwrite, bool autoDiagnostics,
                     bool newRange);

    // The records that Record range changes and that decide the range, as they stand, and
    // putting them back as one change: a press refused before its programming request keeps
    // nothing of its range record, so a new range typed over a range in progress does not
    // end that range's progress when nothing was programmed.
    struct RangeRecords {
        AddressTexts start;      // INITIALMACADDR
        std::string count;       // INITIALDEVCOUNT
        std::string programmed;  // PREVIOUSDEVCOUNT
    };
    RangeRecords rangeRecords();
    bool restoreRange(const RangeRecords& records);

    // Fills the request's address and count fields, places the start address into the
    // request's image, and returns the lot start address (the address the first adapter
    // of this lot must receive).
    adapter::MacAddress fillRequestAddresses(bool newRange, const AddressTexts& startBoxes, uint32_t deviceCount,
                                             bool overwrite, adapter::ProgramRequest& request);

    // After a lot passed every check: the last address, the cumulative count and the next
    // address. Nothing when the reply's count is 0. Returns whether the records were
    // written (one change of the file: all or nothing; true when there is nothing to write).
    bool recordLot(const adapter::ProgramReply& reply, const adapter::ProgramRequest& request);

    // The declared and the cumulative count are equal (text, without regard to case).
    bool rangeComplete();
    // Empties both count records; the addresses stay, so the next range starts at the
    // first free address (of a shared range: the address after the range, whichever
    // station shipped its end). Returns whether the records were written.
    bool completeRange();

    // Every address read back has the start address's vendor part; a found count of 0 fails.
    static bool vendorPartCheck(const adapter::MacAddress& start, std::span<const uint8_t> addresses,
                                uint32_t found);

private:
    settings::SettingsStore& store_;
    bool shared_ = false;
};

// The start-address boxes as an address: each text read as hexadecimal, low eight bits kept.
adapter::MacAddress addressFromBoxes(const AddressTexts& boxes);

}  // namespace lt::progstation
