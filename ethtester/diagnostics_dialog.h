// diagnostics_dialog.h: EthTester's main dialog: the settings it loads, the test choice,
// Start and Exit, auto mode, and the messages and log of a run.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "common/adapter/control_device.h"
#include "common/adapter/training_mode.h"
#include "common/platform/error_texts.h"
#include "common/platform/system_paths.h"
#include "common/settings/settings_store.h"
#include "common/ui/dialog_logic.h"
#include "common/ui/strings.h"
#include "ethtester/diagnostic_log.h"
#include "ethtester/diagnostics_result.h"
#include "ethtester/error_box.h"
#include "ethtester/local_clock.h"
#include "ethtester/log_files.h"
#include "ethtester/run_ports.h"
#include "ethtester/worker_threads.h"

namespace lt::ethtester {

// What the dialog needs from the program around it.
struct DiagnosticsPorts {
    ui::Strings& strings;
    settings::SettingsStore& settings;
    platform::SystemPaths& system;
    adapter::ControlDevice& device;
    platform::ErrorTexts& errorTexts;
    ErrorBox& errorBox;
    WorkerThreads& threads;
    RunIdleEvent& runIdle;
    Clock& clock;
    LogFiles& logFiles;
    adapter::TrainingMode training = {};  // the training build: `device` is the simulated bench
};

class DiagnosticsDialog : public ui::DialogLogic, private Reporter, private TitleSink {
public:
    static constexpr const char* kTitle = "Ethernet Diagnostic Tool";
    static constexpr const char* kModuleName = "USB-Ethernet Diagnostics";

    explicit DiagnosticsDialog(DiagnosticsPorts ports);
    ~DiagnosticsDialog() override;

    void onInit() override;
    // Enter, Escape and the close box do nothing: only Exit closes the dialog.
    void onOk() override {}
    void onCancel() override {}
    void onCommand(int id, ui::Notify code) override;
    void onTimer(int timerId) override;

    void start();
    void exit();

    bool autoMode() const { return autoMode_; }
    const TestSelection& selection() const { return selection_; }
    bool stopRequested() const { return stopRequested_.load() != 0; }
    // The program's exit code: the TestResult of the last test run (0 passed), kNoRun when
    // none was made.
    TestResult exitCode() const { return lastResult_; }

private:
    void applyEnableRule();
    bool driverCheck();
    void restoreAfterPass();
    void setRunControls(bool on);
    // The training build's mark, "" in the production build.
    std::string trainingMark() const;

    // Reporter
    void showStatus(uint32_t id) override;
    void logMessage(uint32_t id) override;
    void reportError(uint32_t messageId, uint32_t systemError, uint32_t apiNameId, bool log) override;
    void logLine(const char* text) override;
    // TitleSink
    void setTitle(const char* text) override;

    DiagnosticsPorts ports_;
    DiagnosticLog log_;
    std::atomic<int> stopRequested_{0};  // set by Exit only, never cleared
    TestSelection selection_;
    bool autoMode_ = false;
    bool runActive_ = false;  // a Start has passed the driver check
    TestResult lastResult_ = kNoRun;
};

}  // namespace lt::ethtester
