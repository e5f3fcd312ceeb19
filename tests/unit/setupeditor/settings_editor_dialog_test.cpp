// settings_editor_dialog_test.cpp: SetupEditor's dialog: template, start-up, login switch, Save and its writes, Clear, limits, keystroke filter.
#include "setupeditor/settings_editor_dialog.h"

#include "portable/file_system_portable.h"
#include "portable/profile_files_portable.h"
#include "resources/setupeditor_ids.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_password_files.h"
#include "tests/support/test_support.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace lt;
using namespace lt::test;
using setupeditor::SettingsEditorDialog;
using ui::Icon;

namespace {

// Every profile write, in order, passed on to real files; the writes to a file named in
// `held` fail and change nothing (another program holds it open).
struct RecordingProfiles : settings::ProfileFiles {
    settings::PortableProfileFiles files;
    std::vector<std::string> writes;  // "File.ini [SECTION] key=value"
    std::set<std::string> held;

    static std::string name(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }
    std::string readString(const std::string& path, std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) override {
        return files.readString(path, section, key, defaultValue, bufferSize);
    }
    uint32_t readInt(const std::string& path, std::string_view section, std::string_view key,
                     int32_t defaultValue) override {
        return files.readInt(path, section, key, defaultValue);
    }
    bool writeString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override {
        writes.push_back(name(path) + " [" + std::string(section) + "] " + std::string(key) + "=" + std::string(value));
        if (held.count(name(path))) return false;
        return files.writeString(path, section, key, value);
    }
    bool deleteKey(const std::string& path, std::string_view section, std::string_view key) override {
        writes.push_back("delete");
        return files.deleteKey(path, section, key);
    }
    bool deleteSection(const std::string& path, std::string_view section) override {
        writes.push_back("delete");
        return files.deleteSection(path, section);
    }
    bool writeSection(const std::string& path, std::string_view section, std::span<const std::string> lines) override {
        writes.push_back("section");
        return files.writeSection(path, section, lines);
    }
};

struct RecordingPauses : platform::Pauses {
    std::function<void(uint32_t)> onPause;
    std::vector<uint32_t> pauses;
    void pause(uint32_t milliseconds) override {
        pauses.push_back(milliseconds);
        if (onPause) onPause(milliseconds);
    }
};

constexpr std::array<int, 6> kBoxes = {IDC_ADDRESS_BYTE1, IDC_ADDRESS_BYTE2, IDC_ADDRESS_BYTE3,
                                       IDC_ADDRESS_BYTE4, IDC_ADDRESS_BYTE5, IDC_ADDRESS_BYTE6};
const int kSettingsControls[] = {IDC_REGISTER_TEST,     IDC_QUICK_LOOPBACK,    IDC_LONG_LOOPBACK,
                                 IDC_EXTERNAL_LOOPBACK, IDC_PACKET_COUNT,      IDC_PACKET_SIZE,
                                 IDC_ENABLE_LOGGING,    IDC_OVERWRITE_ADDRESS, IDC_LAUNCH_DIAGNOSTICS,
                                 IDC_VERIFY_ADDRESS};

struct EditorTest : ::testing::Test {
    TempDir dir;
    const RcFile& rc = programResources("setupeditor.rc");
    RcStrings strings{rc};
    RecordingProfiles profiles;
    platform::PortableFileSystem lookup;
    FakeSystemPaths system;
    RecordingPauses pauses;
    FakePasswordFiles passwordFiles;
    login::LoginState loginState;
    login::PasswordStore passwordStore{passwordFiles, system};
    login::TableLoginTexts loginTexts{strings};
    std::optional<SettingsEditorDialog> editor;
    std::optional<FakeDialog> view;

    void SetUp() override { system.windows = dir.path().string(); }

    std::string path(const char* name) const { return dir.file(name); }
    void writeFile(const char* name, const std::string& text) { std::ofstream(path(name), std::ios::binary) << text; }
    std::string readFile(const char* name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    bool fileExists(const char* name) const { return std::filesystem::exists(path(name)); }
    std::string read(const char* file, const char* section, const char* key) {
        return profiles.files.readString(path(file), section, key, "<missing>", 260);
    }
    void writeAddress(const char* section, const std::array<const char*, 6>& texts) {
        for (int i = 0; i < 6; ++i)
            profiles.files.writeString(path("EpromData.ini"), section, "BYTE" + std::to_string(i + 1), texts[i]);
    }

    void start() {
        editor.emplace(setupeditor::EditorPorts{profiles, lookup, system, pauses, strings},
                       login::LoginContext{loginState, passwordStore, loginTexts, login::kEditorLogin});
        view.emplace(rc, IDD_SETTINGS_EDITOR);
        view->open(*editor);
    }
    // Clicks "&Change Settings" and logs in with `password` (the default on a new station).
    void login(const std::string& password = "tpw731") {
        view->onChild(IDD_LOGIN_EDITOR, [password](FakeDialog& d) {
            d.type(password);
            d.pressEnter();
        });
        view->click(IDC_CHANGE_SAVE_SETTINGS);
    }
    void setAddress(const std::array<const char*, 6>& texts) {
        for (int i = 0; i < 6; ++i) view->setText(kBoxes[i], texts[i]);
    }
    std::string text(uint32_t id) const { return strings.text(id); }
};

}  // namespace

TEST(EditorTemplate, holdsEveryControlCaptionAndIdOfTheDialog) {
    const RcFile& rc = programResources("setupeditor.rc");
    const RcDialog* d = rc.dialog(IDD_SETTINGS_EDITOR);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->caption, "Change Settings");
    EXPECT_EQ(d->width, 254);
    EXPECT_EQ(d->height, 294);
    EXPECT_EQ(d->fontName, "MS Sans Serif");
    EXPECT_EQ(d->fontSize, 8);
    EXPECT_EQ(d->style & 0x00080000u, 0x00080000u);  // a close box
    EXPECT_EQ(d->style & 0x00030000u, 0u);           // no minimise or maximise box
    struct Row { int id; ControlKind kind; const char* text; };
    const Row rows[] = {
        {1000, ControlKind::AutoCheckBox, "Register Test"},
        {1001, ControlKind::AutoCheckBox, "Quick LoopBack Test"},
        {1002, ControlKind::AutoCheckBox, "Long LoopBack Test"},
        {1003, ControlKind::AutoCheckBox, "External LoopBack Test"},
        {1004, ControlKind::AutoCheckBox, "Enable Logging"},
        {1005, ControlKind::Edit, ""},
        {1006, ControlKind::Edit, ""},
        {1007, ControlKind::AutoCheckBox, "OverWrite Address"},
        {1008, ControlKind::AutoCheckBox, "Ethernet Diagnostics"},
        {1009, ControlKind::AutoCheckBox, "Verify Ethernet Address"},
        {1010, ControlKind::PushButton, "&Change Settings"},
        {1011, ControlKind::PushButton, "E&xit"},
        {1023, ControlKind::Static, ""},
        {1036, ControlKind::PushButton, "C&lear Last Assigned Mac Address"},
    };
    for (const auto& r : rows) {
        const RcControl* c = d->control(r.id);
        ASSERT_NE(c, nullptr) << r.id;
        EXPECT_EQ(c->kind, r.kind) << r.id;
        EXPECT_EQ(c->text, r.text) << r.id;
    }
    for (int id : {1005, 1006}) EXPECT_EQ(d->control(id)->style & 0x2000u, 0x2000u) << "digits only " << id;
    for (int id : kBoxes) {
        const RcControl* c = d->control(id);
        ASSERT_NE(c, nullptr) << id;
        EXPECT_EQ(c->kind, ControlKind::Edit);
        EXPECT_EQ(c->style & 0x9u, 0x9u) << "centred, upper case " << id;
    }
    EXPECT_EQ(d->control(1023)->style & 0x1000u, 0x1000u);  // sunken
    // No default push button: Enter in an edit box or on a check box acts as OK. (Unique IDs
    // and controls inside the dialog: tests/unit/ui/resource_scripts_test.cpp.)
    std::vector<std::string> groups;
    for (const auto& c : d->controls) {
        EXPECT_NE(c.kind, ControlKind::DefPushButton) << c.id;
        if (c.kind == ControlKind::GroupBox) groups.push_back(c.text);
    }
    EXPECT_EQ(groups, (std::vector<std::string>{"Eprom and Diagnostics Utiltiy Settings", "Eprom Diagnostics",
                                                 "Test Items", "Packet Properties", "Log", "Eprom Utility",
                                                 "Auto Options", "Previous MAC Address"}));
    EXPECT_EQ(rc.icons().count(IDI_SETUPEDITOR), 1u);
}

TEST(EditorTemplate, holdsTheStatusAndMessageTexts) {
    RcStrings strings(programResources("setupeditor.rc"));
    EXPECT_EQ(strings.text(1), "Press 'Change Settings' to Modify the EEPROM Utility and Ethernet Diagnostics Parameters");
    EXPECT_EQ(strings.text(3), "Press 'Save Settings' to Save the Current Settings ");
    EXPECT_EQ(strings.text(4), "Press Exit to Quit from the Application.");
    EXPECT_EQ(strings.text(5), "Empty MAC address field!! Fill any value.");
    EXPECT_EQ(strings.text(8), "New Settings Saved.");
    EXPECT_EQ(strings.text(12), "PacketCount Cannot Exceed 100000");
    EXPECT_EQ(strings.text(13), "PacketSize Cannot Exceed 1514");
}

TEST_F(EditorTest, firstStartWithoutFilesShowsAndWritesTheEditorsDefaultsLocked) {
    start();
    for (int id : {1000, 1001, 1002, 1003}) EXPECT_TRUE(view->checked(id)) << id;
    for (int id : {1004, 1007, 1008, 1009}) EXPECT_FALSE(view->checked(id)) << id;
    EXPECT_TRUE(view->checked(IDC_GUARD_REISSUE)) << "the station's guard is on unless switched off";
    EXPECT_FALSE(view->enabled(IDC_GUARD_REISSUE));
    EXPECT_EQ(view->text(IDC_PACKET_COUNT), "10");
    EXPECT_EQ(view->text(IDC_PACKET_SIZE), "1514");
    for (int id : kBoxes) EXPECT_EQ(view->text(id), "") << id;
    EXPECT_EQ(readFile("EthernetDiagnostic.ini"),
              "[TESTITEMS]\r\nRegister=1\r\nQuickLoopback=1\r\nLongLoopback=1\r\nExternalLoopback=1\r\n"
              "[LONGLOOPBACK]\r\nPacketCount=10\r\nPacketSize=1514\r\n[LOGFLAG]\r\nEnable=0\r\n"
              "[EPROMUTILITY]\r\nOverWriteAddress=0\r\nDisplayMacAddresses=0\r\nLaunchDiagnosticApp=0\r\n"
              "[LEDGER]\r\nGuardReissue=1\r\n");
    EXPECT_FALSE(fileExists("EpromData.ini"));
    for (int id : kSettingsControls) EXPECT_FALSE(view->enabled(id)) << id;
    for (int id : kBoxes) EXPECT_FALSE(view->enabled(id)) << id;
    EXPECT_FALSE(view->enabled(IDC_CLEAR_ADDRESS));
    EXPECT_TRUE(view->enabled(IDC_CHANGE_SAVE_SETTINGS));
    EXPECT_TRUE(view->enabled(IDC_EXIT));
    EXPECT_EQ(view->text(IDC_CHANGE_SAVE_SETTINGS), "&Change Settings");
    EXPECT_EQ(view->text(IDC_STATUS), text(1));
    EXPECT_EQ(view->iconId(), IDI_SETUPEDITOR);
    EXPECT_TRUE(passwordFiles.files.empty());  // no login at start-up
    EXPECT_TRUE(view->messages().empty());
}

TEST_F(EditorTest, loadsTheSettingsFileAsTheProfileApiReadsItAndWritesItBack) {
    struct Case {
        const char* name;
        std::string file;
        std::array<bool, 8> checks;  // 1000, 1001, 1002, 1003, 1004, 1007, 1008, 1009
        const char* count;
        const char* size;
    };
    const Case cases[] = {
        {"loopbacks off: packet boxes show 1",
         "[TESTITEMS]\r\nRegister=0\r\nQuickLoopback=1\r\nLongLoopback=0\r\nExternalLoopback=0\r\n"
         "[LONGLOOPBACK]\r\nPacketCount=500\r\nPacketSize=64\r\n[EPROMUTILITY]\r\nOverWriteAddress=1\r\n",
         {false, true, false, false, false, true, false, false}, "1", "1"},
        {"external on, no packet section: defaults",
         "[TESTITEMS]\r\nExternalLoopback=1\r\nLongLoopback=0\r\n",
         {true, true, false, true, false, false, false, false}, "10", "1514"},
        {"odd spacing, case, duplicates and non-numeric flags",
         "\r\n  [testitems]  \r\nregister = 0\r\nRegister=1\r\nQuickLoopback=yes\r\nLongLoopback=2x\r\n"
         "[LongLoopBack]\r\npacketcount=  77\r\n[LOGFLAG]\r\nEnable=1\r\n[EPROMUTILITY]\r\nLaunchDiagnosticApp=1\r\n"
         "DisplayMacAddresses=0x1\r\n",
         {false, false, true, true, true, false, true, true}, "77", "1514"},
        {"sections missing", "[OTHER]\r\nx=1\r\n", {true, true, true, true, false, false, false, false}, "10", "1514"},
    };
    for (const auto& c : cases) {
        writeFile("EthernetDiagnostic.ini", c.file);
        start();
        const int ids[] = {1000, 1001, 1002, 1003, 1004, 1007, 1008, 1009};
        for (int i = 0; i < 8; ++i) EXPECT_EQ(view->checked(ids[i]), c.checks[i]) << c.name << " " << ids[i];
        EXPECT_EQ(view->text(IDC_PACKET_COUNT), c.count) << c.name;
        EXPECT_EQ(view->text(IDC_PACKET_SIZE), c.size) << c.name;
        // Written back as shown: each flag "1" or "0".
        for (int i = 0; i < 8; ++i) {
            static const char* keys[][2] = {{"TESTITEMS", "Register"},         {"TESTITEMS", "QuickLoopback"},
                                            {"TESTITEMS", "LongLoopback"},     {"TESTITEMS", "ExternalLoopback"},
                                            {"LOGFLAG", "Enable"},             {"EPROMUTILITY", "OverWriteAddress"},
                                            {"EPROMUTILITY", "LaunchDiagnosticApp"},
                                            {"EPROMUTILITY", "DisplayMacAddresses"}};
            EXPECT_EQ(read("EthernetDiagnostic.ini", keys[i][0], keys[i][1]), c.checks[i] ? "1" : "0")
                << c.name << " " << keys[i][1];
        }
    }
}

TEST_F(EditorTest, leavesThePacketValuesInTheFileWhenNoLoopbackTestUsesThem) {
    writeFile("EthernetDiagnostic.ini",
              "[TESTITEMS]\r\nLongLoopback=0\r\nExternalLoopback=0\r\n[LONGLOOPBACK]\r\nPacketCount=500\r\n");
    start();
    login();
    view->click(IDC_CHANGE_SAVE_SETTINGS);  // stops at the empty address boxes
    setAddress({"00", "1B", "4E", "7A", "01", "00"});
    profiles.writes.clear();
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    for (const auto& w : profiles.writes) EXPECT_EQ(w.find("[LONGLOOPBACK]"), std::string::npos) << w;
    EXPECT_EQ(read("EthernetDiagnostic.ini", "LONGLOOPBACK", "PacketCount"), "500");
    EXPECT_EQ(read("EthernetDiagnostic.ini", "LONGLOOPBACK", "PacketSize"), "<missing>");
}

TEST_F(EditorTest, loadsTheLastAssignedAddressOnlyWhenTheRecordExists) {
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "a"});
    start();
    const char* shown[] = {"00", "1B", "4E", "7A", "01", "A"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(view->text(kBoxes[i]), shown[i]);
    std::filesystem::remove(path("EpromData.ini"));
    start();
    for (int id : kBoxes) EXPECT_EQ(view->text(id), "");
}

TEST_F(EditorTest, aPassedLoginUnlocksEverySettingAndClearOnlyWhileAnAddressIsRecorded) {
    writeFile("EthernetDiagnostic.ini", "[TESTITEMS]\r\nLongLoopback=0\r\nExternalLoopback=0\r\n");
    for (bool recorded : {false, true}) {
        if (recorded) writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "00"});
        start();
        login();
        for (int id : kSettingsControls) EXPECT_TRUE(view->enabled(id)) << id;  // packet boxes too
        for (int id : kBoxes) EXPECT_TRUE(view->enabled(id)) << id;
        EXPECT_EQ(view->enabled(IDC_CLEAR_ADDRESS), recorded);
        EXPECT_EQ(view->text(IDC_CHANGE_SAVE_SETTINGS), "&Save Settings");
        EXPECT_EQ(view->text(IDC_STATUS), text(3));
    }
}

TEST_F(EditorTest, aFailedLoginOrAPasswordChangeLeavesTheDialogLocked) {
    start();
    view->onChild(IDD_LOGIN_EDITOR, [](FakeDialog& d) {
        d.type("nope");
        d.pressEnter();
        d.click(IDC_LOGIN_EXIT);
    });
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    view->onChild(IDD_LOGIN_EDITOR, [](FakeDialog& d) { d.click(IDC_LOGIN_CHANGE); });
    view->onChild(IDD_CHANGE_PASSWORD, [](FakeDialog& c) {
        c.setText(IDC_CHANGE_OLD, "tpw731");
        c.setText(IDC_CHANGE_NEW, "abcd");
        c.setText(IDC_CHANGE_CONFIRM, "abcd");
        c.click(IDC_CHANGE_SAVE);
    });
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    EXPECT_EQ(view->text(IDC_CHANGE_SAVE_SETTINGS), "&Change Settings");
    EXPECT_FALSE(view->enabled(IDC_REGISTER_TEST));
    EXPECT_EQ(view->text(IDC_STATUS), text(1));
    login("abcd");
    EXPECT_EQ(view->text(IDC_CHANGE_SAVE_SETTINGS), "&Save Settings");
}

TEST_F(EditorTest, saveWritesInItsOrderAndCarriesTheNextAddress) {
    start();
    login();
    view->click(IDC_ENABLE_LOGGING);
    view->click(IDC_LAUNCH_DIAGNOSTICS);
    EXPECT_TRUE(view->enabled(IDC_GUARD_REISSUE));
    view->click(IDC_GUARD_REISSUE);
    view->setText(IDC_PACKET_SIZE, "");
    setAddress({"00", "1B", "4E", "7A", "01", "FF"});
    std::vector<std::string> statusAtPause;
    pauses.onPause = [&](uint32_t) { statusAtPause.push_back(view->text(IDC_STATUS)); };
    profiles.writes.clear();
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    EXPECT_EQ(profiles.writes, (std::vector<std::string>{
                                   "EthernetDiagnostic.ini [TESTITEMS] Register=1",
                                   "EthernetDiagnostic.ini [TESTITEMS] QuickLoopback=1",
                                   "EthernetDiagnostic.ini [TESTITEMS] LongLoopback=1",
                                   "EthernetDiagnostic.ini [TESTITEMS] ExternalLoopback=1",
                                   "EthernetDiagnostic.ini [LONGLOOPBACK] PacketCount=10",
                                   "EthernetDiagnostic.ini [LONGLOOPBACK] PacketSize=1",
                                   "EthernetDiagnostic.ini [LOGFLAG] Enable=1",
                                   "EthernetDiagnostic.ini [EPROMUTILITY] OverWriteAddress=0",
                                   "EthernetDiagnostic.ini [EPROMUTILITY] DisplayMacAddresses=0",
                                   "EthernetDiagnostic.ini [EPROMUTILITY] LaunchDiagnosticApp=1",
                                   "EthernetDiagnostic.ini [LEDGER] GuardReissue=0",
                                   "EpromData.ini [PREVIOUSMACADDR] BYTE1=00",
                                   "EpromData.ini [PREVIOUSMACADDR] BYTE2=1B",
                                   "EpromData.ini [PREVIOUSMACADDR] BYTE3=4E",
                                   "EpromData.ini [PREVIOUSMACADDR] BYTE4=7A",
                                   "EpromData.ini [PREVIOUSMACADDR] BYTE5=01",
                                   "EpromData.ini [PREVIOUSMACADDR] BYTE6=FF",
                                   "EpromData.ini [NEXTMACADDR] BYTE1=00",
                                   "EpromData.ini [NEXTMACADDR] BYTE2=1b",
                                   "EpromData.ini [NEXTMACADDR] BYTE3=4e",
                                   "EpromData.ini [NEXTMACADDR] BYTE4=7a",
                                   "EpromData.ini [NEXTMACADDR] BYTE5=02",
                                   "EpromData.ini [NEXTMACADDR] BYTE6=00",
                               }));
    EXPECT_EQ(view->text(IDC_PACKET_SIZE), "1");  // an empty packet box is set to 1 on screen
    EXPECT_EQ(pauses.pauses, (std::vector<uint32_t>{2000}));
    EXPECT_EQ(statusAtPause, (std::vector<std::string>{text(8)}));
    EXPECT_EQ(view->text(IDC_STATUS), text(4));
    EXPECT_TRUE(view->enabled(IDC_CLEAR_ADDRESS));
    EXPECT_EQ(view->text(IDC_CHANGE_SAVE_SETTINGS), "&Save Settings");  // stays in editing mode
    EXPECT_TRUE(view->enabled(IDC_REGISTER_TEST));
    EXPECT_TRUE(view->messages().empty());
}

TEST_F(EditorTest, saveCarriesIntoByteFourButNeverIntoTheVendorPart) {
    start();
    login();
    setAddress({"AA", "bb", "cc", "12", "ff", "FF"});
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    const char* next[] = {"aa", "bb", "cc", "13", "00", "00"};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", ("BYTE" + std::to_string(i + 1)).c_str()), next[i]);
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE2"), "BB");  // the boxes show capitals
}

TEST_F(EditorTest, anEmptyAddressBoxStopsSaveBeforeAnythingIsWritten) {
    start();
    login();
    for (int empty = 0; empty < 6; ++empty) {
        setAddress({"00", "1B", "4E", "7A", "01", "02"});
        view->setText(kBoxes[empty], "");
        if (empty == 4) view->setText(kBoxes[5], "");  // the first empty box wins
        view->messages().clear();
        profiles.writes.clear();
        view->click(IDC_CHANGE_SAVE_SETTINGS);
        ASSERT_EQ(view->messages().size(), 1u);
        EXPECT_EQ(view->messages()[0].text, "Empty MAC address field!! Fill any value.");
        EXPECT_EQ(view->messages()[0].icon, Icon::Exclamation);
        EXPECT_EQ(view->focused(), kBoxes[empty]);
        EXPECT_TRUE(profiles.writes.empty());
        EXPECT_TRUE(pauses.pauses.empty());
    }
}

TEST_F(EditorTest, textThatIsNotHexadecimalIsStoredAsTypedAndCountsAsByteZero) {
    start();
    login();
    setAddress({"G1", "1B", "4E", "7A", "0x1f", "zz"});
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE1"), "G1");
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE6"), "ZZ");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE1"), "00");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE5"), "1f");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE6"), "01");
}

// The station may record lots while the editor is open.
TEST_F(EditorTest, saveKeepsTheStationsNewerAddressWhenTheBoxesWereNotEdited) {
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "00"});
    start();
    login();
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "3f"});  // the station's lot
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE6"), "3f");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE6"), "40");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE6), "3F");
    EXPECT_TRUE(view->messages().empty());

    // What the operator changed is written as it stands, even over a newer record...
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "7f"});
    view->setText(IDC_ADDRESS_BYTE6, "21");
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE6"), "21");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE6"), "22");
    // ... and so is what the operator typed, even when it reads as it did before.
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "7f"});
    view->setText(IDC_ADDRESS_BYTE6, "");
    view->moveFocus(IDC_ADDRESS_BYTE6);
    view->type("2");
    view->type("1");
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE6"), "21");
}

TEST_F(EditorTest, saveWritesTheBoxesAsTheyStandWhenTheRecordIsUnchanged) {
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "0a"});
    start();
    login();
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE6"), "0A");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE6"), "0b");
}

TEST_F(EditorTest, clearEmptiesBothAddressRecordsAndLeavesTheRest) {
    writeFile("EpromData.ini", "[INITIALDEVCOUNT]\r\nCOUNT=100\r\n[OVERWRITEFLAG]\r\nOVERWRITE=1\r\n");
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "00"});
    writeAddress("NEXTMACADDR", {"00", "1b", "4e", "7a", "01", "01"});
    start();
    login();
    ASSERT_TRUE(view->enabled(IDC_CLEAR_ADDRESS));
    profiles.writes.clear();
    view->click(IDC_CLEAR_ADDRESS);
    ASSERT_EQ(profiles.writes.size(), 12u);
    EXPECT_EQ(profiles.writes[0], "EpromData.ini [PREVIOUSMACADDR] BYTE1=");
    EXPECT_EQ(profiles.writes[6], "EpromData.ini [NEXTMACADDR] BYTE1=");
    for (int i = 1; i <= 6; ++i) {
        EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", ("BYTE" + std::to_string(i)).c_str()), "");
        EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", ("BYTE" + std::to_string(i)).c_str()), "");
    }
    EXPECT_EQ(read("EpromData.ini", "INITIALDEVCOUNT", "COUNT"), "100");
    EXPECT_EQ(read("EpromData.ini", "OVERWRITEFLAG", "OVERWRITE"), "1");
    EXPECT_FALSE(view->enabled(IDC_CLEAR_ADDRESS));
    for (int id : kBoxes) EXPECT_EQ(view->text(id), "");
    EXPECT_TRUE(view->messages().empty());
}

TEST_F(EditorTest, clearWithoutTheRecordFileWritesNothingButStillEmptiesTheBoxes) {
    start();
    login();
    setAddress({"00", "1B", "4E", "7A", "01", "02"});
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    std::filesystem::remove(path("EpromData.ini"));
    profiles.writes.clear();
    view->click(IDC_CLEAR_ADDRESS);
    EXPECT_TRUE(profiles.writes.empty());
    EXPECT_FALSE(fileExists("EpromData.ini"));
    EXPECT_FALSE(view->enabled(IDC_CLEAR_ADDRESS));
    for (int id : kBoxes) EXPECT_EQ(view->text(id), "");
}

TEST_F(EditorTest, packetBoxesAboveTheirLimitsAreResetWhenTheyLoseTheFocus) {
    struct Case { int box; const char* typed; const char* message; const char* after; };
    const Case cases[] = {
        {IDC_PACKET_COUNT, "100001", "PacketCount Cannot Exceed 100000", "1"},
        {IDC_PACKET_COUNT, "100000", nullptr, "100000"},
        {IDC_PACKET_COUNT, "0", nullptr, "0"},
        {IDC_PACKET_COUNT, "99999999999999", "PacketCount Cannot Exceed 100000", "1"},
        {IDC_PACKET_SIZE, "1515", "PacketSize Cannot Exceed 1514", "1"},
        {IDC_PACKET_SIZE, "1514", nullptr, "1514"},
        {IDC_PACKET_SIZE, "", nullptr, ""},
    };
    start();
    login();
    for (const auto& c : cases) {
        view->messages().clear();
        view->moveFocus(c.box);
        view->setText(c.box, "");
        view->type(c.typed);
        view->moveFocus(IDC_REGISTER_TEST);
        EXPECT_EQ(view->text(c.box), c.after) << c.typed;
        if (c.message) {
            ASSERT_EQ(view->messages().size(), 1u) << c.typed;
            EXPECT_EQ(view->messages()[0].text, c.message);
            EXPECT_EQ(view->messages()[0].icon, Icon::Exclamation);
            EXPECT_EQ(view->focused(), c.box) << c.typed;
        } else {
            EXPECT_TRUE(view->messages().empty()) << c.typed;
            EXPECT_EQ(view->focused(), IDC_REGISTER_TEST);
        }
    }
}

TEST_F(EditorTest, theLoopbackBoxesEnableThePacketBoxesWithoutTouchingTheirTexts) {
    writeFile("EthernetDiagnostic.ini", "[TESTITEMS]\r\nLongLoopback=0\r\nExternalLoopback=0\r\n");
    start();
    login();
    EXPECT_TRUE(view->enabled(IDC_PACKET_COUNT));  // enabled by the login whatever the boxes show
    view->click(IDC_LONG_LOOPBACK);
    EXPECT_TRUE(view->enabled(IDC_PACKET_COUNT));
    view->click(IDC_LONG_LOOPBACK);
    EXPECT_FALSE(view->enabled(IDC_PACKET_COUNT));
    EXPECT_FALSE(view->enabled(IDC_PACKET_SIZE));
    view->click(IDC_EXTERNAL_LOOPBACK);
    EXPECT_TRUE(view->enabled(IDC_PACKET_SIZE));
    view->click(IDC_LONG_LOOPBACK);
    view->click(IDC_EXTERNAL_LOOPBACK);
    EXPECT_TRUE(view->enabled(IDC_PACKET_COUNT));  // long still on
    EXPECT_EQ(view->text(IDC_PACKET_COUNT), "1");
    EXPECT_EQ(view->text(IDC_PACKET_SIZE), "1");
}

TEST_F(EditorTest, theAddressFilterDropsNonHexCharactersAndMovesOnAfterTwo) {
    start();
    login();
    view->moveFocus(IDC_ADDRESS_BYTE1);
    view->type("2");
    view->type("g");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE1), "2");
    EXPECT_EQ(view->session().beeps, 1);
    EXPECT_EQ(view->focused(), IDC_ADDRESS_BYTE1);
    view->type("b");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE1), "2B");
    EXPECT_EQ(view->focused(), IDC_ADDRESS_BYTE2);
    view->type("1b-4E:7a 01ff");
    const char* expected[] = {"2B", "1B", "4E", "7A", "01", "FF"};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(view->text(kBoxes[i]), expected[i]);
    EXPECT_EQ(view->session().beeps, 4);  // "g", "-", ":" and " "
    // From the last box the focus goes to Clear, which cannot take it while disabled.
    EXPECT_EQ(view->focused(), IDC_ADDRESS_BYTE6);
}

TEST_F(EditorTest, theLastAddressBoxHandsTheFocusToClearWhenAnAddressIsRecorded) {
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "00"});
    start();
    login();
    view->setText(IDC_ADDRESS_BYTE6, "");
    view->moveFocus(IDC_ADDRESS_BYTE6);
    view->type("e1");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE6), "E1");
    EXPECT_EQ(view->focused(), IDC_CLEAR_ADDRESS);
}

TEST_F(EditorTest, aDigitTypedAfterTabIntoAOneCharacterBoxReplacesItAndKeepsTheFocus) {
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "00"});
    start();
    login();
    view->setText(IDC_ADDRESS_BYTE2, "1");
    view->tabTo(IDC_ADDRESS_BYTE2);  // selects the "1"
    view->type("4");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE2), "4");
    EXPECT_EQ(view->focused(), IDC_ADDRESS_BYTE2);
    view->type("c");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE2), "4C");
    EXPECT_EQ(view->focused(), IDC_ADDRESS_BYTE3);
    view->tabTo(IDC_ADDRESS_BYTE3);  // "4e", all selected
    view->type("\b");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE3), "");
    EXPECT_EQ(view->focused(), IDC_ADDRESS_BYTE3) << "nothing was left outside the selection";
}

TEST_F(EditorTest, aBackspaceInABoxHoldingOneCharacterDeletesItAndMovesOn) {
    start();
    login();
    view->moveFocus(IDC_ADDRESS_BYTE3);
    view->type("7");
    view->type("\b");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE3), "");
    EXPECT_EQ(view->focused(), IDC_ADDRESS_BYTE4);
    EXPECT_EQ(view->session().beeps, 0);
}

TEST_F(EditorTest, exitEscapeTheCloseBoxAndEnterEndTheDialogWithoutSaving) {
    struct Case { const char* how; int focus; };
    const Case cases[] = {{"exit", 0}, {"escape", 0}, {"close", 0}, {"enter", IDC_PACKET_COUNT},
                          {"enter", IDC_REGISTER_TEST}, {"enter", IDC_ADDRESS_BYTE2}};
    for (const auto& c : cases) {
        start();
        login();
        setAddress({"00", "1B", "4E", "7A", "01", "02"});
        view->click(IDC_ENABLE_LOGGING);
        if (c.focus) view->moveFocus(c.focus);
        profiles.writes.clear();
        const std::string how = c.how;
        if (how == "exit") view->click(IDC_EXIT);
        if (how == "escape") view->pressEscape();
        if (how == "close") view->closeBox();
        if (how == "enter") view->pressEnter();
        EXPECT_TRUE(view->ended()) << c.how << " " << c.focus;
        EXPECT_TRUE(profiles.writes.empty()) << c.how << " " << c.focus;
    }
    EXPECT_EQ(read("EthernetDiagnostic.ini", "LOGFLAG", "Enable"), "0");
}

// ---- Files that cannot be written (held open by another program).

TEST_F(EditorTest, aSaveThatCannotWriteTheRecordsSaysSoInsteadOfSavedAndKeepsTheOperatorsValues) {
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "00"});
    writeAddress("NEXTMACADDR", {"00", "1b", "4e", "7a", "01", "01"});
    start();
    login();
    view->click(IDC_ENABLE_LOGGING);
    setAddress({"00", "1B", "4E", "7A", "02", "FF"});
    std::vector<std::string> statusAtPause;
    pauses.onPause = [&](uint32_t) { statusAtPause.push_back(view->text(IDC_STATUS)); };
    profiles.held = {"EpromData.ini"};
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text, ui::fillIn(text(IDS_NOT_SAVED), {dir.path().string() + "\\EpromData.ini"}));
    EXPECT_EQ(view->messages()[0].icon, Icon::Stop);
    EXPECT_EQ(view->messages()[0].buttons, ui::Buttons::Ok);
    EXPECT_TRUE(statusAtPause.empty()) << "no \"New Settings Saved.\"";
    EXPECT_TRUE(pauses.pauses.empty());
    EXPECT_EQ(view->text(IDC_STATUS), text(IDS_STATUS_EDITING));
    // Still editing, with what the operator typed and checked.
    EXPECT_EQ(view->text(IDC_CHANGE_SAVE_SETTINGS), "&Save Settings");
    for (int id : kSettingsControls) EXPECT_TRUE(view->enabled(id)) << id;
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE5), "02");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE6), "FF");
    EXPECT_TRUE(view->checked(IDC_ENABLE_LOGGING));
    // No next address was written after the last address that was not.
    for (const std::string& w : profiles.writes) EXPECT_EQ(w.find("NEXTMACADDR"), std::string::npos) << w;
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE6"), "00");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE6"), "01");
    EXPECT_EQ(read("EthernetDiagnostic.ini", "LOGFLAG", "Enable"), "1") << "the other file was written";

    // Once the file can be written, the next Save writes the boxes as the operator left them.
    profiles.held.clear();
    view->messages().clear();
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    EXPECT_TRUE(view->messages().empty());
    EXPECT_EQ(statusAtPause, (std::vector<std::string>{text(IDS_STATUS_SAVING)}));
    EXPECT_EQ(view->text(IDC_STATUS), text(IDS_STATUS_SAVED));
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE5"), "02");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE4"), "7a");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE5"), "03");
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE6"), "00");
}

TEST_F(EditorTest, aSaveThatCannotWriteTheDiagnosticsSettingsNamesThatFile) {
    start();
    login();
    setAddress({"00", "1B", "4E", "7A", "01", "02"});
    profiles.held = {"EthernetDiagnostic.ini"};
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text,
              ui::fillIn(text(IDS_NOT_SAVED), {dir.path().string() + "\\EthernetDiagnostic.ini"}));
    EXPECT_EQ(view->messages()[0].icon, Icon::Stop);
    EXPECT_EQ(view->text(IDC_STATUS), text(IDS_STATUS_EDITING));
    EXPECT_TRUE(pauses.pauses.empty());
    EXPECT_EQ(read("EpromData.ini", "NEXTMACADDR", "BYTE6"), "03") << "the records were written";
}

TEST_F(EditorTest, aClearThatCannotWriteTheRecordsSaysSoAndKeepsTheAddressAndTheButton) {
    writeAddress("PREVIOUSMACADDR", {"00", "1b", "4e", "7a", "01", "00"});
    writeAddress("NEXTMACADDR", {"00", "1b", "4e", "7a", "01", "01"});
    start();
    login();
    ASSERT_TRUE(view->enabled(IDC_CLEAR_ADDRESS));
    profiles.held = {"EpromData.ini"};
    view->click(IDC_CLEAR_ADDRESS);
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text, ui::fillIn(text(IDS_NOT_SAVED), {dir.path().string() + "\\EpromData.ini"}));
    EXPECT_EQ(view->messages()[0].icon, Icon::Stop);
    EXPECT_TRUE(view->enabled(IDC_CLEAR_ADDRESS));
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE1), "00");
    EXPECT_EQ(view->text(IDC_ADDRESS_BYTE6), "00");
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE1"), "00");
    EXPECT_EQ(view->text(IDC_CHANGE_SAVE_SETTINGS), "&Save Settings");

    profiles.held.clear();
    view->messages().clear();
    view->click(IDC_CLEAR_ADDRESS);
    EXPECT_TRUE(view->messages().empty());
    EXPECT_FALSE(view->enabled(IDC_CLEAR_ADDRESS));
    EXPECT_EQ(read("EpromData.ini", "PREVIOUSMACADDR", "BYTE1"), "");
}

TEST(EditorTemplate, theMessageOfASaveThatFailedNamesTheFile) {
    RcStrings strings(programResources("setupeditor.rc"));
    EXPECT_EQ(ui::fillIn(strings.text(IDS_NOT_SAVED), {"C:\\windows\\EpromData.ini"}),
              "The settings could not be saved: C:\\windows\\EpromData.ini could not be written !! \nClose any "
              "program that holds this file open and try again.");
}

// ---- The station's name and ledger server ("Ledger..." and its dialog).

TEST_F(EditorTest, theLedgerDialogShowsTheStationsNameAndServerReadOnlyWhileLocked) {
    writeFile("EthernetDiagnostic.ini", "[LEDGER]\r\nStationName=LINE-2\r\nConnection=DSN=LineLedger\r\n");
    start();
    EXPECT_TRUE(view->enabled(IDC_LEDGER_SETTINGS)) << "the values can be looked at before the login";
    view->onChild(IDD_LEDGER_SETTINGS, [](FakeDialog& d) {
        EXPECT_EQ(d.text(IDC_STATION_NAME), "LINE-2");
        EXPECT_EQ(d.text(IDC_LEDGER_CONNECTION), "DSN=LineLedger");
        for (int id : {IDC_STATION_NAME, IDC_LEDGER_CONNECTION}) {
            EXPECT_FALSE(d.enabled(id)) << id;
            EXPECT_EQ(d.control(id).limit, 259u) << "what a profile read gives back";
        }
        d.setText(IDC_STATION_NAME, "OTHER");
        d.pressEnter();
    });
    view->click(IDC_LEDGER_SETTINGS);
    EXPECT_EQ(view->session().childrenRun, (std::vector<int>{IDD_LEDGER_SETTINGS}));
    login();
    profiles.writes.clear();
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    for (const std::string& w : profiles.writes)
        EXPECT_TRUE(w.find("StationName") == std::string::npos && w.find("Connection") == std::string::npos) << w;
    EXPECT_EQ(read("EthernetDiagnostic.ini", "LEDGER", "StationName"), "LINE-2");
    EXPECT_EQ(read("EthernetDiagnostic.ini", "LEDGER", "Connection"), "DSN=LineLedger");
}

TEST_F(EditorTest, ledgerValuesTypedAfterTheLoginAreSavedTrimmedAfterTheGuardAndCancelKeepsTheOldOnes) {
    start();
    login();
    view->onChild(IDD_LEDGER_SETTINGS, [](FakeDialog& d) {
        EXPECT_TRUE(d.enabled(IDC_STATION_NAME));
        EXPECT_EQ(d.text(IDC_LEDGER_CONNECTION), "");
        d.setText(IDC_STATION_NAME, "  LINE-3\t");
        d.setText(IDC_LEDGER_CONNECTION, " DSN=LineLedger;");
        d.pressEnter();
    });
    view->click(IDC_LEDGER_SETTINGS);
    view->onChild(IDD_LEDGER_SETTINGS, [](FakeDialog& d) {
        EXPECT_EQ(d.text(IDC_STATION_NAME), "LINE-3") << "the values taken, before they are saved";
        d.setText(IDC_STATION_NAME, "DISCARDED");
        d.pressEscape();
    });
    view->click(IDC_LEDGER_SETTINGS);

    // A Save that cannot write the file keeps them for the next one.
    setAddress({"00", "1B", "4E", "7A", "01", "02"});
    profiles.held = {"EthernetDiagnostic.ini"};
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    ASSERT_EQ(view->messages().size(), 1u);
    EXPECT_EQ(view->messages()[0].text,
              ui::fillIn(text(IDS_NOT_SAVED), {dir.path().string() + "\\EthernetDiagnostic.ini"}));
    profiles.held.clear();
    profiles.writes.clear();
    view->click(IDC_CHANGE_SAVE_SETTINGS);
    const auto guard = std::find(profiles.writes.begin(), profiles.writes.end(),
                                 "EthernetDiagnostic.ini [LEDGER] GuardReissue=1");
    ASSERT_NE(guard, profiles.writes.end());
    EXPECT_EQ(std::vector<std::string>(guard + 1, guard + 3),
              (std::vector<std::string>{"EthernetDiagnostic.ini [LEDGER] StationName=LINE-3",
                                        "EthernetDiagnostic.ini [LEDGER] Connection=DSN=LineLedger;"}));
    EXPECT_EQ(read("EthernetDiagnostic.ini", "LEDGER", "StationName"), "LINE-3");
    EXPECT_EQ(read("EthernetDiagnostic.ini", "LEDGER", "Connection"), "DSN=LineLedger;");
}
