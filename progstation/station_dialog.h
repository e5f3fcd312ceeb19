// station_dialog.h: ProgStation's main dialog (resource 102): the operator's inputs, the last address handed out, Start/Next and the side actions.
//
// The dialog opens with the station options copied from EthernetDiagnostic.ini and the
// inputs restored from the programming records, runs the programming cycle at each press
// of Start and turns its outcome into the next state: ready for the next lot ("&Next"),
// ready for a new range ("&Start"), or closed. The production ledger is read at the
// opening (a lot the station was stopped in is shown once) and its counters are shown in a
// line of their own, updated after every press. It has no close box; Enter and Escape do
// nothing; every way of closing goes through the Exit action, which leaves
// DIAGNOSTICSMODE AUTO at "0".
#pragma once

#include <optional>
#include <string_view>

#include "common/login/login_dialogs.h"
#include "common/settings/settings_store.h"
#include "common/ui/dialog_logic.h"
#include "progstation/address_plan.h"
#include "progstation/descriptor_inputs.h"
#include "progstation/driver_disk.h"
#include "progstation/press_ledger.h"
#include "progstation/programming_cycle.h"
#include "progstation/station_ports.h"

namespace lt::progstation {

inline constexpr std::string_view kStartCaption = "&Start";
inline constexpr std::string_view kNextCaption = "&Next";
inline constexpr std::string_view kProgramName = "ProgStation";

class StationDialog : public ui::DialogLogic, private CycleHost {
public:
    // Without `disk`, "&Create Disk" does nothing.
    StationDialog(StationPorts ports, login::LoginContext login, std::optional<DriverDiskPorts> disk = std::nullopt)
        : ports_(ports), login_(login), disk_(disk),
          descriptorFile_(ports.profiles, ports.files, ports.system) {}

    void onInit() override;
    void onOk() override {}      // Enter does nothing
    void onCancel() override {}  // nor does Escape
    void onCommand(int id, ui::Notify code) override;
    bool filterChar(int id, char ch) override;

    // For tests: the dialog's data and the last press's cycle.
    const StationData& data() const { return data_; }
    InstallResult lastInstallResult() const { return installResult_; }

    // ---- Operations offered to the cycle.
    void setStatus(uint32_t stringId) override;
    void enterBusy() override;
    void enterIdle();
    void showLastAssigned() override;
    void exitAction() override;

private:
    void press();
    void react(Outcome outcome);
    void completeRange(bool announce);
    void restoreInputs(bool atStartUp);
    void loadStationOptions();
    void showDescriptors();
    void showAddressList();
    void manualDiagnostics();
    void changeDescriptors();
    void createDisk();
    void takeDescriptorBoxes();
    void enableWorkControls(bool on);
    void showCounters();

    StationPorts ports_;
    login::LoginContext login_;
    std::optional<DriverDiskPorts> disk_;
    DescriptorFile descriptorFile_;
    std::optional<settings::SettingsStore> store_;
    std::optional<AddressPlan> plan_;
    std::optional<PressLedger> ledger_;
    StationData data_;
    InstallResult installResult_ = InstallResult::NothingToCheck;
};

}  // namespace lt::progstation
