// station_demo.cpp: drives one lot through the real ProgStation window on a simulated bench, as an operator would, saving a picture of each window on the way (the README's main command runs it on a virtual display).
//
// Usage: station-demo PROGSTATION.EXE WORKING-FOLDER PICTURE-FOLDER
// It answers the station's start-up message, looks at the login, password and "Rev C Inputs"
// dialogs and the address list (leaving each with Cancel or OK), fills a range of 8 from
// 00-1B-4E-7A-01-00 when none is in progress, presses Start, answers EthTester's start-up
// message when the automatic diagnostics run, and closes the station with Exit.
#include "resources/progstation_ids.h"
#include "tests/wine/support/driver.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace lt::wine;

namespace {

constexpr const char* kCaption = "USB-Ethernet Diagnostics & EEPROM Programming Utility";
std::string pictures;
int pictureNumber = 0;

// The window as it stands on the screen, numbered in the order taken.
void picture(HWND window, const std::string& name) {
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%s\\%02d-%s.bmp", pictures.c_str(), ++pictureNumber, name.c_str());
    saveWindowPicture(window, path);
}


void say(const std::string& line) {
    std::printf("station-demo: %s\n", line.c_str());
    std::fflush(stdout);
}

std::string address(const Dialog& d, int first) {
    std::string out;
    for (int i = 0; i < 6; ++i) {
        if (i) out += '-';
        out += d.text(first + i);
    }
    return out;
}

// Answers a message box of the station, after taking its picture.
bool answerBox(Program& station, const std::string& name, int button, DWORD wait = 30000) {
    auto box = station.waitForMessageBox(wait);
    if (!box) return false;
    say("message: " + box->text);
    picture(box->hwnd, name);
    // A box without that button (the conflict prompt) is answered with its last one (Ignore).
    bool present = false;
    for (int id : box->buttons) present = present || id == button;
    return answer(*box, present || box->buttons.empty() ? button : box->buttons.back());
}

void tour(Program& station, Dialog& main) {
    main.click(IDC_REV_C_INPUTS);
    auto login = station.waitForDialog("Enter PassWord");
    if (!login) return;
    picture(login->hwnd(), "login");
    login->click(IDC_LOGIN_CHANGE);
    if (auto change = station.waitForDialog("Change Password")) {
        picture(change->hwnd(), "change-password");
        change->click(IDC_CHANGE_EXIT);
    }
    waitUntil([&] { return !login->alive(); });

    main.click(IDC_REV_C_INPUTS);
    login = station.waitForDialog("Enter PassWord");
    if (!login) return;
    login->setText(IDC_LOGIN_PASSWORD, "tpw731");
    login->click(IDC_LOGIN_VERIFY_STATION);
    if (auto inputs = station.waitForDialog("Rev C Inputs", 3000)) {
        picture(inputs->hwnd(), "rev-c-inputs");
        inputs->click(IDCANCEL);
        waitUntil([&] { return !inputs->alive(); });
    } else if (station.messageBox()) {  // another password is set on this station
        answerBox(station, "login-refused", IDOK);
        login->click(IDC_LOGIN_EXIT);
    }

    main.click(IDC_DISPLAY_ADDRESSES);
    if (auto list = station.waitForDialog("Ethernet Addresses", 3000)) {
        picture(list->hwnd(), "addresses-before");
        list->click(IDOK);
        waitUntil([&] { return !list->alive(); });
    } else {
        answerBox(station, "addresses-before", IDOK);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: station-demo PROGSTATION.EXE WORKING-FOLDER PICTURE-FOLDER\n");
        return 2;
    }
    pictures = windowsPath(argv[3]);
    auto station = Program::start(argv[1], argv[2]);
    if (!station) {
        say("ProgStation could not be started");
        return 1;
    }
    if (auto box = station->waitForMessageBox(5000)) {  // the start-up recommendation
        picture(box->hwnd, "recommendation");
        answer(*box, IDOK);
    }
    auto found = station->waitForDialog(kCaption, 20000);
    if (!found) {
        say("the station's window did not open");
        return 1;
    }
    Dialog main = *found;
    picture(main.hwnd(), "station");
    tour(*station, main);

    if (main.text(IDC_LAST_COUNT).empty() || main.text(IDC_DEVICE_COUNT) == "0" ||
        main.text(IDC_DEVICE_COUNT).empty()) {
        if (main.text(IDC_START_BYTE1).empty()) {
            const char* start[] = {"00", "1B", "4E", "7A", "01", "00"};
            for (int i = 0; i < 6; ++i) main.setText(IDC_START_BYTE1 + i, start[i]);
        }
        main.setText(IDC_DEVICE_COUNT, "8");
    }
    say("start address " + address(main, IDC_START_BYTE1) + ", device count " + main.text(IDC_DEVICE_COUNT));
    picture(main.hwnd(), "inputs");

    const bool diagnostics = main.checked(IDC_AUTO_DIAGNOSTICS);
    // Posted without waiting for the handler: the station's thread stays busy for the whole press.
    const DWORD pressed = GetTickCount();
    DWORD testerTime = 0;
    PostMessageA(main.item(IDC_START), BM_CLICK, 0, 0);
    waitUntil([&] { return !main.enabled(IDC_START) || station->messageBox(); }, 10000);
    if (diagnostics) {
        // EthTester runs first, in automatic mode, and closes by itself after a passed run.
        const DWORD testerStart = GetTickCount();
        HWND box = nullptr;
        waitUntil([&] { return (box = anyDialog("EthTester")) != nullptr; }, 20000);
        if (box) {
            picture(main.hwnd(), "diagnostics-starting");
            if (HWND ok = GetDlgItem(box, IDOK)) PostMessageA(ok, BM_CLICK, 0, 0);
            HWND tester = nullptr;
            if (waitUntil([&] { return (tester = anyDialog("Ethernet Diagnostic Tool")) != nullptr; }, 20000)) {
                picture(tester, "ethtester-auto");
                if (!waitUntil([&] { return !IsWindow(tester); }, 120000)) say("EthTester is still running");
                else say("EthTester ran its tests in automatic mode and closed");
            }
        } else {
            say("EthTester did not start (message 16 follows when it is missing)");
        }
        testerTime = GetTickCount() - testerStart;
    }

    // The lot ends in the address list ("Verify Ethernet Address"), message 9, or the status line.
    bool done = false;
    while (!done && GetTickCount() - pressed < 180000) {
        if (auto list = station->waitForDialog("Ethernet Addresses", 200)) {
            picture(list->hwnd(), "addresses-after");
            for (const auto& row : list->listRows(IDC_ADDRESS_LIST)) say("  " + row[0] + " " + row[1]);
            list->click(IDOK);
            waitUntil([&] { return !list->alive(); });
        } else if (station->messageBox()) {
            answerBox(*station, "message", IDOK);
        } else if (main.enabled(IDC_START)) {
            done = true;
        }
    }
    const DWORD elapsed = GetTickCount() - pressed;
    picture(main.hwnd(), "after-lot");
    say("status: " + main.text(IDC_STATUS));
    say("button: " + main.text(IDC_START) + ", last assigned " + address(main, IDC_LAST_BYTE1) +
        ", last device count " + main.text(IDC_LAST_COUNT));
    char timing[200];
    std::snprintf(timing, sizeof timing,
                  "the press took %lu ms: EthTester's run %lu ms, the fixed pause 2000 ms, the rest %ld ms",
                  static_cast<unsigned long>(elapsed), static_cast<unsigned long>(testerTime),
                  static_cast<long>(elapsed) - static_cast<long>(testerTime) - 2000);
    say(timing);

    main.click(IDC_EXIT);
    if (!station->waitForExit(10000)) {
        say("the station did not close");
        return 1;
    }
    return done ? 0 : 1;
}
