// programming_cycle.h: one press of Start (or Next): the checks, the range records, the
// optional diagnostics run, the one programming request for every attached adapter, both
// verifications, the installation check and the lot record, ending in an outcome for the
// main dialog.
//
// The station never writes an EEPROM word itself: one IOCTL_PROGRAM_EEPROM request carries
// the write image, the range's start address, its progress and the overwrite choice, and
// the driver programs every attached adapter. A handle on the control device is opened for
// one step and closed after it on every path (StepHandle); request and reply live for one
// request.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/adapter/control_device.h"
#include "common/adapter/mac_address.h"
#include "common/eeprom/eeprom_image.h"
#include "common/settings/settings_store.h"
#include "common/ui/dialog_view.h"
#include "progstation/address_plan.h"
#include "progstation/install_check.h"
#include "progstation/press_ledger.h"
#include "progstation/station_ports.h"

namespace lt::progstation {

// What one press hands to the main dialog.
enum class Outcome : int {
    Programmed = 0,        // lot programmed and recorded, range not complete (also after Retry, after OK at the count prompt)
    NoDevice = 1,          // the control device could not be opened
    RequestFailed = 2,     // the programming request failed: the station closes
    Aborted = 3,           // Abort at the conflict prompt: the station closes
    CountRefused = 4,      // Cancel at the count prompt: the station closes
    InvalidRange = 8,      // the driver found the address range invalid
    RangeComplete = 9,     // lot programmed and recorded, range complete
    DescriptorsWrong = 10, // descriptor verification failed, nothing recorded
    VendorPartWrong = 20,  // vendor-part verification failed, nothing recorded: the station closes
    // The records in EpromData.ini could not be written (another program holds the file):
    // the range's record before programming (nothing was programmed), or the lot's record
    // after it (the lot's adapters are to be set aside; their addresses are given again).
    // A message has said which; the station stays open, idle with status message 12, the
    // caption as it was, and the range is not completed.
    RecordsNotWritten = 30,
    // Refused before the programming request, with nothing programmed and the range's record
    // put back as it was: the production ledger cannot be read or written, the re-issue
    // guard was answered No or its login did not pass, or the adapters could not be counted.
    // A message has said why (except after No); the station stays open, idle with status
    // message 12, the caption as it was.
    NotProgrammed = 31,
    // Refused before the programming request because the stations sharing the range on the
    // ledger server have shipped all of it: the ledger's message has said so; the range is
    // complete here too (as after RangeComplete, without its message).
    RangeShipped = 32,
};

inline constexpr uint32_t kProgramPauseMs = 2000;

// The main dialog's data that the cycle works on; the dialog owns it.
struct StationData {
    uint32_t deviceCount = 0;                         // the "Device Count" box as a number
    eeprom::DescriptorSettings descriptors;           // the station's copy (strings padded by each build)
    std::unique_ptr<eeprom::EepromWriteImage> image;  // from the dialog's opening to its Exit
    std::unique_ptr<adapter::ControlHandle> handle;   // the control device, open only within a step
    adapter::MacAddress lotStart{};                   // the address the first adapter of the lot must receive
    adapter::MacAddress lotLast{};                    // the last address of the lot recorded last
    bool newRange = false;
    bool reEnumerated = false;                        // adapters re-enumerated during this run
};

// One step's hold on the station's control-device handle (StationData::handle): the step
// opens it, or goes on with the one the step before handed it open, and the handle is
// closed when the step's scope ends, on every path out of it.
class StepHandle {
public:
    explicit StepHandle(std::unique_ptr<adapter::ControlHandle>& handle) : handle_(handle) {}
    ~StepHandle() { handle_.reset(); }
    StepHandle(const StepHandle&) = delete;
    StepHandle& operator=(const StepHandle&) = delete;

    bool isOpen() const { return handle_ != nullptr; }
    adapter::ControlHandle& operator*() const { return *handle_; }

private:
    std::unique_ptr<adapter::ControlHandle>& handle_;
};

// What the cycle asks of the main dialog.
class CycleHost {
public:
    virtual void setStatus(uint32_t stringId) = 0;
    virtual void enterBusy() = 0;
    virtual void showLastAssigned() = 0;
    // Closes the station (DIAGNOSTICSMODE AUTO := "0", image released, dialog ended).
    virtual void exitAction() = 0;

protected:
    ~CycleHost() = default;
};

class ProgrammingCycle {
public:
    ProgrammingCycle(StationPorts& ports, ui::DialogView& view, CycleHost& host, settings::SettingsStore& store,
                     AddressPlan& plan, StationData& data, PressLedger& ledger)
        : ports_(ports), view_(view), host_(host), store_(store), plan_(plan), data_(data), ledger_(ledger) {}

    // The Start button's action. Nothing when the press ends before the busy state (an
    // empty address box, a refused input, the driver package refusal) or closes the
    // station (driver version); otherwise the outcome for the main dialog.
    std::optional<Outcome> runPress();
    // One programming request with everything around it; `overwriteForced` is the single
    // repetition chosen with Ignore at the conflict prompt.
    Outcome programLot(bool overwriteForced);

    // Every adapter of the revision with descriptor fields reads back the station's padded
    // strings and its own address as serial number. A failed count or read request fails.
    // The serial numbers read are kept for the lot's shipped lines.
    bool verifyDescriptors(adapter::ControlHandle& handle);
    // Every address read back carries the start address's vendor part (on a new handle).
    // The addresses read are kept for the lot's shipped lines.
    bool verifyVendorPart(uint32_t found);
    // Opens the station's handle (within a step); on failure message 13 and false.
    bool openControlDevice();

    // The last installation check's result (the cycle goes on whatever it is).
    InstallResult lastInstallResult() const { return installResult_; }

private:
    void message(uint32_t stringId, ui::Icon icon, ui::Buttons buttons = ui::Buttons::Ok);
    ui::Answer ask(const std::string& text, ui::Icon icon, ui::Buttons buttons);
    bool takeInputs();
    bool driverVersionOk();
    uint32_t chipRevision();
    bool packageRefuses();
    std::string errorText(uint32_t error);
    std::string failureText(uint32_t error);
    // ---- The production ledger's part of a press (press_ledger.h).
    // Counts the adapters on the step's handle, asks the guard and writes the issued lines
    // (a shared ledger's placement goes into the request); an outcome refuses the press
    // before the request.
    std::optional<Outcome> issueLot(adapter::ProgramRequest& request);
    void placeLot(adapter::ProgramRequest& request);
    // The lot reached the request and is not recorded.
    void voidLot(std::string_view reason);
    // The lot is recorded: its adapters as read back. False when the ledger could not
    // write them (reported).
    bool shipLot(const adapter::ProgramReply& reply);
    // Refused before the request: the range's record put back.
    Outcome notProgrammed();

    StationPorts& ports_;
    ui::DialogView& view_;
    CycleHost& host_;
    settings::SettingsStore& store_;
    AddressPlan& plan_;
    StationData& data_;
    PressLedger& ledger_;
    AddressTexts startBoxes_;
    InstallResult installResult_ = InstallResult::NothingToCheck;
    AddressPlan::RangeRecords rangeBefore_;   // the range's records before this press
    std::string diagnosticsDetail_ = diagnosticsDetail(false, std::nullopt);
    std::optional<uint64_t> lot_;             // the ledger's lot, once issued
    std::optional<ledger::IssueResult> placement_;  // a shared ledger's reservation of this press's lot
    std::vector<uint8_t> readBack_;           // the addresses of the vendor-part verification
    std::vector<std::string> serials_;        // the serial numbers read back, by device number - 1
};

}  // namespace lt::progstation
