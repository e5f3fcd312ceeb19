// press_benchmark.cpp: prints how long one press of the station's Start takes beyond its fixed pauses, for lots of 1, 16 and 127 adapters.
//
// The station's real logic on the fake view, its settings files on a drive C: in a
// temporary folder (the working directory, so "C:\windows" is the folder C:/windows there)
// and the simulated bench as the driver. The fixed pauses (the 2 s after programming and
// the installation check's waits) are skipped, so the figure is the station's own work
// plus the bench's: the checks, the programming request, both verifications, the records
// and the production ledger (AddressLedger.csv through the portable file port).
// Usage: press-benchmark [PRESSES]   (default 20 per lot size)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <sstream>

#include "bench/bench_control.h"
#include "bench/bench_device.h"
#include "portable/file_system_portable.h"
#include "portable/profile_files_portable.h"
#include "portable/ledger_ports_portable.h"
#include "progstation/ledger/file_ledger.h"
#include "progstation/station_dialog.h"
#include "resources/progstation_ids.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_password_files.h"
#include "tests/fakes/rc_file.h"
#include "tests/unit/progstation/fake_pauses.h"
#include "tests/unit/progstation/fake_registry.h"

namespace {

namespace fs = std::filesystem;
using namespace lt;

struct NoErrorTexts : platform::ErrorTexts {
    std::string text(uint32_t) override { return {}; }
};
struct NoLauncher : progstation::ProcessLauncher {
    progstation::ProgramEnd runAndWait(const std::string&) override { return {}; }
};

bool benchctl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    if (bench::runBenchctl(args, out, err) == 0) return true;
    std::fprintf(stderr, "benchctl: %s", err.str().c_str());
    return false;
}

// Milliseconds per press for lots of `adapters`, each press on a fresh lot of a range
// large enough for all of them.
double msPerPress(int adapters, int presses, const fs::path& source) {
    const fs::path top = fs::current_path() / ("lot" + std::to_string(adapters));
    fs::create_directories(top);
    fs::current_path(top);
    fs::create_directories("C:/windows");
    fs::create_directories("C:/line");
    fs::create_directories("C:/UsbMac");
    fs::copy_file(source / "packaging" / "usbmac" / "netkoru.inf", "C:/UsbMac/netkoru.inf",
                  fs::copy_options::overwrite_existing);

    settings::PortableProfileFiles profiles;
    const std::string options = "C:\\windows\\EthernetDiagnostic.ini";
    profiles.writeString(options, "EPROMUTILITY", "OverWriteAddress", "0");
    profiles.writeString(options, "EPROMUTILITY", "DisplayMacAddresses", "0");
    profiles.writeString(options, "EPROMUTILITY", "LaunchDiagnosticApp", "0");

    platform::PortableFileSystem files;
    test::FakeSystemPaths system;
    test::FakePauses pauses;
    NoErrorTexts errors;
    const test::RcFile& rc = test::programResources("progstation.rc");
    test::RcStrings strings(rc);
    const std::string benchPath = (top / "bench.txt").string();
    if (!benchctl({benchPath, "create", std::to_string(adapters)})) std::exit(1);
    bench::BenchDevice device(benchPath);
    test::FakeRegistry registry;
    NoLauncher launcher;
    test::FakePasswordFiles passwordFiles;
    login::LoginState loginState;
    login::PasswordStore passwordStore(passwordFiles, system);
    login::InlineLoginTexts loginTexts;
    ledger::PortableLedgerFiles ledgerFiles;
    ledger::PortableLedgerClock ledgerClock;
    ledger::FileLedger ledger(ledgerFiles, ledgerClock, "C:\\windows\\AddressLedger.csv", "BENCHMARK");

    progstation::StationDialog station(
        progstation::StationPorts{profiles, files, system, pauses, errors, strings, device, registry,
                                  launcher, ledger},
        login::LoginContext{loginState, passwordStore, loginTexts, login::kStationLogin});
    test::FakeDialog view(rc, IDD_PROGSTATION);
    view.open(station);
    const char* start[] = {"00", "1B", "4E", "10", "00", "00"};
    for (int i = 0; i < 6; ++i) view.setText(IDC_START_BYTE1 + i, start[i]);
    view.setText(IDC_DEVICE_COUNT, std::to_string(adapters * (presses + 1)));

    using Clock = std::chrono::steady_clock;
    Clock::duration total{};
    for (int p = 0; p < presses; ++p) {
        if (p > 0 && !benchctl({benchPath, "create", std::to_string(adapters)})) std::exit(1);
        view.messages().clear();
        const auto before = Clock::now();
        view.click(IDC_START);
        total += Clock::now() - before;
        if (view.ended() || !view.messages().empty()) {
            std::fprintf(stderr, "press %d of a lot of %d did not program: %s\n", p + 1, adapters,
                         view.messages().empty() ? "station closed" : view.messages()[0].text.c_str());
            std::exit(1);
        }
    }
    fs::current_path(top.parent_path());
    return std::chrono::duration<double, std::milli>(total).count() / presses;
}

}  // namespace

int main(int argc, char** argv) {
    const int presses = argc > 1 ? std::atoi(argv[1]) : 20;
    if (presses <= 0) {
        std::fprintf(stderr, "usage: press-benchmark [PRESSES]\n");
        return 2;
    }
    const fs::path source = LT_SOURCE_DIR;
    std::string pattern = (fs::temp_directory_path() / "press-benchmark-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return 1;
    const fs::path folder = pattern;
    fs::current_path(folder);
    std::printf("one press of Start beyond its fixed pauses (fake view, real files, simulated bench)\n");
    for (int adapters : {1, 16, 127})
        std::printf("  lot of %3d adapters: %8.1f ms per press\n", adapters, msPerPress(adapters, presses, source));
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(folder);
    return 0;
}
