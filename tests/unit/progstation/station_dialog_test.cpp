// station_dialog_test.cpp: the main dialog's template and texts, its opening on a new and on a running station, the start-address key filter, Enter and Escape, Exit, the manual diagnostics button and the address list button.
#include <gtest/gtest.h>

#include <set>

#include "tests/unit/progstation/station_fixture.h"

using namespace lt;
using namespace lt::test;
using ui::Icon;

namespace {

using StationDialogTest = StationTest;

const std::array<std::string, 6> kNoAddress{};

}  // namespace

// ---- The resource script.

TEST_F(StationDialogTest, theMainDialogCarriesEveryControlWithItsCaptionKindAndIds) {
    const RcDialog* d = rc.dialog(IDD_PROGSTATION);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->caption, "USB-Ethernet Diagnostics & EEPROM Programming Utility");
    EXPECT_EQ(d->width, 322);
    EXPECT_EQ(d->height, 298);
    EXPECT_EQ(d->fontName, "MS Sans Serif");
    EXPECT_EQ(d->fontSize, 8);
    EXPECT_EQ(d->style & 0x00080000u, 0u) << "no system menu, so no close box";
    EXPECT_EQ(d->style & 0x00030000u, 0u) << "no minimise or maximise box";

    struct Expected { int id; ControlKind kind; const char* text; bool disabled; };
    const Expected controls[] = {
        {IDC_MANUFACTURER, ControlKind::Edit, "", true}, {IDC_PRODUCT, ControlKind::Edit, "", true},
        {IDC_VID, ControlKind::Edit, "", true},          {IDC_PID, ControlKind::Edit, "", true},
        {IDC_LANGUAGE_ID, ControlKind::Edit, "", true},  {IDC_DEVICE_COUNT, ControlKind::Edit, "", false},
        {IDC_OVERWRITE, ControlKind::AutoCheckBox, "Overwrite Address :", false},
        {IDC_LAST_COUNT, ControlKind::Edit, "", true},
        {IDC_VERIFY_ADDRESS, ControlKind::AutoCheckBox, "Verify Ethernet Address", false},
        {IDC_AUTO_DIAGNOSTICS, ControlKind::AutoCheckBox, "Ethernet Diagnostics", false},
        {IDC_DISPLAY_ADDRESSES, ControlKind::PushButton, "Display Addresses", false},
        {IDC_RUN_DIAGNOSTICS, ControlKind::PushButton, "Ethernet Diagnostics", false},
        {IDC_STATUS, ControlKind::Static, "", false},
        {IDC_REV_C_INPUTS, ControlKind::PushButton, "&Rev C Inputs", false},
        {IDC_CREATE_DISK, ControlKind::PushButton, "&Create Disk", false},
        {IDC_START, ControlKind::PushButton, "&Start", false},
        {IDC_EXIT, ControlKind::PushButton, "&Exit", false},
    };
    for (const Expected& e : controls) {
        const RcControl* c = d->control(e.id);
        ASSERT_NE(c, nullptr) << e.id;
        EXPECT_EQ(c->kind, e.kind) << e.id;
        EXPECT_EQ(c->text, e.text) << e.id;
        EXPECT_EQ((c->style & 0x08000000u) != 0, e.disabled) << e.id;
    }
    EXPECT_NE(d->control(IDC_OVERWRITE)->style & 0x20u, 0u) << "text left of the box";
    EXPECT_NE(d->control(IDC_STATUS)->style & 0x1000u, 0u) << "sunken";
    EXPECT_EQ(d->control(IDC_STATUS)->style & 0x3u, 1u) << "centred";
    for (int i = 0; i < 6; ++i) {
        const RcControl* start = d->control(IDC_START_BYTE1 + i);
        const RcControl* last = d->control(IDC_LAST_BYTE1 + i);
        ASSERT_TRUE(start && last);
        EXPECT_EQ(start->style & 0x9u, 0x9u) << "centred capitals";
        EXPECT_EQ(start->style & 0x08000000u, 0u);
        EXPECT_EQ(last->style & 0x1u, 0x1u);
        EXPECT_NE(last->style & 0x08000000u, 0u);
    }
    std::set<std::string> groups;
    for (const RcControl& c : d->controls)
        if (c.kind == ControlKind::GroupBox) groups.insert(c.text);
    EXPECT_EQ(groups, (std::set<std::string>{"Rev C Inputs", " Inputs for USB-Ethernet Configuration / Verification ",
                                             " Enter the Inputs ", " Last Successful Programmed Info",
                                             " Auto Options ", " Manual Options "}));
}

// Every dialog's control IDs and layout: tests/unit/ui/resource_scripts_test.cpp.
TEST_F(StationDialogTest, theIconIsBundledAndTheSmallerDialogsCarryTheirTexts) {
    ASSERT_TRUE(rc.icons().count(IDI_PROGSTATION));
    EXPECT_TRUE(std::filesystem::exists(sourceDir() / "resources" / rc.icons().at(IDI_PROGSTATION)));
    EXPECT_EQ(rc.dialog(IDD_LOGIN_STATION)->control(IDC_LOGIN_VERIFY_STATION)->text, "Verify Password");
    EXPECT_EQ(rc.dialog(IDD_ADDRESS_LIST)->caption, "Ethernet Addresses");
    EXPECT_EQ(rc.dialog(IDD_REV_C_INPUTS)->caption, "Rev C Inputs");
}

TEST_F(StationDialogTest, theStringTableHoldsTheStationsTextsUnderTheirIds) {
    const std::pair<uint32_t, const char*> texts[] = {
        {1, "EEPROM programming is in progress.... Please wait!!"},
        {3, "%d Devices specified, but %d Devices found. Please remove the extra devices and press OK"},
        {4, "Some of the device(s) are already having the address in the specified range. \n\nPress \"Abort\" to exit "
            "the application(Or) \nDisconnect the conflicting one and press \"Retry\" to try again (Or) \nPress "
            "\"Ignore\" to overwrite."},
        {5, "Programmed Successfully !! \nRemove the connected devices and connect a fresh set of devices. \nPress "
            "\"Next\" when done (Or) \"Exit\" to close the application."},
        {6, "Empty MAC address field!! Fill any value."},
        {7, "Press \"Exit\" to close the application."},
        {9, "Successfully programmed all the devices!! Ready for further programming."},
        {11, "Specified MAC address range is invalid !! Please check the Start Address and the Device Count entered."},
        {12, "Enter the Inputs and press \"Start\" button."},
        {13, "Check whether device is connected properly (or) Verify driver version you are using !!"},
        {14, "Error in getting the ethernet address information !!"},
        {15, "The driver version is wrong one. Use the correct driver."},
        {16, "EthTester.exe file not found !!"},
        {17, "Ethernet Diagnosis is in progress.... Please wait!!"},
        {18, "Eprom Programming Failed in atleast One Device. Verify that EPROM is Present in all Devices."},
        {20, "It is recommended to use Windows 2000/ Windows XP OS's for Production Line Usage of EEPROM, Ethernet "
             "Diagnostic Utilities."},
        {23, "One of the String Descriptors Programmed Wrongly in One of the Devices. Program EEPROM Again."},
        {24, "To Continue Programming CreateDisk for New VID PID Pair and then Run the Setup of that New Driver Disk "
             "Created."},
        {25, "OverWrite Existing Directory ?"},
        {26, "Check Whether the Driver has been Installed Properly"},
        {27, "Try Reading the MAC Address After the Device has been Installed."},
    };
    for (const auto& [id, expected] : texts) EXPECT_EQ(strings.text(id), expected) << "string " << id;
}

// ---- Opening.

TEST_F(StationDialogTest, firstStartOnANewMachineOffersEmptyBoxesACountOfZeroAndEveryOptionOn) {
    start();
    EXPECT_EQ(view->iconId(), IDI_PROGSTATION);
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
    EXPECT_EQ(startBoxes(), kNoAddress);
    EXPECT_EQ(view->text(IDC_DEVICE_COUNT), "0");
    EXPECT_TRUE(view->checked(IDC_OVERWRITE));
    EXPECT_TRUE(view->checked(IDC_VERIFY_ADDRESS));
    EXPECT_TRUE(view->checked(IDC_AUTO_DIAGNOSTICS));
    EXPECT_EQ(lastBoxes(), kNoAddress);
    EXPECT_EQ(view->text(IDC_LAST_COUNT), "");
    EXPECT_EQ(view->text(IDC_START), "&Start");
    for (int i = 0; i < 6; ++i) EXPECT_EQ(view->control(IDC_START_BYTE1 + i).limit, 2u);

    // The record is created with both options and empty counts.
    EXPECT_EQ(eprom("OVERWRITEFLAG", "OVERWRITE"), "1");
    EXPECT_EQ(eprom("DIAGNOSTICSMODE", "AUTO"), "1");
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "");
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "");
    EXPECT_EQ(read("EthernetDiagnostic.ini", "EPROMUTILITY", "OverWriteAddress"), "<missing>");

    // The descriptor boxes show the defaults.
    EXPECT_EQ(view->text(IDC_MANUFACTURER), "Korvane Semiconductor");
    EXPECT_EQ(view->text(IDC_PRODUCT), "USB-MAC Controller");
    EXPECT_EQ(view->text(IDC_VID), "8207");
    EXPECT_EQ(view->text(IDC_PID), "6514");
    EXPECT_EQ(view->text(IDC_LANGUAGE_ID), "0409");
}

TEST_F(StationDialogTest, theStationOptionsAreCopiedIntoTheRecordsAsTheNumbersRead) {
    stationOptions(0, 0, 0);
    write("EthernetDiagnostic.ini", "EPROMUTILITY", "OverWriteAddress", "7");
    start();
    EXPECT_TRUE(view->checked(IDC_OVERWRITE));
    EXPECT_FALSE(view->checked(IDC_VERIFY_ADDRESS));
    EXPECT_FALSE(view->checked(IDC_AUTO_DIAGNOSTICS));
    EXPECT_EQ(eprom("OVERWRITEFLAG", "OVERWRITE"), "7");
    EXPECT_EQ(eprom("DIAGNOSTICSMODE", "AUTO"), "0");
}

TEST_F(StationDialogTest, aStartInTheMiddleOfARangeShowsTheRangeItsProgressAndContinuesIt) {
    stationOptions(0, 1, 0);
    rangeInProgress({"00", "1B", "4E", "7A", "01", "00"}, "10", {"00", "1b", "4e", "7a", "01", "03"}, "4");
    write("EpromData.ini", "NEXTMACADDR", "BYTE6", "04");
    start();
    EXPECT_EQ(startBoxes(), (std::array<std::string, 6>{"00", "1B", "4E", "7A", "01", "00"}));
    EXPECT_EQ(view->text(IDC_DEVICE_COUNT), "10");
    EXPECT_EQ(lastBoxes(), (std::array<std::string, 6>{"00", "1b", "4e", "7a", "01", "03"}));
    EXPECT_EQ(view->text(IDC_LAST_COUNT), "4");
    EXPECT_EQ(eprom("INITIALDEVCOUNT"), "10");
    EXPECT_EQ(eprom("PREVIOUSDEVCOUNT"), "4");
}

TEST_F(StationDialogTest, withNoRangeInProgressTheBoxesOfferTheFirstFreeAddressInCapitals) {
    for (int i = 0; i < 6; ++i) {
        write("EpromData.ini", "PREVIOUSMACADDR", "BYTE" + std::to_string(i + 1), i == 5 ? "0f" : "0a");
        write("EpromData.ini", "NEXTMACADDR", "BYTE" + std::to_string(i + 1), i == 5 ? "10" : "0a");
    }
    write("EpromData.ini", "INITIALDEVCOUNT", "COUNT", "");
    write("EpromData.ini", "PREVIOUSDEVCOUNT", "COUNT", "");
    start();
    EXPECT_EQ(startBoxes(), (std::array<std::string, 6>{"0A", "0A", "0A", "0A", "0A", "10"}));
    EXPECT_EQ(view->text(IDC_DEVICE_COUNT), "0");
    EXPECT_EQ(lastBoxes(), (std::array<std::string, 6>{"0a", "0a", "0a", "0a", "0a", "0f"}));
}

TEST_F(StationDialogTest, anotherSystemThanTheRecommendedOnesBringsMessageTwentyAndTheStationWorksOn) {
    system.recommended = false;
    start();
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text, text(IDS_RECOMMENDED_SYSTEM));
    EXPECT_EQ(view->messages()[0].icon, Icon::Information);
    EXPECT_FALSE(view->ended());
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
}

TEST_F(StationDialogTest, damagedSettingsValuesOpenTheStationWithTheirParsedValues) {
    write("EthernetDiagnostic.ini", "EPROMUTILITY", "OverWriteAddress", "yes");
    write("EpromData.ini", "PREVIOUSMACADDR", "BYTE1", "zz");
    write("EpromData.ini", "INITIALDEVCOUNT", "COUNT", "12abc");
    write("EpromData.ini", "PREVIOUSDEVCOUNT", "COUNT", "-3");
    write("EpromData.ini", "INITIALMACADDR", "BYTE1", std::string(300, 'F'));
    start();
    EXPECT_FALSE(view->ended());
    EXPECT_FALSE(view->checked(IDC_OVERWRITE));
    EXPECT_EQ(view->text(IDC_DEVICE_COUNT), "12");
    EXPECT_EQ(view->text(IDC_START_BYTE1), std::string(9, 'F'));  // a 10-character buffer
}

// ---- Keys.

TEST_F(StationDialogTest, theStartAddressBoxesTakeOnlyHexDigitsAndMoveOnAfterTwo) {
    start();
    view->moveFocus(IDC_START_BYTE3);
    view->type("g");
    EXPECT_EQ(view->session().beeps, 1);
    EXPECT_EQ(view->text(IDC_START_BYTE3), "");
    EXPECT_EQ(view->focused(), IDC_START_BYTE3);

    view->type("1a");
    EXPECT_EQ(view->text(IDC_START_BYTE3), "1A");
    EXPECT_EQ(view->focused(), IDC_START_BYTE4);

    view->moveFocus(IDC_START_BYTE6);
    view->type("Fe");
    EXPECT_EQ(view->text(IDC_START_BYTE6), "FE");
    EXPECT_EQ(view->focused(), IDC_DEVICE_COUNT);

    view->moveFocus(IDC_START_BYTE1);
    view->type("-: ");
    EXPECT_EQ(view->session().beeps, 4);
    EXPECT_EQ(view->text(IDC_START_BYTE1), "");
}

// Tab into a box selects its text; a typed character then replaces the selection, so the
// box's text, not counting selected characters, is what decides the move.
TEST_F(StationDialogTest, aCharacterTypedOverSelectedTextStaysInTheBoxAndTheNextOneMovesOn) {
    struct Case { const char* held; std::size_t from, to; const char* typed; const char* text; int focus; };
    const Case cases[] = {
        {"5", 0, 1, "7", "7", IDC_START_BYTE3},          // Tab into a one-character box, a digit
        {"5", 0, 1, "7a", "7A", IDC_START_BYTE4},        // and a second one fills it and moves on
        {"1A", 0, 2, "3", "3", IDC_START_BYTE3},         // a full box, all of it selected
        {"1A", 1, 2, "b", "1B", IDC_START_BYTE4},        // one of two selected: one left, so on
        {"5", 0, 1, "\b", "", IDC_START_BYTE3},          // Backspace removes the selection only
        {"5", 0, 0, "7", "57", IDC_START_BYTE4},         // nothing selected: as before
    };
    start();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.held) + " [" + std::to_string(c.from) + "," + std::to_string(c.to) + ") " + c.typed);
        view->setText(IDC_START_BYTE3, c.held);
        view->tabTo(IDC_START_BYTE3);
        view->select(IDC_START_BYTE3, c.from, c.to);
        view->type(c.typed);
        EXPECT_EQ(view->text(IDC_START_BYTE3), c.text);
        EXPECT_EQ(view->focused(), c.focus);
    }
    EXPECT_EQ(view->session().beeps, 0);
}

TEST_F(StationDialogTest, enterAndEscapeDoNothing) {
    start();
    view->moveFocus(IDC_DEVICE_COUNT);
    view->pressEnter();
    view->pressEscape();
    view->closeBox();
    EXPECT_FALSE(view->ended());
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(device.opened, 0);
}

TEST_F(StationDialogTest, exitLeavesTheAutomaticDiagnosticsKeyAtZero) {
    start();
    EXPECT_EQ(eprom("DIAGNOSTICSMODE", "AUTO"), "1");
    view->click(IDC_EXIT);
    EXPECT_TRUE(view->ended());
    EXPECT_EQ(view->endCode(), ui::kIdCancel);
    EXPECT_EQ(eprom("DIAGNOSTICSMODE", "AUTO"), "0");
    EXPECT_EQ(station->data().image, nullptr);
}

// ---- Side actions.

TEST_F(StationDialogTest, theManualDiagnosticsButtonWritesZeroFirstAndStartsTheTesterFromTheCurrentDirectory) {
    start();
    launcher.present = {"C:\\line\\EthTester.exe", "C:\\UsbMac\\EthTester.exe"};
    std::string autoWhileRunning;
    launcher.onRun = [&](const std::string&) { autoWhileRunning = eprom("DIAGNOSTICSMODE", "AUTO"); };
    view->click(IDC_RUN_DIAGNOSTICS);
    EXPECT_EQ(launcher.runs, std::vector<std::string>{"C:\\line\\EthTester.exe"});
    EXPECT_EQ(autoWhileRunning, "0");
    EXPECT_TRUE(view->checked(IDC_AUTO_DIAGNOSTICS)) << "the option shows what it showed";
    EXPECT_TRUE(view->messages().empty());
}

TEST_F(StationDialogTest, onlyTheTrainingBuildShowsItsMarkNamingTheBench) {
    start();
    EXPECT_FALSE(view->control(IDC_TRAINING_MARK).visible);
    EXPECT_EQ(view->text(IDC_TRAINING_MARK), "");
    exit();

    training = {true, "C:\\line\\TrainingBench.txt"};
    start();
    const lt::test::FakeControl& mark = view->control(IDC_TRAINING_MARK);
    EXPECT_TRUE(mark.visible);
    EXPECT_TRUE(mark.notice);
    EXPECT_EQ(mark.text, "Training: simulated adapters (bench file C:\\line\\TrainingBench.txt)");
    EXPECT_EQ(view->title(), "USB-Ethernet Diagnostics & EEPROM Programming Utility");
    EXPECT_EQ(status(), text(IDS_ENTER_INPUTS));
}

TEST_F(StationDialogTest, theTrainingStationStartsTheTrainingTesterAndNeverTheProductionOne) {
    training = {true, "bench.txt"};
    start();
    launcher.present = {"C:\\line\\EthTester.exe", "C:\\UsbMac\\EthTesterTraining.exe"};
    view->click(IDC_RUN_DIAGNOSTICS);
    EXPECT_EQ(launcher.attempts,
              (std::vector<std::string>{"C:\\line\\EthTesterTraining.exe", "C:\\UsbMac\\EthTesterTraining.exe"}));
    EXPECT_EQ(launcher.runs, std::vector<std::string>{"C:\\UsbMac\\EthTesterTraining.exe"});
    EXPECT_TRUE(view->messages().empty());
}

TEST_F(StationDialogTest, theTesterOnlyInThePackageFolderStartsAtTheSecondAttempt) {
    start();
    launcher.present = {"C:\\UsbMac\\EthTester.exe"};
    view->click(IDC_RUN_DIAGNOSTICS);
    EXPECT_EQ(launcher.attempts, (std::vector<std::string>{"C:\\line\\EthTester.exe", "C:\\UsbMac\\EthTester.exe"}));
    EXPECT_EQ(launcher.runs, std::vector<std::string>{"C:\\UsbMac\\EthTester.exe"});
    EXPECT_TRUE(view->messages().empty());
}

TEST_F(StationDialogTest, aTesterInNeitherPlaceBringsMessageSixteenAndTheStationGoesOn) {
    start();
    view->click(IDC_RUN_DIAGNOSTICS);
    EXPECT_EQ(launcher.attempts.size(), 2u);
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text, "EthTester.exe file not found !!");
    EXPECT_EQ(view->messages()[0].icon, Icon::Stop);
    EXPECT_FALSE(view->ended());
}

TEST_F(StationDialogTest, displayAddressesListsTheAttachedAdapters) {
    bench({"set", "all", "mac=00-11-22-33-44-55"});
    bench({"set", "2", "mac=00-11-22-33-44-AB"});
    start();
    std::vector<std::vector<std::string>> rows;
    bool grid = false;
    view->onChild(IDD_ADDRESS_LIST, [&](FakeDialog& list) {
        rows = list.control(IDC_ADDRESS_LIST).rows;
        grid = list.control(IDC_ADDRESS_LIST).gridLines;
        list.click(ui::kIdOk);
    });
    view->click(IDC_DISPLAY_ADDRESSES);
    EXPECT_TRUE(grid);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1.", "00-11-22-33-44-55"}));
    EXPECT_EQ(rows[1], (std::vector<std::string>{"2.", "00-11-22-33-44-ab"}));
    EXPECT_EQ(device.live, 0);
}
