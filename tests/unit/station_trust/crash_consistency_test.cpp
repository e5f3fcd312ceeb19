// crash_consistency_test.cpp: the station stopped at each write of a lot's records and ledger lines (and right before the programming request), restarted on the files as left, and the lot retried.
//
// The stop is modelled at the ports: from the chosen step on (a change of a settings file,
// an append to the ledger, or the programming request), no change reaches the disk and the
// driver answers nothing, as if the process had ended there; an append that the stop hits
// leaves the first part of its bytes, as a cut-short line. A change of several keys at
// once goes to the disk as one change, as the real profile files make it. Afterwards a new
// station starts on the files as left and the same adapters are pressed again; no address
// of a lot recorded before may come out again, no address the ledger holds as shipped may
// be programmed without the guard's question, and every recorded address has exactly one
// shipped line.
// The same holds when the records file is held open by another program from a chosen
// change of a press on (the changes fail, the station goes on), whether the same station
// goes on or a new one starts once the file is released.
#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "bench/bench_file.h"
#include "common/adapter/ioctl_codes.h"
#include "common/adapter/mac_address.h"
#include "tests/unit/faults/faulty_device.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using adapter::MacAddress;

namespace {

using Texts = std::array<std::string, 6>;


// The station's profile files on drive C:, where every change counts as a step, and the
// steps from `stopAt` (from 1) on are lost.
struct StoppingProfiles : settings::ProfileFiles {
    explicit StoppingProfiles(const DriveC& d) : drive(d) {}
    const DriveC& drive;
    settings::PortableProfileFiles files;
    int changes = 0;  // changes of the settings files
    int steps = 0;    // those, the ledger's appends and the programming requests
    int stopAt = 0;  // 0: never
    // The files held open by another program from change `holdAt` on (0: never): those
    // changes fail and leave the files as they were, but the station and the driver go on.
    int holdAt = 0;
    int refused = 0;
    bool stopped() const { return stopAt != 0 && steps >= stopAt; }
    // A step that is no change of a settings file (the other program holds only those).
    bool step() {
        ++steps;
        return !stopped();
    }
    bool change() {
        ++changes;
        ++steps;
        if (holdAt != 0 && changes >= holdAt) {
            ++refused;
            return false;
        }
        return !stopped();
    }

    std::string readString(const std::string& path, std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) override {
        return files.readString(drive.map(path), section, key, defaultValue, bufferSize);
    }
    uint32_t readInt(const std::string& path, std::string_view section, std::string_view key,
                     int32_t defaultValue) override {
        return files.readInt(drive.map(path), section, key, defaultValue);
    }
    bool writeString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override {
        return change() && files.writeString(drive.map(path), section, key, value);
    }
    bool writeStrings(const std::string& path, std::span<const settings::ProfileWrite> writes) override {
        return change() && files.writeStrings(drive.map(path), writes);
    }
    bool deleteKey(const std::string& path, std::string_view section, std::string_view key) override {
        return change() && files.deleteKey(drive.map(path), section, key);
    }
    bool deleteSection(const std::string& path, std::string_view section) override {
        return change() && files.deleteSection(drive.map(path), section);
    }
    bool writeSection(const std::string& path, std::string_view section,
                      std::span<const std::string> lines) override {
        return change() && files.writeSection(drive.map(path), section, lines);
    }
};

// Once the profiles have stopped, the driver is gone too.
struct StoppingDevice : adapter::ControlDevice {
    StoppingDevice(adapter::ControlDevice& d, StoppingProfiles& p) : inner(d), profiles(p) {}
    adapter::ControlDevice& inner;
    StoppingProfiles& profiles;
    struct Handle : adapter::ControlHandle {
        std::unique_ptr<adapter::ControlHandle> handle;
        StoppingProfiles& profiles;
        Handle(std::unique_ptr<adapter::ControlHandle> h, StoppingProfiles& p) : handle(std::move(h)), profiles(p) {}
        bool request(uint32_t code, std::span<const uint8_t> input, std::span<uint8_t> reply,
                     uint32_t& error) override {
            // The programming request is a step of its own: a stop there ends the station
            // after its issued lines and before anything is programmed.
            if (code == adapter::IOCTL_PROGRAM_EEPROM) profiles.step();
            if (profiles.stopped()) {
                error = 31;
                return false;
            }
            return handle->request(code, input, reply, error);
        }
    };
    std::unique_ptr<adapter::ControlHandle> open(uint32_t& error) override {
        if (profiles.stopped()) {
            error = 2;
            return nullptr;
        }
        auto h = inner.open(error);
        return h ? std::make_unique<Handle>(std::move(h), profiles) : nullptr;
    }
};

// The ledger's file, where an append counts as a change and the one the stop hits keeps
// the first half of its bytes.
struct StoppingLedgerFiles : ledger::LedgerFiles {
    StoppingLedgerFiles(ledger::LedgerFiles& f, StoppingProfiles& p) : files(f), profiles(p) {}
    ledger::LedgerFiles& files;
    StoppingProfiles& profiles;
    ledger::FileResult read(const std::string& path, const std::function<void(std::string_view)>& sink) override {
        return files.read(path, sink);
    }
    ledger::FileResult append(const std::string& path, std::string_view bytes,
                              std::optional<uint64_t> expectedSize) override {
        const bool wasStopped = profiles.stopped();
        if (profiles.step()) return files.append(path, bytes, expectedSize);
        if (!wasStopped) files.append(path, bytes.substr(0, bytes.size() / 2), expectedSize);
        return {ledger::FileStatus::Failed, 21};
    }
};

struct CrashConsistency : StationTest {
    StoppingProfiles stopping{drive};
    StoppingDevice stoppingDevice{device, stopping};
    StoppingLedgerFiles stoppingLedgerFiles{ledgerFiles, stopping};
    std::optional<ledger::FileLedger> stoppingLedger;

    CrashConsistency() {
        stationOptions(0, 0, 0);
        installPackage();
    }


    void startStopping() {
        stoppingLedger.emplace(stoppingLedgerFiles, ledgerClock, kLedgerPath, kStationName);
        station.emplace(progstation::StationPorts{stopping, files, system, pauses, errors, strings,
                                                  stoppingDevice, registry, launcher, *stoppingLedger},
                        login::LoginContext{loginState, passwordStore, loginTexts, login::kStationLogin});
        view.emplace(rc, IDD_PROGSTATION);
        view->open(*station);
    }

    void pressStart(const Texts& start, const std::string& count) {
        setStart(start);
        view->setText(IDC_DEVICE_COUNT, count);
        view->answerNext(ui::Answer::Ignore);  // the adapters may hold addresses of the range
        view->click(IDC_START);
    }
};

const Texts kStart{"00", "1B", "4E", "7A", "01", "00"};

}  // namespace

TEST_F(CrashConsistency, aStationStoppedAtAnyWriteOfALotHandsOutNoRecordedAddressAgainAfterItsRestart) {
    // Lot 1 opens a range of 12 (range records, then the lot's), lot 2 continues it. The
    // station is stopped at each step of one lot's press in turn, and once after its last.
    for (int stoppedLot = 1; stoppedLot <= 2; ++stoppedLot) {
        for (int k = 1;; ++k) {
            SCOPED_TRACE("lot " + std::to_string(stoppedLot) + " stopped at its step " + std::to_string(k));
            view.reset();
            station.reset();
            std::filesystem::remove(drive.host(windowsFile("EpromData.ini")));
            ledgerFiles.files.clear();  // a station with no records has no ledger either
            stopping.stopAt = 0;
            startStopping();
            std::set<uint64_t> recorded;
            bool lastChangeReached = false;
            for (int lot = 1; lot <= stoppedLot; ++lot) {
                bench({"create", "4"});
                const int before = stopping.steps;
                if (lot == stoppedLot) stopping.stopAt = before + k;
                pressStart(kStart, "12");
                if (lot == stoppedLot) lastChangeReached = stopping.steps - before < k;
                if (eprom("PREVIOUSDEVCOUNT") == std::to_string(4 * lot)) {
                    for (const MacAddress& a : benchAddresses()) recorded.insert(addressNumber(a));
                }
            }
            const bool stoppedLotRecorded = recorded.size() == std::size_t(4 * stoppedLot);

            // A new station on the files as left; the same adapters pressed again with the
            // inputs it restores, then a fresh lot.
            stopping.stopAt = 0;
            view.reset();
            station.reset();
            startStopping();
            for (int retry = 0; retry < 2; ++retry) {
                const std::map<uint64_t, int> shippedBefore = shippedSinceReissue();
                const std::size_t requestsBefore = device.programRequests.size();
                view->messages().clear();
                view->answerNext(ui::Answer::Ignore);
                view->click(IDC_START);
                ASSERT_FALSE(view->ended()) << ::testing::PrintToString(messageTexts());
                bool asked = false;
                for (const auto& m : view->messages()) asked |= fitsPattern(m.text, text(IDS_LEDGER_GUARD));
                for (const MacAddress& a : benchAddresses()) {
                    EXPECT_FALSE(recorded.count(addressNumber(a)))
                        << "address " << adapter::formatUpper(a) << " handed out again (the stopped lot "
                        << (stoppedLotRecorded ? "was" : "was not") << " recorded)";
                    if (device.programRequests.size() != requestsBefore && !asked) {
                        EXPECT_FALSE(shippedBefore.count(addressNumber(a)))
                            << "shipped address " << adapter::formatUpper(a) << " programmed without the question";
                    }
                }
                for (uint64_t a : recorded) EXPECT_EQ(shippedSinceReissue()[a], 1) << "recorded address " << a;
                bench({"create", "4"});
            }
            EXPECT_EQ(device.live, 0);
            if (lastChangeReached) break;
        }
    }
}

TEST_F(CrashConsistency, aRecordsFileHeldByAnotherProgramFromAnyChangeOfALotNeverLetsARecordedAddressOutAgain) {
    // A range of 8 in lots of 4: lot 1's press changes the file twice (range, lot), lot 2's
    // three times (range, lot, completion). The file is held from change k of one press to
    // its end, then released; the same station goes on, or a new one starts on the files as
    // left. Then the same adapters are pressed again and two fresh lots follow.
    for (int heldLot = 1; heldLot <= 2; ++heldLot) {
        for (int k = 1; k <= heldLot + 1; ++k) {
            for (const bool restart : {false, true}) {
                SCOPED_TRACE("lot " + std::to_string(heldLot) + " held from its change " + std::to_string(k) +
                             (restart ? ", then restarted" : ", the same station going on"));
                view.reset();
                station.reset();
                std::filesystem::remove(drive.host(windowsFile("EpromData.ini")));
                ledgerFiles.files.clear();  // a station with no records has no ledger either
                stopping.stopAt = 0;
                stopping.holdAt = 0;
                startStopping();
                std::set<uint64_t> recorded;
                auto pressAndCollect = [&](const std::function<void()>& act) {
                    const Texts lastBefore = epromAddress("PREVIOUSMACADDR");
                    view->messages().clear();
                    act();
                    view->session().answers.clear();
                    ASSERT_FALSE(view->ended()) << ::testing::PrintToString(messageTexts());
                    // What the station says and what the file holds agree (a lot given the
                    // very addresses of the last recorded one would leave the file alike).
                    bool said = status() == text(IDS_LOT_PROGRAMMED);
                    for (const auto& m : view->messages())
                        said |= m.text == text(IDS_RANGE_COMPLETE) || fitsPattern(m.text, text(IDS_END_NOT_RECORDED));
                    const bool lotRecorded = epromAddress("PREVIOUSMACADDR") != lastBefore;
                    EXPECT_EQ(said, lotRecorded) << ::testing::PrintToString(messageTexts());
                    for (const MacAddress& a : benchAddresses()) {
                        if (!lotRecorded) continue;
                        EXPECT_TRUE(recorded.insert(addressNumber(a)).second)
                            << "address " << adapter::formatUpper(a) << " handed out again";
                    }
                };
                for (int lot = 1; lot <= heldLot; ++lot) {
                    bench({"create", "4"});
                    if (lot == heldLot) {
                        stopping.refused = 0;
                        stopping.holdAt = stopping.changes + k;
                    }
                    pressAndCollect([&] { pressStart(kStart, "8"); });
                    if (lot != heldLot) continue;
                    // The refused record is reported, never shown as a success.
                    const uint32_t expected[] = {IDS_RANGE_NOT_RECORDED, IDS_LOT_NOT_RECORDED, IDS_END_NOT_RECORDED};
                    bool reported = false;
                    for (const auto& m : view->messages()) {
                        EXPECT_NE(m.text, text(IDS_RANGE_COMPLETE));
                        reported |= m.icon == ui::Icon::Stop && fitsPattern(m.text, text(expected[k - 1]));
                    }
                    EXPECT_TRUE(reported) << ::testing::PrintToString(messageTexts());
                    EXPECT_NE(status(), text(IDS_LOT_PROGRAMMED));
                    EXPECT_GT(stopping.refused, 0);
                }
                stopping.holdAt = 0;
                if (restart) {
                    view.reset();
                    station.reset();
                    startStopping();
                }
                // The same adapters again, then fresh lots, with what the station offers (a
                // count typed where it offers none).
                for (int press = 0; press < 3; ++press) {
                    if (press > 0) bench({"create", "4"});
                    pressAndCollect([&] {
                        const std::string count = view->text(IDC_DEVICE_COUNT);
                        if (count.empty() || count == "0") view->setText(IDC_DEVICE_COUNT, "8");
                        view->answerNext(ui::Answer::Ignore);
                        view->click(IDC_START);
                    });
                }
                EXPECT_EQ(device.live, 0);
            }
        }
    }
}
