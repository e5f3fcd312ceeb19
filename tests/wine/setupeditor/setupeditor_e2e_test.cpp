// setupeditor_e2e_test.cpp: SetupEditor.exe under Wine, driven as an operator would, checked through its windows and the files it writes.
#include "common/ui/strings.h"
#include "resources/setupeditor_ids.h"
#include "tests/fakes/rc_file.h"
#include "tests/wine/support/driver.h"

#include <gtest/gtest.h>

#include <array>

using namespace lt::wine;

namespace {

constexpr std::array<int, 6> kBoxes = {IDC_ADDRESS_BYTE1, IDC_ADDRESS_BYTE2, IDC_ADDRESS_BYTE3,
                                       IDC_ADDRESS_BYTE4, IDC_ADDRESS_BYTE5, IDC_ADDRESS_BYTE6};

const lt::test::RcFile& script() { return lt::test::programResources("setupeditor.rc"); }
std::string text(uint32_t id) { return lt::test::RcStrings(script()).text(id); }

class SetupEditorRun : public ::testing::Test {
protected:
    std::unique_ptr<Program> program;
    Dialog main;

    void SetUp() override { cleanSharedFiles(); }
    void TearDown() override {
        program.reset();  // ends the program if a failed case left it running
        cleanSharedFiles();
    }

    std::string diag() const { return sharedFile("EthernetDiagnostic.ini"); }
    std::string eprom() const { return sharedFile("EpromData.ini"); }
    std::string password() const { return sharedFile("Password.dat"); }

    void start() {
        program = Program::start(LT_SETUPEDITOR_EXE);
        ASSERT_NE(program, nullptr);
        auto found = program->waitForDialog("Change Settings", kStartWait);
        ASSERT_TRUE(found) << "the settings editor did not open";
        main = *found;
    }
    // Expects a message box with `expected` and answers it with OK.
    void expectMessage(const std::string& expected) {
        auto box = program->waitForMessageBox();
        ASSERT_TRUE(box) << "no message box for: " << expected;
        EXPECT_EQ(box->text, expected);
        EXPECT_EQ(box->buttons, std::vector<int>{IDOK});
        ASSERT_TRUE(answer(*box, IDOK));
    }
    Dialog openLogin() {
        main.click(IDC_CHANGE_SAVE_SETTINGS);
        auto login = program->waitForDialog("Enter PassWord");
        EXPECT_TRUE(login) << "the login did not open";
        return login.value_or(Dialog());
    }
    void loginWith(const std::string& pw) {
        Dialog login = openLogin();
        ASSERT_TRUE(login.alive());
        login.setText(IDC_LOGIN_PASSWORD, pw);
        login.click(IDC_LOGIN_VERIFY_EDITOR);
        ASSERT_TRUE(waitUntil([&] { return !login.alive(); })) << "the login stayed open";
        ASSERT_EQ(main.text(IDC_CHANGE_SAVE_SETTINGS), "&Save Settings");
    }
    void setAddress(const std::array<const char*, 6>& texts) {
        for (int i = 0; i < 6; ++i) main.setText(kBoxes[i], texts[i]);
    }
    // Save, and wait for its pause to end.
    void save() {
        main.click(IDC_CHANGE_SAVE_SETTINGS);
        ASSERT_TRUE(waitUntil([&] { return main.text(IDC_STATUS) == text(IDS_STATUS_SAVED); }))
            << "status: " << main.text(IDC_STATUS);
    }
    std::string key(const std::string& section, int byte) {
        return profileString(eprom(), section, "BYTE" + std::to_string(byte));
    }
    void exitAndWait() {
        main.click(IDC_EXIT);
        ASSERT_TRUE(program->waitForExit().has_value()) << "the editor did not end";
    }
};

}  // namespace

TEST_F(SetupEditorRun, firstStartOnAMachineWithNoFilesShowsAndWritesTheDefaultsLocked) {
    start();
    for (int id : {1000, 1001, 1002, 1003}) EXPECT_TRUE(main.checked(id)) << id;
    for (int id : {1004, 1007, 1008, 1009}) EXPECT_FALSE(main.checked(id)) << id;
    EXPECT_TRUE(main.checked(IDC_GUARD_REISSUE));
    EXPECT_EQ(main.text(IDC_PACKET_COUNT), "10");
    EXPECT_EQ(main.text(IDC_PACKET_SIZE), "1514");
    for (int id : kBoxes) EXPECT_EQ(main.text(id), "");
    for (int id : {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1030, 1031, 1032, 1033, 1034, 1035,
                   1036, IDC_GUARD_REISSUE})
        EXPECT_FALSE(main.enabled(id)) << id;
    EXPECT_TRUE(main.enabled(IDC_CHANGE_SAVE_SETTINGS));
    EXPECT_TRUE(main.enabled(IDC_EXIT));
    EXPECT_EQ(main.text(IDC_STATUS), text(IDS_STATUS_START));
    EXPECT_EQ(readFile(diag()),
              std::string("[TESTITEMS]\r\nRegister=1\r\nQuickLoopback=1\r\nLongLoopback=1\r\nExternalLoopback=1\r\n"
                          "[LONGLOOPBACK]\r\nPacketCount=10\r\nPacketSize=1514\r\n[LOGFLAG]\r\nEnable=0\r\n"
                          "[EPROMUTILITY]\r\nOverWriteAddress=0\r\nDisplayMacAddresses=0\r\nLaunchDiagnosticApp=0\r\n"
                          "[LEDGER]\r\nGuardReissue=1\r\n"));
    EXPECT_FALSE(fileExists(eprom()));
    EXPECT_FALSE(fileExists(password()));
    exitAndWait();
}

TEST_F(SetupEditorRun, theDefaultPasswordOpensTheChangeToAFourCharacterPasswordWhichIsThenNeeded) {
    start();
    Dialog login = openLogin();
    ASSERT_TRUE(login.alive());
    EXPECT_EQ(login.text(IDC_LOGIN_USER), "opusr");
    EXPECT_EQ(login.focusedId(), IDC_LOGIN_PASSWORD);
    ASSERT_TRUE(fileExists(password()));
    EXPECT_TRUE(isHidden(password()));
    EXPECT_EQ(readFile(password()), std::string());

    login.click(IDC_LOGIN_CHANGE);
    auto change = program->waitForDialog("Change Password");
    ASSERT_TRUE(change);
    change->setText(IDC_CHANGE_OLD, "tpw731");
    change->setText(IDC_CHANGE_NEW, "ab1d");
    change->setText(IDC_CHANGE_CONFIRM, "ab1d");
    change->click(IDC_CHANGE_SAVE);
    expectMessage("New PassWord Saved !!!");
    ASSERT_TRUE(waitUntil([&] { return !change->alive() && !login.alive(); }));
    EXPECT_EQ(main.text(IDC_CHANGE_SAVE_SETTINGS), "&Change Settings");  // a change does not log in
    EXPECT_FALSE(main.enabled(IDC_REGISTER_TEST));
    EXPECT_EQ(readFile(password()), std::string("ab1d"));
    EXPECT_TRUE(isHidden(password()));
    EXPECT_FALSE(fileExists(password() + ".new"));

    login = openLogin();
    login.setText(IDC_LOGIN_PASSWORD, "tpw731");
    login.click(IDC_LOGIN_VERIFY_EDITOR);
    expectMessage("InCorrect PassWord !!!");
    EXPECT_EQ(login.text(IDC_LOGIN_PASSWORD), "");
    login.focus(IDC_LOGIN_PASSWORD);
    login.typeChars("ab1d");
    login.pressKey(VK_RETURN);  // Enter presses Verify Password
    ASSERT_TRUE(waitUntil([&] { return !login.alive(); }));
    EXPECT_EQ(main.text(IDC_CHANGE_SAVE_SETTINGS), "&Save Settings");
    EXPECT_EQ(main.text(IDC_STATUS), text(IDS_STATUS_EDITING));
    for (int id : {1000, 1001, 1002, 1003, 1004, 1005, 1006, 1007, 1008, 1009, 1030, 1035})
        EXPECT_TRUE(main.enabled(id)) << id;
    EXPECT_FALSE(main.enabled(IDC_CLEAR_ADDRESS));  // no address recorded
    exitAndWait();
}

TEST_F(SetupEditorRun, aWrongUserNameOrPasswordIsRefusedAndTheDialogStaysOpen) {
    start();
    Dialog login = openLogin();
    login.setText(IDC_LOGIN_USER, "OPUSR");
    login.setText(IDC_LOGIN_PASSWORD, "tpw731");
    login.click(IDC_LOGIN_VERIFY_EDITOR);
    expectMessage("InCorrect UserName !!!");
    EXPECT_EQ(login.text(IDC_LOGIN_USER), "opusr");
    EXPECT_EQ(login.focusedId(), IDC_LOGIN_PASSWORD);
    login.setText(IDC_LOGIN_PASSWORD, "tpw73");
    login.click(IDC_LOGIN_VERIFY_EDITOR);
    expectMessage("InCorrect PassWord !!!");
    EXPECT_EQ(login.text(IDC_LOGIN_PASSWORD), "");
    login.setText(IDC_LOGIN_USER, "");
    login.click(IDC_LOGIN_VERIFY_EDITOR);
    expectMessage("UserName Can't be Blank !!!");
    EXPECT_EQ(login.text(IDC_LOGIN_USER), "opusr");
    ASSERT_TRUE(login.alive());
    login.click(IDC_LOGIN_EXIT);
    ASSERT_TRUE(waitUntil([&] { return !login.alive(); }));
    EXPECT_EQ(main.text(IDC_CHANGE_SAVE_SETTINGS), "&Change Settings");
    EXPECT_FALSE(main.enabled(IDC_REGISTER_TEST));
    exitAndWait();
}

TEST_F(SetupEditorRun, saveWithBothLoopbackTestsClearWritesNoPacketKeys) {
    writeFile(diag(), "[TESTITEMS]\r\nRegister=1\r\nQuickLoopback=1\r\nLongLoopback=0\r\nExternalLoopback=0\r\n");
    start();
    EXPECT_EQ(main.text(IDC_PACKET_COUNT), "1");
    EXPECT_EQ(main.text(IDC_PACKET_SIZE), "1");
    loginWith("tpw731");
    EXPECT_TRUE(main.enabled(IDC_PACKET_COUNT));  // enabled by the login anyway
    main.click(IDC_ENABLE_LOGGING);
    setAddress({"00", "1B", "4E", "7A", "01", "00"});
    save();
    const std::string file = readFile(diag()).value_or("");
    EXPECT_EQ(file.find("LONGLOOPBACK]"), std::string::npos) << file;
    EXPECT_EQ(profileString(diag(), "LOGFLAG", "Enable"), "1");
    EXPECT_EQ(profileString(diag(), "TESTITEMS", "LongLoopback"), "0");
    exitAndWait();
}

TEST_F(SetupEditorRun, typedLastAddressEndingInFFIsSavedWithTheNextAddressCarried) {
    start();
    loginWith("tpw731");
    main.focus(IDC_ADDRESS_BYTE1);
    main.typeChars("2g");
    EXPECT_EQ(main.text(IDC_ADDRESS_BYTE1), "2");  // "g" dropped with a beep
    EXPECT_EQ(main.focusedId(), IDC_ADDRESS_BYTE1);
    main.typeChars("b");
    EXPECT_EQ(main.text(IDC_ADDRESS_BYTE1), "2B");
    EXPECT_EQ(main.focusedId(), IDC_ADDRESS_BYTE2);
    main.setText(IDC_ADDRESS_BYTE1, "00");
    main.typeChars("1b4e7a01ff");
    const char* shown[] = {"00", "1B", "4E", "7A", "01", "FF"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(main.text(kBoxes[i]), shown[i]) << i;
    // The focus would move on to Clear, which is disabled while no address is recorded.
    EXPECT_EQ(main.focusedId(), IDC_ADDRESS_BYTE6);
    save();
    const char* next[] = {"00", "1b", "4e", "7a", "02", "00"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(key("PREVIOUSMACADDR", i + 1), shown[i]) << i;
        EXPECT_EQ(key("NEXTMACADDR", i + 1), next[i]) << i;
    }
    EXPECT_TRUE(main.enabled(IDC_CLEAR_ADDRESS));
    EXPECT_EQ(main.text(IDC_CHANGE_SAVE_SETTINGS), "&Save Settings");
    exitAndWait();
}

// Tab selects a box's text; the character typed over it replaces it, so the focus stays.
TEST_F(SetupEditorRun, aDigitTypedAfterTabIntoAOneCharacterBoxReplacesItAndKeepsTheFocus) {
    start();
    loginWith("tpw731");
    main.setText(IDC_ADDRESS_BYTE2, "1");
    main.focus(IDC_ADDRESS_BYTE2);  // as by the Tab key: the "1" is selected
    main.typeChars("4");
    EXPECT_EQ(main.text(IDC_ADDRESS_BYTE2), "4");
    EXPECT_EQ(main.focusedId(), IDC_ADDRESS_BYTE2);
    main.typeChars("c");
    EXPECT_EQ(main.text(IDC_ADDRESS_BYTE2), "4C");
    EXPECT_EQ(main.focusedId(), IDC_ADDRESS_BYTE3);
    exitAndWait();
}

TEST_F(SetupEditorRun, anEmptyAddressBoxStopsSaveWithItsMessage) {
    start();
    loginWith("tpw731");
    setAddress({"00", "1B", "", "7A", "01", "00"});
    main.click(IDC_CHANGE_SAVE_SETTINGS);
    expectMessage(text(IDS_EMPTY_ADDRESS));
    EXPECT_EQ(main.focusedId(), IDC_ADDRESS_BYTE3);
    EXPECT_FALSE(fileExists(eprom()));
    exitAndWait();
}

TEST_F(SetupEditorRun, clearEmptiesTheRecordedAddressAndKeepsTheRange) {
    writeFile(eprom(),
              "[INITIALDEVCOUNT]\r\nCOUNT=100\r\n[PREVIOUSMACADDR]\r\nBYTE1=00\r\nBYTE2=1b\r\nBYTE3=4e\r\nBYTE4=7a\r\n"
              "BYTE5=01\r\nBYTE6=0f\r\n[NEXTMACADDR]\r\nBYTE1=00\r\nBYTE2=1b\r\nBYTE3=4e\r\nBYTE4=7a\r\nBYTE5=01\r\n"
              "BYTE6=10\r\n");
    start();
    EXPECT_EQ(main.text(IDC_ADDRESS_BYTE2), "1B");
    EXPECT_EQ(main.text(IDC_ADDRESS_BYTE6), "0F");
    loginWith("tpw731");
    ASSERT_TRUE(main.enabled(IDC_CLEAR_ADDRESS));
    main.click(IDC_CLEAR_ADDRESS);
    EXPECT_TRUE(program->noMessageBoxFor(300));  // no confirmation
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(key("PREVIOUSMACADDR", i), "") << i;
        EXPECT_EQ(key("NEXTMACADDR", i), "") << i;
    }
    EXPECT_EQ(profileString(eprom(), "INITIALDEVCOUNT", "COUNT"), "100");
    EXPECT_FALSE(main.enabled(IDC_CLEAR_ADDRESS));
    for (int id : kBoxes) EXPECT_EQ(main.text(id), "");
    exitAndWait();
}

TEST_F(SetupEditorRun, aSaveWhileAnotherProgramLetsNobodyWriteTheRecordsSaysSoAndKeepsTheTypedAddress) {
    const std::string before =
        "[PREVIOUSMACADDR]\r\nBYTE1=00\r\nBYTE2=1b\r\nBYTE3=4e\r\nBYTE4=7a\r\nBYTE5=01\r\nBYTE6=0f\r\n";
    writeFile(eprom(), before);
    start();
    loginWith("tpw731");
    main.setText(IDC_ADDRESS_BYTE6, "3C");
    // Another program reads the file and lets nobody write to it meanwhile (read sharing
    // only): the profile API cannot write it then. (With write sharing it writes the file
    // in place, and Save succeeds.)
    HANDLE holder = CreateFileA(eprom().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    main.click(IDC_CHANGE_SAVE_SETTINGS);
    auto box = program->waitForMessageBox();
    CloseHandle(holder);
    ASSERT_TRUE(box) << "status: " << main.text(IDC_STATUS);
    EXPECT_EQ(box->text, lt::ui::fillIn(text(IDS_NOT_SAVED), {eprom()}));
    ASSERT_TRUE(answer(*box, IDOK));
    EXPECT_EQ(main.text(IDC_STATUS), text(IDS_STATUS_EDITING));
    EXPECT_EQ(main.text(IDC_CHANGE_SAVE_SETTINGS), "&Save Settings");
    EXPECT_EQ(main.text(IDC_ADDRESS_BYTE6), "3C");
    EXPECT_EQ(readFile(eprom()), before);

    save();  // the file is free again
    EXPECT_EQ(key("PREVIOUSMACADDR", 6), "3C");
    EXPECT_EQ(key("NEXTMACADDR", 6), "3d");
    exitAndWait();
}

TEST_F(SetupEditorRun, saveKeepsAnAddressTheStationRecordedMeanwhile) {
    writeFile(eprom(), "[PREVIOUSMACADDR]\r\nBYTE1=00\r\nBYTE2=1b\r\nBYTE3=4e\r\nBYTE4=7a\r\nBYTE5=01\r\nBYTE6=0f\r\n");
    start();
    loginWith("tpw731");
    // The station programs a lot while the editor is open.
    WritePrivateProfileStringA("PREVIOUSMACADDR", "BYTE6", "4f", eprom().c_str());
    save();
    EXPECT_EQ(key("PREVIOUSMACADDR", 6), "4f");
    EXPECT_EQ(key("NEXTMACADDR", 6), "50");
    EXPECT_EQ(main.text(IDC_ADDRESS_BYTE6), "4F");
    exitAndWait();
}

TEST_F(SetupEditorRun, packetValuesAboveTheirLimitsAreResetWhenTheBoxLosesTheFocus) {
    start();
    loginWith("tpw731");
    main.focus(IDC_PACKET_COUNT);
    main.setText(IDC_PACKET_COUNT, "100001");
    main.focus(IDC_PACKET_SIZE);
    expectMessage(text(IDS_PACKET_COUNT_LIMIT));
    EXPECT_TRUE(waitUntil([&] { return main.text(IDC_PACKET_COUNT) == "1"; })) << main.text(IDC_PACKET_COUNT);
    EXPECT_EQ(main.focusedId(), IDC_PACKET_COUNT);

    main.setText(IDC_PACKET_COUNT, "100000");
    main.focus(IDC_PACKET_SIZE);
    EXPECT_TRUE(program->noMessageBoxFor(300));
    EXPECT_EQ(main.text(IDC_PACKET_COUNT), "100000");

    main.setText(IDC_PACKET_SIZE, "1515");
    main.focus(IDC_REGISTER_TEST);
    expectMessage(text(IDS_PACKET_SIZE_LIMIT));
    EXPECT_TRUE(waitUntil([&] { return main.text(IDC_PACKET_SIZE) == "1"; }));
    exitAndWait();
}

TEST_F(SetupEditorRun, enterEscapeAndTheCloseBoxEndTheEditorWithoutSaving) {
    for (int way = 0; way < 3; ++way) {
        start();
        loginWith("tpw731");
        main.click(IDC_ENABLE_LOGGING);
        setAddress({"00", "1B", "4E", "7A", "01", "00"});
        if (way == 0) {
            main.focus(IDC_PACKET_COUNT);
            main.pressKey(VK_RETURN);
        } else if (way == 1) {
            main.focus(IDC_REGISTER_TEST);
            main.pressKey(VK_ESCAPE);
        } else {
            main.close();
        }
        ASSERT_TRUE(program->waitForExit().has_value()) << "way " << way;
        EXPECT_EQ(profileString(diag(), "LOGFLAG", "Enable"), "0") << "way " << way;
        EXPECT_FALSE(fileExists(eprom())) << "way " << way;
    }
}

// The native tests read the texts from the script; the program shows the compiled ones.
TEST(SetupEditorStrings, theProgramCarriesExactlyTheTextsOfItsScriptAndItsIcon) {
    HMODULE module = LoadLibraryExA(windowsPath(LT_SETUPEDITOR_EXE).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    const auto& strings = script().strings();
    ASSERT_FALSE(strings.empty());
    for (const auto& [id, expected] : strings) {
        char buffer[1024] = {};
        const int n = LoadStringA(module, id, buffer, sizeof buffer);
        EXPECT_EQ(std::string(buffer, n > 0 ? n : 0), expected) << "string " << id;
    }
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(IDI_SETUPEDITOR), MAKEINTRESOURCEA(14)), nullptr);  // RT_GROUP_ICON
    FreeLibrary(module);
}

TEST_F(SetupEditorRun, theLedgerDialogShowsTheServerLockedAndSavesWhatIsTypedAfterTheLogin) {
    writeFile(diag(), "[LEDGER]\r\nStationName=LINE-2\r\n");
    start();
    main.click(IDC_LEDGER_SETTINGS);
    auto ledger = program->waitForDialog("Ledger Server");
    ASSERT_TRUE(ledger) << "the ledger dialog did not open";
    EXPECT_EQ(ledger->text(IDC_STATION_NAME), "LINE-2");
    EXPECT_EQ(ledger->text(IDC_LEDGER_CONNECTION), "");
    EXPECT_FALSE(ledger->enabled(IDC_LEDGER_CONNECTION)) << "locked until the login";
    ledger->click(IDOK);
    ASSERT_TRUE(waitUntil([&] { return !ledger->alive(); }));

    loginWith("tpw731");
    main.click(IDC_LEDGER_SETTINGS);
    ledger = program->waitForDialog("Ledger Server");
    ASSERT_TRUE(ledger);
    ASSERT_TRUE(ledger->enabled(IDC_LEDGER_CONNECTION));
    ledger->focus(IDC_LEDGER_CONNECTION);
    ledger->typeChars(" DSN=LineLedger");
    ledger->pressKey(VK_RETURN);  // OK is the default button
    ASSERT_TRUE(waitUntil([&] { return !ledger->alive(); })) << "Enter did not end the dialog with OK";
    setAddress({"00", "1B", "4E", "7A", "01", "00"});
    save();
    EXPECT_EQ(profileString(diag(), "LEDGER", "Connection"), "DSN=LineLedger");
    EXPECT_EQ(profileString(diag(), "LEDGER", "StationName"), "LINE-2");
    exitAndWait();
}
