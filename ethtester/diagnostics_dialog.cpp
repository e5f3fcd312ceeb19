// diagnostics_dialog.cpp: EthTester's main dialog.
#include "ethtester/diagnostics_dialog.h"

#include <cstdio>

#include "common/adapter/driver_contract.h"
#include "common/adapter/requests.h"
#include "common/ui/data_exchange.h"
#include "ethtester/diagnostics_run.h"
#include "common/ui/strings.h"
#include "ethtester/eeprom_details_dialog.h"
#include "resources/ethtester_ids.h"

namespace lt::ethtester {
namespace {

constexpr int kAutoTimer = 1;
constexpr uint32_t kAutoDelay = 200;  // ms after the dialog opens
constexpr std::size_t kMaxMessage = 1023;
constexpr uint32_t kMaxPacketCount = 100000;
constexpr int32_t kMaxPacketSize = 1514;

constexpr int kTestBoxes[] = {IDC_REGISTER_TEST, IDC_QUICK_LOOPBACK, IDC_LONG_LOOPBACK, IDC_EXTERNAL_LOOPBACK};

// The settings of EthernetDiagnostic.ini that the tester shows, each bound to its control
// (the tester's column of the table; kNoControl for the station's options).
#define LT_TESTER_CONTROL(member, kind, key, editorControl, testerControl) \
    settings::DiagnosticControl{LT_DIAGNOSTIC_FIELD(member, key), testerControl},
constexpr settings::DiagnosticControl kSettingsControls[] = {LT_DIAGNOSTIC_SETTINGS(LT_TESTER_CONTROL)};
#undef LT_TESTER_CONTROL

using settings::Reader;
namespace keys = settings::keys;

}  // namespace

DiagnosticsDialog::DiagnosticsDialog(DiagnosticsPorts ports) : ports_(ports), log_(ports.clock, ports.logFiles) {
    log_.setHeaderNote(trainingMark());
}

std::string DiagnosticsDialog::trainingMark() const {
    if (!ports_.training.active) return {};
    return ui::fillIn(ports_.strings.text(IDS_TRAINING_MARK), {ports_.training.benchFile});
}

// The log is closed when the dialog goes, also after a Start that ended early.
DiagnosticsDialog::~DiagnosticsDialog() { log_.close(); }

void DiagnosticsDialog::onInit() {
    view().setIcon(IDI_ETHTESTER);
    if (ports_.training.active) view().showNotice(IDC_TRAINING_MARK, trainingMark());
    if (!ports_.system.isRecommendedSystem())
        view().messageBox(ports_.strings.text(IDS_RECOMMENDED_SYSTEM), ui::Icon::Information, ui::Buttons::Ok);

    // Without long or external loopback the store gives "1" for both packet values, and
    // their boxes are disabled.
    const settings::DiagnosticSettings s = ports_.settings.loadDiagnosticSettings(Reader::EthTester);
    for (const auto& [field, id] : kSettingsControls) {
        if (id == settings::kNoControl) continue;
        if (field.flag) {
            view().setChecked(id, s.*field.flag != 0);
        } else {
            view().setText(id, s.*field.text);
            view().enable(id, s.packetsUsed());
        }
    }

    if (ports_.settings.readNumber(keys::DiagnosticsMode, Reader::EthTester) != 0) {
        autoMode_ = true;
        view().startTimer(kAutoTimer, kAutoDelay);
    }
}

void DiagnosticsDialog::onCommand(int id, ui::Notify code) {
    if (code != ui::Notify::Clicked) return;
    switch (id) {
        case IDC_LONG_LOOPBACK:
        case IDC_EXTERNAL_LOOPBACK: applyEnableRule(); break;
        case IDC_START: start(); break;
        case IDC_EXIT: exit(); break;
        case IDC_SHOW_EEPROM: {
            EepromDetailsDialog details(ports_.device, trainingMark());
            view().runChild(IDD_EEPROM_DETAILS, details);
            break;
        }
        default: break;
    }
}

void DiagnosticsDialog::onTimer(int timerId) {
    if (timerId != kAutoTimer) return;
    view().stopTimer(kAutoTimer);
    start();
}

void DiagnosticsDialog::applyEnableRule() {
    const bool packets = view().checked(IDC_LONG_LOOPBACK) || view().checked(IDC_EXTERNAL_LOOPBACK);
    view().enable(IDC_PACKET_COUNT, packets);
    view().enable(IDC_PACKET_SIZE, packets);
}

void DiagnosticsDialog::start() {
    uint32_t count = 0;
    int32_t size = 0;
    if (!ui::exchangeUnsigned(view(), IDC_PACKET_COUNT, count) ||
        !ui::checkRange(view(), IDC_PACKET_COUNT, count, 1, kMaxPacketCount) ||
        !ui::exchangeSigned(view(), IDC_PACKET_SIZE, size) ||
        !ui::checkRange(view(), IDC_PACKET_SIZE, size, 1, kMaxPacketSize))
        return;

    TestSelection s = selection_;  // count and size keep their values unless captured below
    s.registerTest = view().checked(IDC_REGISTER_TEST);
    s.quickLoopback = view().checked(IDC_QUICK_LOOPBACK);
    s.longLoopback = view().checked(IDC_LONG_LOOPBACK);
    s.externalLoopback = view().checked(IDC_EXTERNAL_LOOPBACK);
    s.logging = view().checked(IDC_ENABLE_LOGGING);
    if (!s.registerTest && !s.quickLoopback && !s.longLoopback && !s.externalLoopback) {
        view().messageBox("Select any test", ui::Icon::None, ui::Buttons::Ok);
        return;
    }
    const bool packets = s.longLoopback || s.externalLoopback;
    if (packets) {
        s.packetCount = count;
        s.packetSize = size;
    }
    selection_ = s;
    const std::string logPath = ports_.system.currentDirectory().value_or("") + "\\USBEthDiagnostics.log";

    setRunControls(false);

    log_.open(kModuleName, logPath, true, s.logging);
    const std::pair<bool, uint32_t> chosen[] = {{s.registerTest, IDS_REGISTER_SELECTED},
                                                {s.quickLoopback, IDS_QUICK_SELECTED},
                                                {s.longLoopback, IDS_LONG_SELECTED},
                                                {s.externalLoopback, IDS_EXTERNAL_SELECTED}};
    for (const auto& [on, id] : chosen)
        if (on) logMessage(id);
    if (packets) {
        char line[64];
        std::snprintf(line, sizeof line, "PacketCount-%u", s.packetCount);
        log_.writeLine(line);
        std::snprintf(line, sizeof line, "PacketSize-%d", s.packetSize);
        log_.writeLine(line);
    }

    if (!driverCheck()) {
        exit();
        return;  // the log closes when the dialog goes
    }

    runActive_ = true;
    TestRun run(ports_.device, ports_.threads, ports_.runIdle, *this, *this, stopRequested_);
    const TestResult result = run.runTests(selection_);
    lastResult_ = result;
    if (result == kPassed) {
        view().setTitle(kTitle);
        if (autoMode_)
            exit();
        else
            restoreAfterPass();
    } else {
        exit();
    }
    log_.close();
}

bool DiagnosticsDialog::driverCheck() {
    const bool logging = selection_.logging;
    uint32_t error = 0;
    auto handle = ports_.device.open(error);
    if (!handle) {
        reportError(IDS_ERR_NOT_CONNECTED, error, IDS_API_CREATEFILE, logging);
        return false;
    }
    uint16_t word0 = 0, word1 = 0;
    if (!adapter::getDriverVersion(*handle, word0, word1, error)) {
        reportError(IDS_ERR_DRIVER_VERSION, error, IDS_API_DEVICEIOCONTROL, logging);
        return false;
    }
    if (!adapter::isSupportedDriverVersion(word0, word1)) {
        reportError(IDS_ERR_DRIVER_VERSION, 0, 0, logging);
        return false;
    }
    return true;
}

void DiagnosticsDialog::setRunControls(bool on) {
    for (int id : kTestBoxes) view().enable(id, on);
    view().enable(IDC_ENABLE_LOGGING, on);
    view().enable(IDC_PACKET_COUNT, on);
    view().enable(IDC_PACKET_SIZE, on);
    view().enable(IDC_START, on);
}

void DiagnosticsDialog::restoreAfterPass() {
    view().enable(IDC_START, true);
    for (int id : kTestBoxes) view().enable(id, true);
    view().enable(IDC_ENABLE_LOGGING, true);
    view().setChecked(IDC_REGISTER_TEST, selection_.registerTest);
    view().setChecked(IDC_QUICK_LOOPBACK, selection_.quickLoopback);
    view().setChecked(IDC_LONG_LOOPBACK, selection_.longLoopback);
    view().setChecked(IDC_EXTERNAL_LOOPBACK, selection_.externalLoopback);
    const bool packets = selection_.longLoopback || selection_.externalLoopback;
    if (packets) {
        char text[16];
        std::snprintf(text, sizeof text, "%u", selection_.packetCount);
        view().setText(IDC_PACKET_COUNT, text);
        std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(selection_.packetSize));
        view().setText(IDC_PACKET_SIZE, text);
    } else {
        view().setText(IDC_PACKET_COUNT, "1");
        view().setText(IDC_PACKET_SIZE, "1");
    }
    view().enable(IDC_PACKET_COUNT, packets);
    view().enable(IDC_PACKET_SIZE, packets);
}

void DiagnosticsDialog::exit() {
    stopRequested_.store(1, std::memory_order_release);
    showStatus(IDS_EXITING);
    // A worker still running sets the event when it notices the stop; meanwhile the
    // messages it sends (the window title) are served.
    if (runActive_) ports_.runIdle.waitServingSent();
    view().endDialog(ui::kIdCancel);
}

void DiagnosticsDialog::showStatus(uint32_t id) { view().setText(IDC_STATUS, ports_.strings.text(id)); }

void DiagnosticsDialog::logMessage(uint32_t id) {
    std::string text = ports_.strings.text(id);
    if (text.size() > kMaxMessage) text.resize(kMaxMessage);
    log_.writeLine(text.c_str());
}

void DiagnosticsDialog::reportError(uint32_t messageId, uint32_t systemError, uint32_t apiNameId, bool log) {
    std::string message = messageId ? ports_.strings.text(messageId) : std::string();
    std::string text = message;
    if (apiNameId) text += "\nAPI Name: " + ports_.strings.text(apiNameId) + "\n";
    if (systemError) text += "System Error Message: " + ports_.errorTexts.text(systemError);
    if (text.size() > kMaxMessage) text.resize(kMaxMessage);
    if (messageId) ports_.errorBox.show(message);
    if (log) log_.writeLine(text.c_str());
}

void DiagnosticsDialog::logLine(const char* text) { log_.writeLine(text); }

void DiagnosticsDialog::setTitle(const char* text) { view().setTitle(text); }

}  // namespace lt::ethtester
