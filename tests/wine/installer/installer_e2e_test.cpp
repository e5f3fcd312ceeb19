// installer_e2e_test.cpp: the station PC package under Wine: installs it silently with and without its training component, runs a lot with the installed training builds on a simulated bench while the installed production station ignores that bench, uninstalls, and checks that the station's records and ledger stay.
#include "bench/bench_control.h"
#include "resources/progstation_ids.h"
#include "tests/fakes/rc_file.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/wine/support/driver.h"

#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <map>

using namespace lt::wine;

namespace {

std::string stationText(uint32_t id) {
    return lt::test::RcStrings(lt::test::programResources("progstation.rc")).text(id);
}

constexpr const char* kStationCaption = "USB-Ethernet Diagnostics & EEPROM Programming Utility";
constexpr const char* kTesterCaption = "Ethernet Diagnostic Tool";
constexpr int kTesterExit = 1008;  // EthTester's Exit button
constexpr DWORD kInstallWait = 60000;
const char* const kPrograms[] = {"ProgStation.exe", "EthTester.exe", "SetupEditor.exe"};
// The optional training component, with the shortcut of each of its programs.
struct TrainingFile { const char* file; const char* shortcut; };
const TrainingFile kTraining[] = {{"ProgStationTraining.exe", "ProgStation Training"},
                                  {"EthTesterTraining.exe", "EthTester Training"},
                                  {"benchctl.exe", nullptr}};
const char* const kRecords[] = {"EpromData.ini", "EthernetDiagnostic.ini", "Password.dat", "Customize.ini",
                                "AddressLedger.csv"};
constexpr const char* kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\AdapterLineTools";

// Runs a command line and waits for it to end; its exit code, or -1.
int run(const std::string& commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return -1;
    DWORD code = 1;
    if (WaitForSingleObject(info.hProcess, kInstallWait) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    else TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(code);
}

std::string menuFolder() {
    char programs[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, programs);
    return std::string(programs) + "\\Adapter Line Tools";
}

struct Shortcut {
    bool read = false;
    std::string target, workingDirectory;
};

// What a shortcut starts and where, as the shell reads it.
Shortcut readShortcut(const std::string& path) {
    Shortcut s;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return s;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char buffer[MAX_PATH] = {};
            link->GetPath(buffer, MAX_PATH, nullptr, 0);
            s.target = buffer;
            buffer[0] = '\0';
            link->GetWorkingDirectory(buffer, MAX_PATH);
            s.workingDirectory = buffer;
            s.read = true;
        }
        file->Release();
    }
    link->Release();
    return s;
}

bool uninstallEntryExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The file a window's process was started from.
std::string imageOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    char path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    QueryFullProcessImageNameA(process, 0, path, &size);
    CloseHandle(process);
    return std::string(path, size);
}

bool sameFile(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

class InstalledStation : public ::testing::Test {
protected:
    lt::test::TempDir work;  // the bench file
    std::string bench = work.file("bench.txt");
    std::string folder;      // where the test installs the package

    static void SetUpTestSuite() { CoInitialize(nullptr); }

    void SetUp() override {
        cleanSharedFiles();
        SetEnvironmentVariableA("KORUSBMAC_BENCH", bench.c_str());
        // The driver package folder, which knows the default VID and PID; no EthTester there,
        // so only the installed one can answer the station's button.
        CreateDirectoryA("C:\\UsbMac", nullptr);
        const std::string inf = windowsPath((lt::test::sourceDir() / "packaging" / "usbmac" / "netkoru.inf").string());
        ASSERT_TRUE(CopyFileA(inf.c_str(), "C:\\UsbMac\\netkoru.inf", FALSE));
        DeleteFileA("C:\\UsbMac\\EthTester.exe");
        ASSERT_TRUE(lt::test::benchctl(bench, {"create", "4"}));
    }
    void TearDown() override {
        // Whatever a failed case left: the programs, the uninstaller, the folder.
        if (!folder.empty() && fileExists(folder + "\\Uninstall.exe")) uninstall();
        cleanSharedFiles();
    }

    void install(const std::string& to, bool training) {
        const std::string installer = windowsPath(LT_INSTALLER_EXE);
        // /D must come last and unquoted, blanks and all.
        ASSERT_EQ(run("\"" + installer + "\" /S" + (training ? " /TRAINING" : "") + (to.empty() ? "" : " /D=" + to)),
                  0);
        for (const char* program : kPrograms) ASSERT_TRUE(fileExists(folder + "\\" + program)) << program;
        for (const TrainingFile& t : kTraining) {
            EXPECT_EQ(fileExists(folder + "\\" + t.file), training) << t.file;
            if (t.shortcut) {
                EXPECT_EQ(fileExists(menuFolder() + "\\" + t.shortcut + ".lnk"), training) << t.shortcut;
            }
        }
    }
    // Starts an installed program as its shortcut does, answers the start-up recommendation
    // and finds the station's window.
    std::pair<std::unique_ptr<Program>, Dialog> startStation(const std::string& file) {
        auto station = Program::start(folder + "\\" + file, folder);
        if (!station) return {nullptr, Dialog()};
        auto box = station->waitForMessageBox(kStartWait);
        EXPECT_TRUE(box) << "no start-up recommendation";
        if (box) answer(*box, IDOK);
        auto found = station->waitForDialog(kStationCaption, 20000);
        EXPECT_TRUE(found) << "the installed " << file << " did not open";
        return {std::move(station), found.value_or(Dialog())};
    }
    // The uninstaller copies itself away and returns at once; the copy does the work.
    void uninstall() {
        ASSERT_EQ(run("\"" + folder + "\\Uninstall.exe\" /S"), 0);
        ASSERT_TRUE(waitUntil([&] { return !fileExists(folder + "\\Uninstall.exe"); }, kInstallWait))
            << "the uninstaller did not finish";
        waitUntil([&] { return !fileExists(menuFolder()); }, 5000);
    }
    std::map<std::string, std::string> records() {
        std::map<std::string, std::string> out;
        for (const char* name : kRecords) out[name] = readFile(sharedFile(name)).value_or("<missing>");
        return out;
    }
};

}  // namespace

TEST_F(InstalledStation, theTrainingBuildsProgramALotAndStartTheirTesterAndTheRecordsStayAfterUninstall) {
    folder = "C:\\Line Station Tools";
    install(folder, true);
    ASSERT_TRUE(uninstallEntryExists());
    std::vector<std::pair<std::string, std::string>> shortcuts;  // name, program
    for (const char* program : kPrograms)
        shortcuts.emplace_back(std::string(program).substr(0, std::string(program).size() - 4), program);
    for (const TrainingFile& t : kTraining)
        if (t.shortcut) shortcuts.emplace_back(t.shortcut, t.file);
    for (const auto& [name, program] : shortcuts) {
        const Shortcut s = readShortcut(menuFolder() + "\\" + name + ".lnk");
        ASSERT_TRUE(s.read) << name;
        EXPECT_TRUE(sameFile(s.target, folder + "\\" + program)) << s.target;
        EXPECT_TRUE(sameFile(s.workingDirectory, folder)) << s.workingDirectory;
    }

    // The station's options as SetupEditor would store them, and a password set on the line.
    writeFile(sharedFile("EthernetDiagnostic.ini"),
              "[TESTITEMS]\r\nRegister=1\r\nQuickLoopback=1\r\n[EPROMUTILITY]\r\nOverWriteAddress=0\r\n"
              "DisplayMacAddresses=0\r\nLaunchDiagnosticApp=0\r\n");
    writeFile(sharedFile("Password.dat"), std::string("\x10\x22\x05\x31", 4));

    const char* start[] = {"00", "1B", "4E", "7A", "01", "00"};
    auto fill = [&](Dialog& d) {
        for (int i = 0; i < 6; ++i) d.setText(IDC_START_BYTE1 + i, start[i]);
        d.setText(IDC_DEVICE_COUNT, "8");
    };

    // The installed production station, with the bench named all the same, finds no driver.
    {
        auto started = startStation("ProgStation.exe");
        std::unique_ptr<Program>& production = started.first;
        Dialog main = started.second;
        ASSERT_TRUE(main.alive());
        EXPECT_FALSE(main.visible(IDC_TRAINING_MARK));
        fill(main);
        main.click(IDC_START);
        auto box = production->waitForMessageBox(60000);
        ASSERT_TRUE(box) << "no message for the missing driver";
        EXPECT_EQ(box->text, stationText(IDS_CHECK_DEVICE));
        ASSERT_TRUE(answer(*box, IDOK));
        ASSERT_TRUE(production->waitForExit().has_value()) << "the production station stayed open";
        EXPECT_EQ(profileString(sharedFile("EpromData.ini"), "INITIALMACADDR", "BYTE1"), "<missing>");
    }

    // As its shortcut starts it: the installed training station, on the bench, marked.
    auto started = startStation("ProgStationTraining.exe");
    std::unique_ptr<Program>& station = started.first;
    Dialog main = started.second;
    ASSERT_TRUE(main.alive());
    EXPECT_TRUE(main.visible(IDC_TRAINING_MARK));
    EXPECT_EQ(main.text(IDC_TRAINING_MARK), "Training: simulated adapters (bench file " + bench + ")");
    fill(main);
    main.click(IDC_START);
    ASSERT_TRUE(waitUntil(
        [&] { return main.enabled(IDC_START) && main.text(IDC_STATUS) == stationText(IDS_LOT_PROGRAMMED); }, 60000))
        << main.text(IDC_STATUS);
    EXPECT_EQ(main.text(IDC_LAST_COUNT), "4");
    EXPECT_EQ(profileString(sharedFile("EpromData.ini"), "PREVIOUSDEVCOUNT", "COUNT"), "4");

    // The manual "Ethernet Diagnostics" button starts the installed training EthTester beside the station.
    // Posted, not clicked: the station waits for the tester without serving its window.
    PostMessageA(main.item(IDC_RUN_DIAGNOSTICS), BM_CLICK, 0, 0);
    HWND testerBox = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (testerBox = anyDialog("EthTester")) != nullptr; }, 20000))
        << "EthTester's start-up recommendation did not appear";
    PostMessageA(GetDlgItem(testerBox, IDOK), BM_CLICK, 0, 0);
    HWND tester = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (tester = anyDialog(kTesterCaption)) != nullptr; }, 20000));
    EXPECT_TRUE(sameFile(imageOf(tester), folder + "\\EthTesterTraining.exe")) << imageOf(tester);
    PostMessageA(GetDlgItem(tester, kTesterExit), BM_CLICK, 0, 0);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(tester) && main.enabled(IDC_START); }, 20000));

    main.click(IDC_EXIT);
    ASSERT_TRUE(station->waitForExit().has_value()) << "the station did not end";
    station.reset();

    const auto before = records();
    for (const auto& [name, content] : before) ASSERT_NE(content, "<missing>") << name;
    uninstall();
    EXPECT_FALSE(fileExists(folder)) << "the emptied install folder stays";
    EXPECT_FALSE(fileExists(menuFolder()));
    EXPECT_FALSE(uninstallEntryExists());
    EXPECT_EQ(records(), before);
}

TEST_F(InstalledStation, byDefaultOnlyTheProductionProgramsGoUnderProgramFilesAndUninstallLeavesTheTestersLogThere) {
    char programFiles[MAX_PATH] = {};
    ASSERT_NE(GetEnvironmentVariableA("ProgramW6432", programFiles, MAX_PATH), 0u);
    folder = std::string(programFiles) + "\\Adapter Line Tools";
    install("", false);
    const std::string log = folder + "\\USBEthDiagnostics.log";
    ASSERT_TRUE(writeFile(log, "a log the operator keeps\r\n"));

    uninstall();
    for (const char* program : kPrograms) EXPECT_FALSE(fileExists(folder + "\\" + program)) << program;
    EXPECT_EQ(readFile(log), std::string("a log the operator keeps\r\n"));
    EXPECT_FALSE(fileExists(menuFolder()));
    DeleteFileA(log.c_str());
    RemoveDirectoryA(folder.c_str());
}
