// driver_disk_e2e_test.cpp: "&Create Disk" of ProgStation.exe under Wine: the folder browser answered as the operator would, the disk checked through its files and the profile API.
#include "resources/progstation_ids.h"
#include "tests/support/bench_support.h"
#include "tests/support/test_support.h"
#include "tests/wine/support/driver.h"

#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace lt::wine;

namespace {

constexpr const char* kCaption = "USB-Ethernet Diagnostics & EEPROM Programming Utility";
constexpr const char* kBrowserCaption = "Browse for Folder";
const std::string kDisk = "C:\\Drv_Disk_8207_6514";
const std::string kId = "USB\\VID_8207&PID_6514";
const std::array<std::string, 5> kFiles = {"Setup.exe", "MacUnInstall.exe", "netkoru.inf", "korumac.sys",
                                           "kormac98.sys"};

// The IDs of the running processes, of those named `name` when a name is given.
std::set<DWORD> processIds(const std::string& name = {}) {
    std::set<DWORD> ids;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return ids;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (name.empty() || lstrcmpiA(entry.szExeFile, name.c_str()) == 0) ids.insert(entry.th32ProcessID);
    CloseHandle(snapshot);
    return ids;
}

// Removes a folder and its content, whatever the files' attributes.
void removeFolder(const std::string& path) {
    std::string list = path;
    list.push_back('\0');
    SHFILEOPSTRUCTA operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = list.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&operation);
}

bool isDirectory(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

// The lines of one section of an INF as text, without blank lines.
std::vector<std::string> sectionLines(const std::string& text, const std::string& section) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.front() == '[') {
            inside = line == "[" + section + "]";
        } else if (inside && !line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

class DriverDiskRun : public ::testing::Test {
protected:
    lt::test::TempDir work;
    std::string bench = work.file("bench.txt");
    std::unique_ptr<Program> program;
    Dialog main;
    std::set<DWORD> processesBefore;

    void SetUp() override {
        cleanSharedFiles();
        SetEnvironmentVariableA("KORUSBMAC_BENCH", bench.c_str());
        ASSERT_TRUE(lt::test::benchctl(bench, {"create", "2"}));
        removeDisks();
        // The stand-in driver package as the build makes it.
        CreateDirectoryA("C:\\UsbMac", nullptr);
        for (const std::string& file : kFiles) {
            const std::string to = "C:\\UsbMac\\" + file;
            SetFileAttributesA(to.c_str(), FILE_ATTRIBUTE_NORMAL);
            const std::string from = windowsPath(std::string(LT_USBMAC_DIR) + "/" + file);
            ASSERT_TRUE(CopyFileA(from.c_str(), to.c_str(), FALSE)) << from;
        }
        processesBefore = processIds();
    }
    void TearDown() override {
        program.reset();
        endFileBrowsers();
        for (const std::string& file : kFiles)
            SetFileAttributesA(("C:\\UsbMac\\" + file).c_str(), FILE_ATTRIBUTE_NORMAL);
        removeDisks();
        cleanSharedFiles();
    }
    void removeDisks() {
        removeFolder(kDisk);
        removeFolder(kDisk + "_01");
    }
    // Opening the disk starts the system's file browser, which outlives the station: end
    // the file browsers that came up during the test, by their IDs.
    void endFileBrowsers() {
        std::set<DWORD> browsers = processIds("explorer.exe");
        browsers.merge(processIds("winefile.exe"));
        for (DWORD id : browsers) {
            if (processesBefore.count(id)) continue;
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
                TerminateProcess(process, 0);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
        }
    }

    void start() {
        program = Program::start(LT_PROGSTATION_EXE, work.path().string());
        ASSERT_NE(program, nullptr);
        auto box = program->waitForMessageBox(kStartWait);
        ASSERT_TRUE(box) << "no start-up recommendation";
        ASSERT_TRUE(answer(*box, IDOK));
        auto found = program->waitForDialog(kCaption);
        ASSERT_TRUE(found) << "the station did not open";
        main = *found;
    }
    // The browser as it opens, with the proposed folder selected; OK or Cancel pressed.
    void answerBrowser(int button) {
        auto browser = program->waitForDialog(kBrowserCaption);
        ASSERT_TRUE(browser) << "no folder browser";
        ASSERT_TRUE(browser->exists(button));
        browser->click(button);
    }
    void expectDiskIn(const std::string& folder) {
        for (const std::string& file : kFiles) {
            const std::string path = folder + "\\" + file;
            EXPECT_EQ(readFile(path).has_value(), true) << path;
            EXPECT_FALSE(isReadOnly(path)) << path;
        }
        const std::string inf = folder + "\\netkoru.inf";
        EXPECT_EQ(profileString(inf, "ControlFlags", "ExcludeFromSelect"), kId);
        EXPECT_EQ(profileString(inf, "COMPANY", "%" + kId + ".DeviceDesc%"), "KorUsbEth, " + kId);
        EXPECT_EQ(profileString(inf, "KorUsbEth", "DeviceID"), kId);
        EXPECT_EQ(profileString(inf, "Strings", kId + ".DeviceDesc"), "USB-Ethernet Adapter");
        const std::string text = readFile(inf).value_or("");
        EXPECT_EQ(sectionLines(text, "KORUMAC_DevID.ndi"), std::vector<std::string>{"HKR,Ndi,DeviceID,," + kId});
        EXPECT_EQ(sectionLines(text, "ControlFlags"), std::vector<std::string>{"ExcludeFromSelect=" + kId});
        // The other pair of the package is still known.
        EXPECT_EQ(profileString(inf, "COMPANY", "%USB\\VID_8207&PID_6500.DeviceDesc%"),
                  "KorUsbEth, USB\\VID_8207&PID_6500");
    }
    void expectStationClosed() {
        ASSERT_TRUE(program->waitForExit(20000).has_value()) << "the station did not close";
        EXPECT_EQ(profileString(sharedFile("EpromData.ini"), "DIAGNOSTICSMODE", "AUTO"), "0");
    }
};

}  // namespace

TEST_F(DriverDiskRun, acceptingTheProposedFolderWritesTheDiskAndClosesTheStation) {
    start();
    main.click(IDC_CREATE_DISK);
    answerBrowser(IDOK);
    expectStationClosed();
    EXPECT_TRUE(isDirectory(kDisk));
    expectDiskIn(kDisk);
    EXPECT_FALSE(isDirectory(kDisk + "_01"));
}

TEST_F(DriverDiskRun, cancelOnTheOverwriteQuestionPutsTheDiskInTheFirstNumberedFolder) {
    ASSERT_TRUE(CreateDirectoryA(kDisk.c_str(), nullptr));
    ASSERT_TRUE(writeFile(kDisk + "\\keep.txt", "the operator's"));
    start();
    main.click(IDC_CREATE_DISK);
    auto box = program->waitForMessageBox();
    ASSERT_TRUE(box) << "no overwrite question";
    EXPECT_EQ(box->text, "OverWrite Existing Directory ?");
    EXPECT_EQ(box->buttons, (std::vector<int>{IDOK, IDCANCEL}));
    ASSERT_TRUE(answer(*box, IDCANCEL));
    answerBrowser(IDOK);
    expectStationClosed();
    expectDiskIn(kDisk + "_01");
    EXPECT_EQ(readFile(kDisk + "\\keep.txt").value_or(""), "the operator's");
    EXPECT_FALSE(readFile(kDisk + "\\netkoru.inf").has_value());
}

TEST_F(DriverDiskRun, readOnlyPackageFilesGiveWritableCopiesAndTheInfIsRewritten) {
    ASSERT_TRUE(SetFileAttributesA("C:\\UsbMac\\netkoru.inf", FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(SetFileAttributesA("C:\\UsbMac\\korumac.sys", FILE_ATTRIBUTE_READONLY));
    const std::string package = readFile("C:\\UsbMac\\netkoru.inf").value_or("");
    start();
    main.click(IDC_CREATE_DISK);
    answerBrowser(IDOK);
    expectStationClosed();
    expectDiskIn(kDisk);
    EXPECT_TRUE(isReadOnly("C:\\UsbMac\\netkoru.inf"));
    EXPECT_EQ(readFile("C:\\UsbMac\\netkoru.inf").value_or("<unreadable>"), package);
}

TEST_F(DriverDiskRun, cancellingTheBrowserRemovesTheNewFolderAndKeepsTheStationOpen) {
    start();
    main.click(IDC_CREATE_DISK);
    ASSERT_TRUE(waitUntil([&] { return isDirectory(kDisk); }));
    answerBrowser(IDCANCEL);
    EXPECT_TRUE(waitUntil([&] { return !isDirectory(kDisk); }));
    EXPECT_TRUE(program->noMessageBoxFor(500));
    EXPECT_TRUE(program->running());
    main.click(IDC_EXIT);
    expectStationClosed();
}

TEST_F(DriverDiskRun, aMissingPackageFolderShowsMessage26) {
    for (const std::string& file : kFiles) DeleteFileA(("C:\\UsbMac\\" + file).c_str());
    ASSERT_TRUE(RemoveDirectoryA("C:\\UsbMac"));
    start();
    main.click(IDC_CREATE_DISK);
    auto box = program->waitForMessageBox();
    ASSERT_TRUE(box) << "no message 26";
    EXPECT_EQ(box->text, "Check Whether the Driver has been Installed Properly");
    ASSERT_TRUE(answer(*box, IDOK));
    EXPECT_FALSE(isDirectory(kDisk));
    EXPECT_TRUE(program->running());
    main.click(IDC_EXIT);
    expectStationClosed();
}
