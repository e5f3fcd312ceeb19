// driver_disk_test.cpp: "&Create Disk" through fake shell, browser and file ports, and the INF rewriting on copies of the stand-in package's real INF.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "portable/file_system_portable.h"
#include "portable/profile_files_portable.h"
#include "progstation/driver_disk.h"
#include "progstation/package_check.h"
#include "resources/progstation_ids.h"
#include "tests/fakes/fake_dialog.h"
#include "tests/fakes/fake_password_files.h"
#include "tests/fakes/rc_file.h"
#include "tests/support/test_support.h"
#include "tests/unit/progstation/station_fixture.h"

namespace lt::test {
namespace {

using progstation::DiskOutcome;

const std::string kId = "USB\\VID_8207&PID_6514";
const std::string kProposed = "C:\\Drv_Disk_8207_6514";

bool startsWith(const std::string& text, const std::string& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

// Drive C: in memory: folders and files by path, every change logged in order. Copies
// and the browser's answer are scripted.
struct FakeDrive : platform::FileSystem, progstation::ShellFolders, progstation::FolderBrowser {
    std::set<std::string> folders{"C:\\", "C:\\UsbMac", "C:\\windows"};
    std::map<std::string, std::string> files;
    std::set<std::string> failingCopies;  // destinations whose copy fails
    std::vector<std::string> log;
    std::vector<std::string>* shared = nullptr;  // the log the profile calls go to as well
    // The operator in the browser: the proposed folder in, the chosen one (or none) out.
    std::function<std::optional<std::string>(const std::string&)> operatorChoice = [](const std::string& p) {
        return std::optional<std::string>(p);
    };

    void note(const std::string& line) {
        log.push_back(line);
        if (shared) shared->push_back(line);
    }

    bool exists(const std::string& path) override { return folders.count(path) != 0 || files.count(path) != 0; }
    bool directoryExists(const std::string& path) override { return folders.count(path) != 0; }
    bool createDirectory(const std::string& path) override {
        note("create " + path);
        return folders.insert(path).second;
    }
    bool copyFile(const std::string& from, const std::string& to) override {
        note("copy " + from + " -> " + to);
        if (failingCopies.count(to) || !files.count(from)) return false;
        files[to] = files[from];
        return true;
    }
    std::optional<std::string> fullPath(const std::string& path) override { return path; }
    bool deleteFolder(const std::string& path) override {
        note("delete " + path);
        std::erase_if(folders, [&](const std::string& f) { return f == path || startsWith(f, path + "\\"); });
        std::erase_if(files, [&](const auto& f) { return startsWith(f.first, path + "\\"); });
        return true;
    }
    bool openFolder(const std::string& path) override {
        note("open " + path);
        return true;
    }
    std::optional<std::string> chooseFolder(const std::string& proposed) override {
        note("browse " + proposed);
        return operatorChoice(proposed);
    }
    bool clearReadOnly(const std::string& path) override {
        note("clear " + path);
        return true;
    }
};

// The profile calls on the disk's INF, logged; the write of one section, the delete of a
// section or the append of one can be made to fail.
struct FakeInfProfiles : settings::ProfileFiles {
    std::vector<std::string>* log = nullptr;
    std::string failingSection;
    bool sectionDeleteFails = false;
    bool appendFails = false;

    std::string readString(const std::string&, std::string_view, std::string_view, std::string_view defaultValue,
                           std::size_t) override {
        return std::string(defaultValue);
    }
    uint32_t readInt(const std::string&, std::string_view, std::string_view, int32_t defaultValue) override {
        return static_cast<uint32_t>(defaultValue);
    }
    bool writeString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override {
        log->push_back("write " + path + " [" + std::string(section) + "] " + std::string(key) + "=" +
                       std::string(value));
        return section != failingSection;
    }
    bool deleteKey(const std::string& path, std::string_view section, std::string_view key) override {
        log->push_back("delete " + path + " [" + std::string(section) + "] " + std::string(key));
        return true;
    }
    bool deleteSection(const std::string& path, std::string_view section) override {
        log->push_back("delete " + path + " [" + std::string(section) + "]");
        return !sectionDeleteFails;
    }
    bool writeSection(const std::string&, std::string_view, std::span<const std::string>) override {
        ADD_FAILURE() << "the section is written as text";
        return false;
    }
    bool appendSection(const std::string& path, std::string_view section,
                       std::span<const std::string> lines) override {
        std::string line = "append " + path + " [" + std::string(section) + "]";
        for (const std::string& l : lines) line += " " + l;
        log->push_back(line);
        return !appendFails;
    }
};

struct CreateDisk : ::testing::Test {
    std::vector<std::string> log;  // the drive's and the profiles' calls, in order
    FakeDrive drive;
    FakeInfProfiles profiles;
    FakeSystemPaths system;
    RcStrings strings{programResources("progstation.rc")};
    FakeDialog view;
    int fieldsTaken = 0;
    int exits = 0;
    int refreshes = 0;
    progstation::DriverDisk disk{{profiles, system, drive, drive, drive, strings}, view};

    CreateDisk() {
        drive.shared = &log;
        profiles.log = &log;
        for (std::string_view file : progstation::kPackageFiles)
            drive.files["C:\\UsbMac" + std::string(file)] = std::string(file.substr(1));
    }

    DiskOutcome press(const std::string& vid = "8207", const std::string& pid = "6514") {
        log.clear();
        drive.log.clear();
        return disk.create({[&] {
                                ++fieldsTaken;
                                return progstation::IdTexts{vid, pid};
                            },
                            [this] { ++refreshes; }, [this] { ++exits; }});
    }
    std::vector<std::string> drivelog(const std::string& kind) const {
        std::vector<std::string> out;
        for (const std::string& line : drive.log)
            if (startsWith(line, kind + " ")) out.push_back(line.substr(kind.size() + 1));
        return out;
    }
    std::vector<std::string> messages() {
        std::vector<std::string> out;
        for (const ShownMessage& m : view.messages()) out.push_back(m.text);
        return out;
    }
    void takeNumberedNames(int upTo) {
        drive.folders.insert(kProposed);
        for (int n = 1; n <= upTo; ++n) {
            char suffix[16];  // room for any int, as for the station's own names
            std::snprintf(suffix, sizeof suffix, "_%02d", n);
            drive.folders.insert(kProposed + suffix);
        }
    }
    // The five package files, each copied into `folder` and its copy's attribute cleared.
    static std::vector<std::string> copiesInto(const std::string& folder) {
        std::vector<std::string> out;
        for (std::string_view file : progstation::kPackageFiles) {
            out.push_back("copy C:\\UsbMac" + std::string(file) + " -> " + folder + std::string(file));
            out.push_back("clear " + folder + std::string(file));
        }
        return out;
    }
    bool diskWrittenInto(const std::string& folder) const {
        return std::all_of(progstation::kPackageFiles.begin(), progstation::kPackageFiles.end(),
                           [&](std::string_view f) { return drive.files.count(folder + std::string(f)) != 0; });
    }
};

TEST_F(CreateDisk, aMissingPackageFolderShowsMessage26AndCreatesNothing) {
    drive.folders.erase("C:\\UsbMac");
    EXPECT_EQ(press(), DiskOutcome::PackageMissing);
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, strings.text(IDS_CHECK_DRIVER_INSTALLED));
    EXPECT_EQ(view.messages()[0].icon, ui::Icon::Exclamation);
    EXPECT_EQ(view.messages()[0].buttons, ui::Buttons::Ok);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(fieldsTaken, 0);
    EXPECT_EQ(exits, 0);
}

TEST_F(CreateDisk, acceptingTheProposedFolderWritesTheDiskOpensItAndClosesTheStation) {
    EXPECT_EQ(press(), DiskOutcome::Created);
    EXPECT_TRUE(messages().empty());
    const std::string inf = kProposed + "\\netkoru.inf";
    std::vector<std::string> expected = {"create " + kProposed, "browse " + kProposed};
    for (const std::string& line : copiesInto(kProposed)) expected.push_back(line);
    const std::vector<std::string> infSteps = {
        "clear " + inf,
        "delete " + inf + " [ControlFlags] ExcludeFromSelect",
        "delete " + inf + " [ControlFlags] ExcludeFromSelect",
        "write " + inf + " [ControlFlags] ExcludeFromSelect=" + kId,
        "clear " + inf,
        "delete " + inf + " [COMPANY] %" + kId + ".DeviceDesc%",
        "delete " + inf + " [COMPANY] %" + kId + ".DeviceDesc%",
        "write " + inf + " [COMPANY] %" + kId + ".DeviceDesc%=KorUsbEth, " + kId,
        "clear " + inf,
        "delete " + inf + " [KorUsbEth] DeviceID",
        "delete " + inf + " [KorUsbEth] DeviceID",
        "write " + inf + " [KorUsbEth] DeviceID=" + kId,
        "clear " + inf,
        "delete " + inf + " [KORUMAC_DevID.ndi]",
        "append " + inf + " [KORUMAC_DevID.ndi] HKR,Ndi,DeviceID,," + kId,
        "clear " + inf,
        "delete " + inf + " [strings] " + kId + ".DeviceDesc",
        "delete " + inf + " [strings] " + kId + ".DeviceDesc",
        "write " + inf + " [strings] " + kId + ".DeviceDesc=\"USB-Ethernet Adapter\"",
        "open " + kProposed,
    };
    expected.insert(expected.end(), infSteps.begin(), infSteps.end());
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(diskWrittenInto(kProposed));
    EXPECT_EQ(disk.folderName(), "Drv_Disk_8207_6514");
    EXPECT_EQ(fieldsTaken, 1);
    EXPECT_EQ(refreshes, 1);
    EXPECT_EQ(exits, 1);
}

TEST_F(CreateDisk, okOnMessage25ReplacesTheExistingFolder) {
    drive.folders.insert(kProposed);
    drive.files[kProposed + "\\old.txt"] = "old";
    view.answerNext(ui::Answer::Ok);
    EXPECT_EQ(press(), DiskOutcome::Created);
    ASSERT_EQ(view.messages().size(), 1u);
    EXPECT_EQ(view.messages()[0].text, "OverWrite Existing Directory ?");
    EXPECT_EQ(view.messages()[0].icon, ui::Icon::Information);
    EXPECT_EQ(view.messages()[0].buttons, ui::Buttons::OkCancel);
    const std::vector<std::string> start(drive.log.begin(), drive.log.begin() + 4);
    EXPECT_EQ(start, (std::vector<std::string>{"create " + kProposed, "delete " + kProposed, "create " + kProposed,
                                               "browse " + kProposed}));
    EXPECT_FALSE(drive.files.count(kProposed + "\\old.txt"));
    EXPECT_TRUE(diskWrittenInto(kProposed));
}

TEST_F(CreateDisk, cancelOnMessage25TakesTheFirstFreeNumberedName) {
    takeNumberedNames(2);
    view.answerNext(ui::Answer::Cancel);
    EXPECT_EQ(press(), DiskOutcome::Created);
    EXPECT_EQ(drivelog("create"), (std::vector<std::string>{kProposed, kProposed + "_01", kProposed + "_02",
                                                             kProposed + "_03"}));
    EXPECT_EQ(drivelog("browse"), std::vector<std::string>{kProposed + "_03"});
    EXPECT_TRUE(drivelog("delete").empty());
    EXPECT_EQ(disk.folderName(), "Drv_Disk_8207_6514_03");
    EXPECT_TRUE(diskWrittenInto(kProposed + "_03"));
}

TEST_F(CreateDisk, withAllNinetyNineNamesTakenTheExistingFolderIsProposedAndNothingIsDeleted) {
    takeNumberedNames(99);
    for (bool chooseOther : {false, true}) {
        SCOPED_TRACE(chooseOther ? "another folder chosen" : "browser cancelled");
        drive.folders.insert("C:\\Elsewhere");
        drive.operatorChoice = [&](const std::string&) {
            return chooseOther ? std::optional<std::string>("C:\\Elsewhere") : std::nullopt;
        };
        view.answerNext(ui::Answer::Cancel);
        press();
        EXPECT_EQ(drivelog("create").size(), 100u);
        EXPECT_EQ(drivelog("browse"), std::vector<std::string>{kProposed});
        EXPECT_TRUE(drivelog("delete").empty());
        EXPECT_EQ(disk.folderName(), "Drv_Disk_8207_6514");
        EXPECT_EQ(diskWrittenInto("C:\\Elsewhere"), chooseOther);
    }
}

TEST_F(CreateDisk, cancellingTheBrowserDeletesTheFolderThisRunCreated) {
    drive.operatorChoice = [](const std::string&) { return std::nullopt; };
    EXPECT_EQ(press(), DiskOutcome::Cancelled);
    EXPECT_EQ(drive.log, (std::vector<std::string>{"create " + kProposed, "browse " + kProposed,
                                                   "delete " + kProposed}));
    EXPECT_TRUE(messages().empty());
    EXPECT_EQ(refreshes, 0);
    EXPECT_EQ(exits, 0);
}

TEST_F(CreateDisk, anotherFolderChosenGetsTheDiskAndTheProposedFolderIsDeleted) {
    drive.folders.insert("D:\\Drivers");
    drive.operatorChoice = [](const std::string&) { return std::optional<std::string>("D:\\Drivers"); };
    EXPECT_EQ(press(), DiskOutcome::Created);
    EXPECT_EQ(drivelog("delete"), std::vector<std::string>{kProposed});
    EXPECT_FALSE(drive.folders.count(kProposed));
    EXPECT_TRUE(diskWrittenInto("D:\\Drivers"));
    EXPECT_EQ(drivelog("open"), std::vector<std::string>{"D:\\Drivers"});
    EXPECT_EQ(exits, 1);
}

// The browser may give the proposed folder back in another form, or a folder the
// operator made inside it: the operator's choice is never deleted.
TEST_F(CreateDisk, neverDeletesAFolderThatIsOrHoldsTheChosenOne) {
    struct Case {
        std::string chosen;
        std::string diskFolder;
    };
    const Case cases[] = {
        {"c:\\drv_disk_8207_6514", kProposed},
        {"C:\\Drv_Disk_8207_6514\\", kProposed},
        {"C:\\DRV_DISK_8207_6514\\", kProposed},
        {"C:\\Drv_Disk_8207_6514\\New Folder", "C:\\Drv_Disk_8207_6514\\New Folder"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.chosen);
        drive.folders.erase(kProposed);
        drive.operatorChoice = [&](const std::string&) {
            drive.folders.insert(c.diskFolder);
            return std::optional<std::string>(c.chosen);
        };
        EXPECT_EQ(press(), DiskOutcome::Created);
        EXPECT_TRUE(drivelog("delete").empty());
        EXPECT_TRUE(diskWrittenInto(c.diskFolder));
        EXPECT_EQ(drivelog("open"), std::vector<std::string>{c.chosen});
    }
}

TEST_F(CreateDisk, aDriveRootChosenStopsWithoutAMessage) {
    for (const std::string root : {"C:\\", "D:\\"}) {
        SCOPED_TRACE(root);
        drive.folders.erase(kProposed);
        drive.operatorChoice = [&](const std::string&) { return std::optional<std::string>(root); };
        EXPECT_EQ(press(), DiskOutcome::DriveRoot);
        EXPECT_EQ(drivelog("delete"), std::vector<std::string>{kProposed});
        EXPECT_TRUE(drivelog("copy").empty());
        EXPECT_TRUE(messages().empty());
        EXPECT_EQ(exits, 0);
    }
}

TEST_F(CreateDisk, aFailingCopyEndsWithTheFailureMessageAndLeavesTheEarlierCopies) {
    for (std::size_t failing = 0; failing < progstation::kPackageFiles.size(); ++failing) {
        const std::string target = kProposed + std::string(progstation::kPackageFiles[failing]);
        SCOPED_TRACE(target);
        drive.folders.erase(kProposed);
        std::erase_if(drive.files, [](const auto& f) { return startsWith(f.first, kProposed); });
        drive.failingCopies = {target};
        view.messages().clear();
        EXPECT_EQ(press(), DiskOutcome::Failed);
        ASSERT_EQ(view.messages().size(), 1u);
        EXPECT_EQ(view.messages()[0].text, "Failed To Create Driver Disk");
        EXPECT_EQ(view.messages()[0].icon, ui::Icon::None);
        EXPECT_EQ(view.messages()[0].buttons, ui::Buttons::Ok);
        EXPECT_EQ(view.messages()[0].caption, "");  // the program's title
        EXPECT_EQ(drivelog("copy").size(), failing + 1);
        for (std::size_t i = 0; i < progstation::kPackageFiles.size(); ++i)
            EXPECT_EQ(drive.files.count(kProposed + std::string(progstation::kPackageFiles[i])), i < failing ? 1u : 0u);
        EXPECT_TRUE(drivelog("delete").empty());
        EXPECT_TRUE(drivelog("open").empty());
        EXPECT_EQ(exits, 0);
    }
}

TEST_F(CreateDisk, aFailingInfStepEndsWithTheFailureMessageAndTriesNoLaterStep) {
    struct Case {
        std::string failingSection;
        bool sectionDeleteFails;
        bool appendFails;
        std::string lastCall;
    };
    const std::string inf = kProposed + "\\netkoru.inf";
    const Case cases[] = {
        {"ControlFlags", false, false, "write " + inf + " [ControlFlags] ExcludeFromSelect=" + kId},
        {"COMPANY", false, false, "write " + inf + " [COMPANY] %" + kId + ".DeviceDesc%=KorUsbEth, " + kId},
        {"KorUsbEth", false, false, "write " + inf + " [KorUsbEth] DeviceID=" + kId},
        {"", true, false, "delete " + inf + " [KORUMAC_DevID.ndi]"},
        {"", false, true, "append " + inf + " [KORUMAC_DevID.ndi] HKR,Ndi,DeviceID,," + kId},
        {"strings", false, false, "write " + inf + " [strings] " + kId + ".DeviceDesc=\"USB-Ethernet Adapter\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lastCall);
        drive.folders.erase(kProposed);
        profiles.failingSection = c.failingSection;
        profiles.sectionDeleteFails = c.sectionDeleteFails;
        profiles.appendFails = c.appendFails;
        view.messages().clear();
        EXPECT_EQ(press(), DiskOutcome::Failed);
        EXPECT_EQ(messages(), std::vector<std::string>{"Failed To Create Driver Disk"});
        EXPECT_EQ(log.back(), c.lastCall);
        EXPECT_TRUE(diskWrittenInto(kProposed));  // the partial disk stays
        EXPECT_EQ(exits, 0);
    }
}

// Damaged descriptor settings may hold an ID text far longer than four digits, and the
// browser may return a folder so deep that the package files' names do not fit behind it.
TEST_F(CreateDisk, aDiskPathBeyondThePathBufferIsAFailureNotAnOverrun) {
    EXPECT_EQ(press(std::string(300, '8'), "6514"), DiskOutcome::Failed);
    EXPECT_EQ(messages(), std::vector<std::string>{"Failed To Create Driver Disk"});
    EXPECT_TRUE(log.empty());

    view.messages().clear();
    const std::string deep = "C:\\" + std::string(250, 'd');
    drive.folders.insert(deep);
    drive.operatorChoice = [&](const std::string&) { return std::optional<std::string>(deep); };
    EXPECT_EQ(press(), DiskOutcome::Failed);
    EXPECT_EQ(messages(), std::vector<std::string>{"Failed To Create Driver Disk"});
    EXPECT_FALSE(drive.files.count(deep + "\\Setup.exe"));
}

// ---- The INF rewriting on a copy of the stand-in package's INF.

using Sections = std::map<std::string, std::vector<std::string>>;

std::string readText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// Each section's lines by its name as written; lines before the first header under "".
Sections sectionsOf(const std::string& text) {
    Sections sections;
    std::string current;
    for (const std::string& line : textLines(text)) {
        if (!line.empty() && line.front() == '[' && line.find(']') != std::string::npos) {
            current = line.substr(1, line.find(']') - 1);
            sections[current];
        } else if (!line.empty()) {
            sections[current].push_back(line);
        }
    }
    return sections;
}

bool holds(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

struct InfRewriting : ::testing::Test {
    TempDir dir;
    std::string inf = dir.file("netkoru.inf");
    std::string original;
    settings::PortableProfileFiles profiles;
    platform::PortableFileSystem files;

    InfRewriting() {
        std::filesystem::copy_file(sourceDir() / "packaging" / "usbmac" / "netkoru.inf", inf);
        original = readText(inf);
    }
    std::string read(const std::string& section, const std::string& key) {
        return profiles.readString(inf, section, key, "<missing>", 260);
    }
};

TEST_F(InfRewriting, givesTheEntriesOfThePairAndKeepsTheRestOfThePackage) {
    ASSERT_TRUE(progstation::rewriteInf(profiles, files, inf, "8207", "6514"));

    // Through the profile functions.
    EXPECT_EQ(read("ControlFlags", "ExcludeFromSelect"), kId);
    EXPECT_EQ(read("COMPANY", "%" + kId + ".DeviceDesc%"), "KorUsbEth, " + kId);
    EXPECT_EQ(read("KorUsbEth", "DeviceID"), kId);
    EXPECT_EQ(read("Strings", kId + ".DeviceDesc"), "USB-Ethernet Adapter");
    EXPECT_TRUE(progstation::packageKnowsIds(profiles, inf, "8207", "6514"));

    // As text.
    const std::string text = readText(inf);
    const Sections after = sectionsOf(text);
    EXPECT_EQ(after.at("KORUMAC_DevID.ndi"), std::vector<std::string>{"HKR,Ndi,DeviceID,," + kId});
    EXPECT_EQ(after.at("ControlFlags"), std::vector<std::string>{"ExcludeFromSelect=" + kId});
    EXPECT_TRUE(holds(after.at("COMPANY"), "%" + kId + ".DeviceDesc%=KorUsbEth, " + kId));
    EXPECT_TRUE(holds(after.at("KorUsbEth"), "DeviceID=" + kId));
    EXPECT_TRUE(holds(after.at("Strings"), kId + ".DeviceDesc=\"USB-Ethernet Adapter\""));
    // Each entry of the pair is there once.
    const std::vector<std::string> lines = textLines(text);
    for (const std::string& line : {"ExcludeFromSelect=" + kId, "DeviceID=" + kId, "HKR,Ndi,DeviceID,," + kId})
        EXPECT_EQ(std::count(lines.begin(), lines.end(), line), 1) << line;

    // The other pair's entries, and every comment, stay.
    const std::string other = "USB\\VID_8207&PID_6500";
    EXPECT_TRUE(holds(after.at("COMPANY"), "%" + other + ".DeviceDesc%=KorUsbEth, " + other));
    EXPECT_TRUE(holds(after.at("Strings"), other + ".DeviceDesc=\"USB-Ethernet Adapter\""));
    EXPECT_TRUE(progstation::packageKnowsIds(profiles, inf, "8207", "6500"));
    const Sections before = sectionsOf(original);
    for (const auto& [name, sectionLines] : before) {
        if (name == "KORUMAC_DevID.ndi") continue;  // replaced as a whole
        for (const std::string& line : sectionLines) {
            if (line.front() == ';') {
                EXPECT_TRUE(holds(lines, line)) << line;
            }
        }
    }
    // And the sections the rewriting does not name keep their entries.
    for (const std::string name : {"Version", "Manufacturer", "KORUMAC.params", "KorUsbEth.Services"})
        EXPECT_EQ(after.at(name).size(), before.at(name).size()) << name;
}

TEST_F(InfRewriting, teachesThePackageANewPairAndKeepsTheKnownOnes) {
    ASSERT_FALSE(progstation::packageKnowsIds(profiles, inf, "1A2B", "3C4D"));
    ASSERT_TRUE(progstation::rewriteInf(profiles, files, inf, "1A2B", "3C4D"));
    EXPECT_TRUE(progstation::packageKnowsIds(profiles, inf, "1A2B", "3C4D"));
    EXPECT_TRUE(progstation::packageKnowsIds(profiles, inf, "8207", "6514"));
    EXPECT_TRUE(progstation::packageKnowsIds(profiles, inf, "8207", "6500"));
    const Sections after = sectionsOf(readText(inf));
    EXPECT_EQ(after.at("KORUMAC_DevID.ndi"), std::vector<std::string>{"HKR,Ndi,DeviceID,,USB\\VID_1A2B&PID_3C4D"});
    EXPECT_EQ(read("Strings", "USB\\VID_1A2B&PID_3C4D.DeviceDesc"), "USB-Ethernet Adapter");
    EXPECT_EQ(read("Strings", "USB\\VID_8207&PID_6514.DeviceDesc"), "USB-Ethernet Adapter");
}

TEST_F(InfRewriting, rewritingTwiceLeavesOneEntryOfEachKey) {
    ASSERT_TRUE(progstation::rewriteInf(profiles, files, inf, "8207", "6514"));
    const std::string once = readText(inf);
    ASSERT_TRUE(progstation::rewriteInf(profiles, files, inf, "8207", "6514"));
    EXPECT_EQ(sectionsOf(readText(inf)), sectionsOf(once));
}

TEST_F(InfRewriting, clearsTheReadOnlyAttributeOfTheCopy) {
    namespace fs = std::filesystem;
    fs::permissions(inf, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    ASSERT_TRUE(progstation::rewriteInf(profiles, files, inf, "8207", "6514"));
    EXPECT_NE(fs::status(inf).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_TRUE(progstation::packageKnowsIds(profiles, inf, "8207", "6514"));
}

TEST_F(InfRewriting, anInfThatCannotBeWrittenFailsAtTheFirstStep) {
    EXPECT_FALSE(progstation::rewriteInf(profiles, files, dir.file("missing/netkoru.inf"), "8207", "6514"));
}

// ---- The button of the station's main dialog.

struct StationDisk : StationTest {
    FakeDrive disk;
    std::vector<std::string> infLog;
    FakeInfProfiles inf;

    void startWithDisk() {
        inf.log = &infLog;
        for (std::string_view file : progstation::kPackageFiles)
            disk.files["C:\\UsbMac" + std::string(file)] = std::string(file.substr(1));
        station.emplace(ports(), login::LoginContext{loginState, passwordStore, loginTexts, login::kStationLogin},
                        progstation::DriverDiskPorts{inf, system, disk, disk, disk, strings});
        view.emplace(rc, IDD_PROGSTATION);
        view->open(*station);
        view->messages().clear();  // the start-up's
    }
};

TEST_F(StationDisk, createDiskUsesTheIdsInTheDialogAndClosesTheStationLikeExit) {
    startWithDisk();
    view->control(IDC_VID).text = "1A2B";
    view->control(IDC_PID).text = "3C4D";
    view->click(IDC_CREATE_DISK);
    EXPECT_EQ(disk.log.at(1), "browse C:\\Drv_Disk_1A2B_3C4D");
    EXPECT_TRUE(std::count(infLog.begin(), infLog.end(),
                           "write C:\\Drv_Disk_1A2B_3C4D\\netkoru.inf [KorUsbEth] DeviceID=USB\\VID_1A2B&PID_3C4D"));
    EXPECT_EQ(disk.log.back(), "open C:\\Drv_Disk_1A2B_3C4D");
    EXPECT_TRUE(view->ended());
    EXPECT_EQ(eprom("DIAGNOSTICSMODE", "AUTO"), "0");
}

TEST_F(StationDisk, theStationStaysOpenWhenTheDiskCannotBeMade) {
    disk.folders.erase("C:\\UsbMac");
    startWithDisk();
    view->click(IDC_CREATE_DISK);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{text(IDS_CHECK_DRIVER_INSTALLED)});
    EXPECT_FALSE(view->ended());

    disk.folders.insert("C:\\UsbMac");
    disk.failingCopies = {"C:\\Drv_Disk_8207_6514\\Setup.exe"};
    view->messages().clear();
    view->click(IDC_CREATE_DISK);
    EXPECT_EQ(messageTexts(), std::vector<std::string>{"Failed To Create Driver Disk"});
    EXPECT_FALSE(view->ended());
    exit();
}

}  // namespace
}  // namespace lt::test
