// station_press_faults_test.cpp: one press of the station's Start with each of its driver requests, and each open of the control device, failing in turn, then the lot retried.
//
// The bench fails the chosen request (its n-th of that code) or open. Whatever the press
// ends in, every handle is closed, and the records and the adapters agree: a recorded lot's
// adapters hold the recorded addresses, an unrecorded lot leaves no lot record, and the
// retried lot receives the same addresses again (or, when the lot was recorded, the next
// ones): no address is handed out twice.
#include <gtest/gtest.h>

#include <filesystem>

#include "bench/bench_file.h"
#include "common/adapter/mac_address.h"
#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using adapter::MacAddress;

namespace {

using Texts = std::array<std::string, 6>;
const Texts kStart{"00", "1B", "4E", "7A", "01", "00"};

MacAddress mac(uint8_t last) { return {0x00, 0x1b, 0x4e, 0x7a, 0x01, last}; }
std::vector<MacAddress> lot(uint8_t first) { return {mac(first), mac(first + 1), mac(first + 2), mac(first + 3)}; }

struct PressOutcome {
    bool closed = false;
    bool recorded = false;
    std::vector<std::string> messages;
    std::vector<std::string> requests;
    int opened = 0;
};

struct PressFaults : StationTest {
    PressFaults() {
        stationOptions(0, 0, 0);
        installPackage();
    }


    // A new station on four fresh adapters with no records; `fault` (benchctl driver
    // settings) is set once the station is open, just before Start.
    PressOutcome pressWith(const std::vector<std::string>& fault) {
        view.reset();
        station.reset();
        std::filesystem::remove(drive.host(windowsFile("EpromData.ini")));
        ledgerFiles.files.clear();  // a station with no records has no ledger either
        bench({"create", "4"});
        start();
        if (!fault.empty()) {
            std::vector<std::string> args{"driver"};
            args.insert(args.end(), fault.begin(), fault.end());
            bench(args);
        }
        device.requests.clear();
        const int openedBefore = device.opened;
        setStart(kStart);
        view->setText(IDC_DEVICE_COUNT, "10");
        view->messages().clear();
        view->click(IDC_START);

        PressOutcome o;
        o.closed = view->ended();
        o.recorded = eprom("PREVIOUSDEVCOUNT") == "4";
        o.messages = messageTexts();
        o.requests = device.requests;
        o.opened = device.opened - openedBefore;
        return o;
    }

    // After the faulted press: the records and the adapters agree; then the fault is
    // cleared, the station reopened if it closed, and the lot pressed again.
    void checkRecordsAndRetry(const PressOutcome& o) {
        EXPECT_EQ(device.live, 0) << "every handle closed";
        if (o.recorded) {
            EXPECT_EQ(benchAddresses(), lot(0));
            EXPECT_EQ(epromAddress("PREVIOUSMACADDR"), (Texts{"00", "1b", "4e", "7a", "01", "03"}));
        } else {
            EXPECT_EQ(eprom("PREVIOUSMACADDR", "BYTE6"), "<missing>");
            EXPECT_EQ(eprom("NEXTMACADDR", "BYTE6"), "<missing>");
        }
        bench({"driver", "fail=0", "openfail=0"});
        if (view->ended()) start();
        setStart(kStart);
        view->setText(IDC_DEVICE_COUNT, "10");
        view->messages().clear();
        view->answerNext(ui::Answer::Ignore);  // the adapters may hold addresses of the range by now
        view->click(IDC_START);
        EXPECT_FALSE(view->ended()) << ::testing::PrintToString(messageTexts());
        EXPECT_EQ(benchAddresses(), o.recorded ? lot(4) : lot(0));
        EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), o.recorded ? "8" : "4");
        EXPECT_EQ(device.live, 0);
    }
};

// Requests whose failure the press rides over without a word: the chip revision then counts
// as the earlier one (only the driver package check is skipped, the read-back still
// verifies), and the re-enumeration count only decides on a pause and a registry look.
bool tolerated(const std::string& request) {
    return request == "IOCTL_GET_CHIP_REVISION" || request == "IOCTL_GET_REPLUG_COUNT";
}

}  // namespace

TEST_F(PressFaults, everyFailedRequestOfAPressIsReportedClosesEveryHandleAndNeverHandsOutAnAddressTwice) {
    const PressOutcome clean = pressWith({});
    ASSERT_TRUE(clean.recorded);
    ASSERT_FALSE(clean.closed);
    ASSERT_GE(clean.requests.size(), 5u);

    std::map<std::string, int> seen;
    for (std::size_t k = 1; k <= clean.requests.size(); ++k) {
        const std::string& name = clean.requests[k - 1];
        const int nth = ++seen[name];
        SCOPED_TRACE("request " + std::to_string(k) + ": " + name + " number " + std::to_string(nth));
        const PressOutcome o = pressWith({"fail=" + name + ":" + std::to_string(nth)});
        ASSERT_GE(o.requests.size(), k);
        if (!tolerated(name)) {
            EXPECT_FALSE(o.messages.empty()) << "a failed request is reported";
            EXPECT_FALSE(o.recorded) << "a lot with a failed request is not recorded";
        }
        checkRecordsAndRetry(o);
    }
}

TEST_F(PressFaults, everyRefusedOpenOfAPressIsReportedAndNeverHandsOutAnAddressTwice) {
    const PressOutcome clean = pressWith({});
    ASSERT_GE(clean.opened, 2);
    for (int k = 1; k <= clean.opened; ++k) {
        SCOPED_TRACE("open " + std::to_string(k));
        const PressOutcome o = pressWith({"openfail=" + std::to_string(k)});
        EXPECT_FALSE(o.messages.empty()) << "a refused open is reported";
        checkRecordsAndRetry(o);
    }
}
