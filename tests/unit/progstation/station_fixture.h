// station_fixture.h: ProgStation under test: its dialogs on the fake view over the real resource script, its files on a mapped drive C: in a folder of its own, its ledger in memory (or on a ledger server), the native bench as the adapter driver, and fakes for the registry, pauses, launcher and error texts.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "bench/bench_device.h"
#include "common/adapter/requests.h"
#include "common/login/login_dialogs.h"
#include "common/platform/error_texts.h"
#include "portable/file_system_portable.h"
#include "portable/profile_files_portable.h"
#include "progstation/ledger/file_ledger.h"
#include "progstation/station_dialog.h"
#include "resources/progstation_ids.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_ledger_ports.h"
#include "tests/fakes/fake_password_files.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/unit/progstation/fake_pauses.h"
#include "tests/unit/progstation/fake_registry.h"

namespace lt::test {

// Drive C: of the station: "C:\windows\EpromData.ini" is <folder>/C/windows/EpromData.ini.
// A path without a drive (as a missing Windows directory gives) lands in <folder>/nodrive.
struct DriveC {
    std::filesystem::path root;
    std::string map(const std::string& path) const;
    std::filesystem::path host(const std::string& windowsPath) const;
};

// The profile files on drive C:, with every access logged in order as
// "read|write|delete|section Name.ini [SECTION] key=value" (file name only). A change of
// several keys is made as one, as the real profile files make it.
struct MappedProfiles : settings::ProfileFiles {
    explicit MappedProfiles(const DriveC& drive) : drive(drive) {}
    const DriveC& drive;
    settings::PortableProfileFiles files;
    std::vector<std::string>* log = nullptr;

    // A file held open by another program without delete sharing: after `allowed` more
    // changes of it (a change of several keys counts once), every change fails and leaves
    // the file as it is, as the Win32 replace gives up then, until `hold` is reset. Refused
    // writes are logged as "refused write ...".
    struct Hold {
        std::string file;  // the file name, "EpromData.ini"
        int allowed = 0;
        int refused = 0;   // changes refused so far
    };
    std::optional<Hold> hold;
    void holdAfter(int allowed, const std::string& file = "EpromData.ini") { hold = Hold{file, allowed, 0}; }

    std::string readString(const std::string& path, std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) override;
    uint32_t readInt(const std::string& path, std::string_view section, std::string_view key,
                     int32_t defaultValue) override;
    bool writeString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override;
    bool deleteKey(const std::string& path, std::string_view section, std::string_view key) override;
    bool deleteSection(const std::string& path, std::string_view section) override;
    bool writeSection(const std::string& path, std::string_view section,
                      std::span<const std::string> lines) override;
    bool writeStrings(const std::string& path, std::span<const settings::ProfileWrite> writes) override;

private:
    bool refuses(const std::string& path);
};

// The files and folders of drive C:; each clear of the read-only attribute is logged as
// "clear Name.ini".
struct MappedFiles : platform::FileSystem {
    explicit MappedFiles(const DriveC& drive) : drive(drive) {}
    const DriveC& drive;
    platform::PortableFileSystem files;
    std::vector<std::string>* log = nullptr;
    bool exists(const std::string& path) override { return files.exists(drive.map(path)); }
    bool directoryExists(const std::string& path) override { return files.directoryExists(drive.map(path)); }
    bool createDirectory(const std::string& path) override { return files.createDirectory(drive.map(path)); }
    bool copyFile(const std::string& from, const std::string& to) override {
        return files.copyFile(drive.map(from), drive.map(to));
    }
    std::optional<std::string> fullPath(const std::string& path) override { return files.fullPath(drive.map(path)); }
    bool clearReadOnly(const std::string& path) override;
};

struct FakeErrorTexts : platform::ErrorTexts {
    std::map<uint32_t, std::string> texts;
    std::string text(uint32_t code) override {
        auto it = texts.find(code);
        return it == texts.end() ? std::string() : it->second;
    }
};

// EthTester as the station starts it: the programs present start (and `onRun` runs
// while the station waits) and end with `exitCode`; the others fail to start.
struct FakeLauncher : progstation::ProcessLauncher {
    std::set<std::string> present;
    std::vector<std::string> attempts;
    std::vector<std::string> runs;
    std::function<void(const std::string&)> onRun;
    std::optional<uint32_t> exitCode = 0;
    progstation::ProgramEnd runAndWait(const std::string& path) override {
        attempts.push_back(path);
        if (!present.count(path)) return {};
        runs.push_back(path);
        if (onRun) onRun(path);
        return {true, exitCode};
    }
};

// The control device with its open handles counted and its requests logged by name.
struct CountingDevice : adapter::ControlDevice {
    explicit CountingDevice(adapter::ControlDevice& inner) : inner(inner) {}
    adapter::ControlDevice& inner;
    int live = 0;    // handles open now
    int opened = 0;  // handles opened so far
    std::vector<std::string> requests;
    std::vector<adapter::ProgramRequest> programRequests;  // as the driver decodes them
    std::function<void()> onProgram;  // runs as each programming request arrives
    std::unique_ptr<adapter::ControlHandle> open(uint32_t& error) override;
    int count(const std::string& name) const;
};

// Whether `text` is the string-table `pattern` with some text in place of each "%s".
inline bool fitsPattern(std::string_view text, std::string_view pattern) {
    const std::size_t hole = pattern.find("%s");
    if (hole == std::string_view::npos) return text == pattern;
    if (text.substr(0, hole) != pattern.substr(0, hole)) return false;
    for (std::size_t filled = hole; filled <= text.size(); ++filled)
        if (fitsPattern(text.substr(filled), pattern.substr(hole + 2))) return true;
    return false;
}

// An address as one number (byte 1 most significant), for ordering and comparing ranges.
inline uint64_t addressNumber(const adapter::MacAddress& a) {
    uint64_t n = 0;
    for (uint8_t b : a) n = n << 8 | b;
    return n;
}

// One station with everything around it. StationTest is the tests' fixture of one station;
// a test of several stations (or a program that runs one) makes more of these.
struct StationRig {
    // `folder`: where drive C: and the bench file live, kept as they are (a station started
    // again in it finds its files and its bench); empty: a temporary folder of its own,
    // removed with the rig. The bench file is created with four fresh adapters when missing.
    explicit StationRig(const std::filesystem::path& folder = {});
    virtual ~StationRig() = default;
    StationRig(const StationRig&) = delete;
    StationRig& operator=(const StationRig&) = delete;

    std::unique_ptr<TempDir> temp;  // the rig's own folder when none was given
    std::filesystem::path folder;
    DriveC drive{folder};
    std::vector<std::string> fileLog;
    MappedProfiles profiles{drive};
    MappedFiles files{drive};
    FakeSystemPaths system;
    FakePauses pauses;
    FakeErrorTexts errors;
    const RcFile& rc = programResources("progstation.rc");
    RcStrings strings{rc};
    std::string benchPath = (folder / "bench.txt").string();
    bench::BenchDevice benchDevice{benchPath};
    CountingDevice device{benchDevice};
    FakeRegistry registry;
    FakeLauncher launcher;
    adapter::TrainingMode training;  // the production build unless a test makes it training
    FakePasswordFiles passwordFiles;
    login::LoginState loginState;
    login::PasswordStore passwordStore{passwordFiles, system};
    login::InlineLoginTexts loginTexts;
    // The ledger file, kept across the station's restarts; each start() reads it anew.
    FakeLedgerFiles ledgerFiles;
    FakeLedgerClock ledgerClock;
    FakeComputerName computer;
    std::optional<ledger::FileLedger> ledger;
    // The ledger on a server, as main.cpp picks it: when `makeServerLedger` is set and
    // [LEDGER] Connection of the station's EthernetDiagnostic.ini is not empty, each start()
    // has it make the station's ledger from the connection string and the station's name (as
    // main.cpp reads them), and no AddressLedger.csv is used. The shared-mode tests give a
    // ServerLedger; unset (every other test), the station keeps its own file.
    std::function<std::unique_ptr<ledger::AddressLedger>(const std::string& connection, const std::string& station)>
        makeServerLedger;
    std::unique_ptr<ledger::AddressLedger> serverLedger;
    std::optional<progstation::StationDialog> station;
    std::optional<FakeDialog> view;
    // Answers the message boxes that no answer was queued for, in every view start() opens
    // (FakeSession::decide); unset, they get their default button.
    std::function<ui::Answer(const ShownMessage& box)> decide;

    static constexpr const char* kLedgerPath = "C:\\windows\\AddressLedger.csv";
    static constexpr const char* kStationName = "LINE-1";
    // A new ledger object on the same file (or server), as a restarted station has.
    ledger::AddressLedger& freshLedger();
    ledger::AddressLedger& currentLedger() {
        if (serverLedger) return *serverLedger;
        return ledger ? *ledger : freshLedger();
    }
    progstation::StationPorts ports() {
        return {profiles, files, system, pauses, errors, strings, device, registry, launcher, currentLedger(),
                training};
    }
    // Opens the main dialog.
    void start();
    // Ends the station through Exit (when it still runs).
    void exit();

    // ---- Files.
    std::string windowsFile(const std::string& name) const { return "C:\\windows\\" + name; }
    std::string read(const std::string& file, const std::string& section, const std::string& key);
    void write(const std::string& file, const std::string& section, const std::string& key, const std::string& value);
    std::string eprom(const std::string& section, const std::string& key = "COUNT") {
        return read("EpromData.ini", section, key);
    }
    std::array<std::string, 6> epromAddress(const std::string& section);
    // EthernetDiagnostic.ini with the three station options.
    void stationOptions(int overwrite, int verifyAddresses, int launchDiagnostics);
    // The stand-in driver package in C:\UsbMac.
    void installPackage();
    // A range in progress: start address, declared count, last address and count so far.
    void rangeInProgress(const std::array<std::string, 6>& start, const std::string& count,
                         const std::array<std::string, 6>& last, const std::string& programmed);

    // ---- Ledger.
    std::string& ledgerFile() { return ledgerFiles.files[kLedgerPath]; }
    // The ledger's records in file order (a line that is not a record fails the test).
    std::vector<ledger::Record> ledgerRecords();
    // How many records of `event` there are (for `mac` only, when given).
    int ledgerCount(ledger::Event event, std::optional<adapter::MacAddress> mac = std::nullopt);
    // The addresses that have a `shipped` line since their last `reissued` one (of a lot that
    // shipped it: a re-issue whose lot was voided did not take place), and how many.
    std::map<uint64_t, int> shippedSinceReissue();
    // The operator's login for the guard's Yes: the station password typed and Enter.
    void loginNext();

    // ---- Bench (the shared helpers of tests/support/bench_support.h on this bench file).
    void bench(std::vector<std::string> command) { benchctl(benchPath, std::move(command)); }
    std::vector<std::string> benchLines() { return benchShow(benchPath); }
    // The address each adapter of the bench holds, adapter 1 first.
    std::vector<adapter::MacAddress> benchAddresses() { return test::benchAddresses(benchPath); }

    // A fresh set of `n` adapters on the bench.
    void freshLot(int n) {
        bench({"unplug", "all"});
        bench({"plug", std::to_string(n)});
    }

    // ---- The main dialog.
    // The start address most tests open their range at.
    static inline const std::array<std::string, 6> kRangeStart{"00", "1B", "4E", "7A", "01", "00"};
    // Opens the station (when not open), fills the start address and count, presses Start.
    void press(const std::array<std::string, 6>& startAddress = kRangeStart, const std::string& count = "10") {
        if (!view || view->ended()) start();
        setStart(startAddress);
        view->setText(IDC_DEVICE_COUNT, count);
        view->messages().clear();
        view->click(IDC_START);
    }
    void setStart(const std::array<std::string, 6>& texts);
    std::array<std::string, 6> startBoxes();
    std::array<std::string, 6> lastBoxes();
    std::vector<std::string> messageTexts();
    std::string status() { return view->text(IDC_STATUS); }
    std::string text(uint32_t id) { return strings.text(id); }
};

struct StationTest : ::testing::Test, StationRig {};

}  // namespace lt::test
