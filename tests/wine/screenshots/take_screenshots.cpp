// take_screenshots.cpp: walks the three programs through their dialogs on a simulated bench and saves a picture of each dialog for the operator's guide (scripts/take-screenshots.sh runs it under Wine).
//
// Usage: take-screenshots PICTURE-FOLDER WORK-FOLDER SETUPEDITOR.EXE ETHTESTER.EXE [PROGSTATION.EXE]
// Pictures are 24-bit BMP files named after the dialog (setupeditor-main.bmp, ...); the
// script turns them into PNG. The programs run in WORK-FOLDER on a bench of 3 adapters
// made there; the shared files of the prefix's Windows directory are written afresh first.
#include "bench/bench_control.h"
#include "resources/ethtester_ids.h"
#include "resources/login_ids.h"
#include "tests/wine/support/driver.h"

#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

// The station's IDs clash with the tester's (each program numbers its own controls), so
// the few the walk needs are named here.
namespace station {
constexpr int kStartByte1 = 1001, kStart = 1008, kExit = 1009, kDisplayAddresses = 1011, kDeviceCount = 1014;
constexpr int kRevCInputs = 1029, kAddressList = 1013;
}  // namespace station
namespace editor {
constexpr int kChangeSave = 1010, kExit = 1011, kLedger = 1041, kConnection = 1051;
}  // namespace editor

using namespace lt::wine;

namespace {

std::string pictures;
int failures = 0;

void say(const std::string& line) {
    std::printf("take-screenshots: %s\n", line.c_str());
    std::fflush(stdout);
}
void missing(const std::string& what) {
    say("MISSING: " + what);
    ++failures;
}

// The window as it stands on the screen, as a 24-bit BMP file.
void shot(HWND window, const std::string& name) {
    if (!window) return missing(name);
    const std::string path = pictures + "\\" + name + ".bmp";
    if (saveWindowPicture(window, path, 300))
        say("saved " + name);
    else
        missing(path);
}


// Answers the box open now (after a picture when `name` is given).
void answerBox(Program& program, int button, const std::string& name = {}, DWORD wait = kWait) {
    auto box = program.waitForMessageBox(wait);
    if (!box) return missing("a message box for " + (name.empty() ? std::string("an answer") : name));
    say("message: " + box->text);
    if (!name.empty()) shot(box->hwnd, name);
    answer(*box, button);
}

// Starts a program and finds its main dialog, answering the start-up recommendation
// of the station and the tester.
std::unique_ptr<Program> open(const std::string& exe, const std::string& work, const std::string& caption,
                              bool recommendation, const std::string& recommendationShot, Dialog& main) {
    auto program = Program::start(exe, work);
    if (!program) {
        missing(exe + " did not start");
        return nullptr;
    }
    if (recommendation) answerBox(*program, IDOK, recommendationShot);
    auto found = program->waitForDialog(caption, 20000);
    if (!found) {
        missing(caption);
        return nullptr;
    }
    main = *found;
    return program;
}

void close(Program& program, Dialog& main, int exitId) {
    main.click(exitId);
    if (!program.waitForExit(10000)) {
        missing("the program did not close");
        program.kill();
    }
}

void setupEditor(const std::string& exe, const std::string& work) {
    Dialog main;
    auto program = open(exe, work, "Change Settings", false, {}, main);
    if (!program) return;
    shot(main.hwnd(), "setupeditor-main");
    main.click(editor::kChangeSave);
    auto login = program->waitForDialog("Enter PassWord");
    if (!login) return missing("the editor's login");
    shot(login->hwnd(), "login");
    login->click(IDC_LOGIN_CHANGE);
    if (auto change = program->waitForDialog("Change Password")) {
        shot(change->hwnd(), "change-password");
        change->click(IDC_CHANGE_EXIT);
        waitUntil([&] { return !change->alive(); });
    } else {
        missing("Change Password");
    }
    if (!login->alive()) {
        main.click(editor::kChangeSave);
        login = program->waitForDialog("Enter PassWord");
        if (!login) return missing("the editor's login, again");
    }
    login->setText(IDC_LOGIN_PASSWORD, "tpw731");
    login->click(IDC_LOGIN_VERIFY_EDITOR);
    waitUntil([&] { return !login->alive(); });
    shot(main.hwnd(), "setupeditor-editing");
    main.click(editor::kLedger);
    if (auto ledger = program->waitForDialog("Ledger Server")) {
        ledger->setText(editor::kConnection, "DSN=LineLedger");
        shot(ledger->hwnd(), "setupeditor-ledger");
        ledger->click(IDCANCEL);
        waitUntil([&] { return !ledger->alive(); });
    } else {
        missing("the Ledger Server dialog");
    }
    close(*program, main, editor::kExit);
}

void ethTester(const std::string& exe, const std::string& work) {
    Dialog main;
    auto program = open(exe, work, "Ethernet Diagnostic Tool", true, "ethtester-recommendation", main);
    if (!program) return;
    shot(main.hwnd(), "ethtester-main");
    main.click(IDC_START);
    if (!waitUntil([&] { return main.enabled(IDC_START) && main.text(IDC_STATUS).find("properly") != std::string::npos; },
                   60000))
        say("the run ended with: " + main.text(IDC_STATUS));
    shot(main.hwnd(), "ethtester-passed");
    main.click(IDC_SHOW_EEPROM);
    if (auto details = program->waitForDialog("Ethernet Diagnostic - EEPROM Information")) {
        shot(details->hwnd(), "ethtester-eeprom");
        details->click(IDOK);
        waitUntil([&] { return !details->alive(); });
    } else {
        missing("the EEPROM details");
    }
    close(*program, main, IDC_EXIT);
}

void progStation(const std::string& exe, const std::string& work) {
    Dialog main;
    auto program = open(exe, work, "USB-Ethernet Diagnostics & EEPROM Programming Utility", true,
                        "progstation-recommendation", main);
    if (!program) return;
    shot(main.hwnd(), "progstation-main");

    main.click(station::kRevCInputs);
    if (auto login = program->waitForDialog("Enter PassWord")) {
        login->setText(IDC_LOGIN_PASSWORD, "tpw731");
        login->click(IDC_LOGIN_VERIFY_STATION);
        if (auto inputs = program->waitForDialog("Rev C Inputs")) {
            shot(inputs->hwnd(), "progstation-rev-c-inputs");
            inputs->click(IDCANCEL);
            waitUntil([&] { return !inputs->alive(); });
        } else {
            missing("Rev C Inputs");
        }
    } else {
        missing("the station's login");
    }

    const char* start[] = {"00", "1B", "4E", "7A", "01", "00"};
    for (int i = 0; i < 6; ++i) main.setText(station::kStartByte1 + i, start[i]);
    main.setText(station::kDeviceCount, "10");
    shot(main.hwnd(), "progstation-inputs");
    main.click(station::kStart);
    // The lot ends in the address list ("Verify Ethernet Address" is on).
    if (auto list = program->waitForDialog("Ethernet Addresses", 60000)) {
        shot(list->hwnd(), "progstation-addresses");
        list->click(IDOK);
        waitUntil([&] { return !list->alive(); });
    } else if (program->messageBox()) {
        answerBox(*program, IDOK, "progstation-message");
    } else {
        missing("the address list after the lot");
    }
    waitUntil([&] { return main.enabled(station::kStart); }, 30000);
    shot(main.hwnd(), "progstation-lot-programmed");

    // The manual "Ethernet Diagnostics" button starts EthTester from the station's folder.
    main.click(1022);
    HWND tester = nullptr;
    if (waitUntil([&] { return anyDialog("EthTester") != nullptr; }, 20000)) {
        HWND box = anyDialog("EthTester");
        if (HWND ok = GetDlgItem(box, IDOK)) PostMessageA(ok, BM_CLICK, 0, 0);
    }
    if (waitUntil([&] { return (tester = anyDialog("Ethernet Diagnostic Tool")) != nullptr; }, 20000)) {
        shot(main.hwnd(), "progstation-waiting-for-tester");
        PostMessageA(GetDlgItem(tester, IDC_EXIT), BM_CLICK, 0, 0);
        waitUntil([&] { return !IsWindow(tester); }, 20000);
    } else {
        missing("EthTester from the station");
    }

    // The same start with the count edited down reopens the range: the re-issue guard asks.
    for (int i = 0; i < 6; ++i) main.setText(station::kStartByte1 + i, start[i]);
    main.setText(station::kDeviceCount, "3");
    main.click(station::kStart);
    answerBox(*program, IDNO, "progstation-guard", 30000);
    waitUntil([&] { return main.enabled(station::kStart); }, 30000);
    close(*program, main, station::kExit);

    // A station stopped between the issued lines of a lot and its end shows the lot at its next start.
    const std::string ledger = sharedFile("AddressLedger.csv");
    std::string lines = readFile(ledger).value_or("");
    for (int device = 1; device <= 3; ++device)
        lines += "2024-05-01T10:00:00Z,LINE-1,issued,9," + std::to_string(device) + ",00-1B-4E-7A-01-0" +
                 std::to_string(2 + device) + ",,8207,6514,00-1B-4E-7A-01-00,10,diagnostics not run\r\n";
    writeFile(ledger, lines);
    program = Program::start(exe, work);
    if (!program) return missing("the station's restart");
    answerBox(*program, IDOK);  // the recommendation
    answerBox(*program, IDOK, "progstation-interrupted");
    if (auto found = program->waitForDialog("USB-Ethernet Diagnostics & EEPROM Programming Utility", 20000)) {
        main = *found;
        close(*program, main, station::kExit);
    } else {
        missing("the station after its restart");
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: take-screenshots PICTURE-FOLDER WORK-FOLDER SETUPEDITOR.EXE ETHTESTER.EXE [PROGSTATION.EXE]\n");
        return 2;
    }
    pictures = windowsPath(argv[1]);
    const std::string work = argv[2];
    const std::string bench = work + "/bench.txt";
    std::ostringstream out, err;
    if (lt::bench::runBenchctl({bench, "create", "3"}, out, err) != 0) {
        say("the bench could not be made: " + err.str());
        return 1;
    }
    SetEnvironmentVariableA("KORUSBMAC_BENCH", bench.c_str());

    // The settings of a station on its first day: register and quick loopback tests, the
    // address list after each lot, no automatic diagnostics.
    cleanSharedFiles();
    writeFile(sharedFile("EthernetDiagnostic.ini"),
              "[TESTITEMS]\r\nRegister=1\r\nQuickLoopback=1\r\nLongLoopback=0\r\nExternalLoopback=0\r\n"
              "[LONGLOOPBACK]\r\nPacketCount=100\r\nPacketSize=1514\r\n[LOGFLAG]\r\nEnable=0\r\n"
              "[EPROMUTILITY]\r\nOverWriteAddress=0\r\nDisplayMacAddresses=1\r\nLaunchDiagnosticApp=0\r\n");
    writeFile(sharedFile("EpromData.ini"), "[DIAGNOSTICSMODE]\r\nAUTO=0\r\n");

    setupEditor(argv[3], work);
    ethTester(argv[4], work);
    if (argc > 5) progStation(argv[5], work);
    cleanSharedFiles();
    say(failures ? std::to_string(failures) + " picture(s) missing" : "all pictures taken");
    return failures ? 1 : 0;
}
