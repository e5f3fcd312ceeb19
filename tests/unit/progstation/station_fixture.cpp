// station_fixture.cpp: the mapped drive, the logging ports, the counting device and the station fixture's helpers.
#include "tests/unit/progstation/station_fixture.h"

#include <fstream>

#include "common/adapter/ioctl_codes.h"

namespace lt::test {

namespace {

std::string baseName(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

class CountingHandle : public adapter::ControlHandle {
public:
    CountingHandle(std::unique_ptr<adapter::ControlHandle> inner, CountingDevice& device)
        : inner_(std::move(inner)), device_(device) {
        ++device_.live;
        ++device_.opened;
    }
    ~CountingHandle() override { --device_.live; }
    bool request(uint32_t code, std::span<const uint8_t> input, std::span<uint8_t> reply, uint32_t& error) override {
        device_.requests.emplace_back(adapter::ioctlName(code));
        if (code == adapter::IOCTL_PROGRAM_EEPROM) {
            if (auto decoded = adapter::decodeProgramRequest(input)) device_.programRequests.push_back(*decoded);
            if (device_.onProgram) device_.onProgram();
        }
        return inner_->request(code, input, reply, error);
    }

private:
    std::unique_ptr<adapter::ControlHandle> inner_;
    CountingDevice& device_;
};

}  // namespace

std::string DriveC::map(const std::string& path) const {
    if (path.size() >= 3 && (path[0] == 'C' || path[0] == 'c') && path[1] == ':' && path[2] == '\\')
        return (root / "C").string() + "\\" + path.substr(3);
    return (root / "nodrive").string() + "\\" + path;
}

std::filesystem::path DriveC::host(const std::string& windowsPath) const {
    std::string mapped = map(windowsPath);
    for (char& c : mapped)
        if (c == '\\') c = '/';
    return mapped;
}

// ---- Logging ports.

std::string MappedProfiles::readString(const std::string& path, std::string_view section, std::string_view key,
                                       std::string_view defaultValue, std::size_t bufferSize) {
    if (log) log->push_back("read " + baseName(path) + " [" + std::string(section) + "] " + std::string(key));
    return files.readString(drive.map(path), section, key, defaultValue, bufferSize);
}

uint32_t MappedProfiles::readInt(const std::string& path, std::string_view section, std::string_view key,
                                 int32_t defaultValue) {
    if (log) log->push_back("read " + baseName(path) + " [" + std::string(section) + "] " + std::string(key));
    return files.readInt(drive.map(path), section, key, defaultValue);
}

bool MappedProfiles::refuses(const std::string& path) {
    if (!hold || baseName(path) != hold->file) return false;
    if (hold->allowed > 0) {
        --hold->allowed;
        return false;
    }
    ++hold->refused;
    return true;
}

namespace {
std::string writeLine(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view value) {
    return "write " + baseName(path) + " [" + std::string(section) + "] " + std::string(key) + "=" +
           std::string(value);
}
}  // namespace

bool MappedProfiles::writeString(const std::string& path, std::string_view section, std::string_view key,
                                 std::string_view value) {
    const bool refused = refuses(path);
    if (log) log->push_back((refused ? "refused " : "") + writeLine(path, section, key, value));
    if (refused) return false;
    std::filesystem::create_directories(drive.host(path).parent_path());
    return files.writeString(drive.map(path), section, key, value);
}

bool MappedProfiles::writeStrings(const std::string& path, std::span<const settings::ProfileWrite> writes) {
    const bool refused = refuses(path);
    if (log)
        for (const settings::ProfileWrite& w : writes)
            log->push_back((refused ? "refused " : "") + writeLine(path, w.section, w.key, w.value));
    if (refused) return false;
    std::filesystem::create_directories(drive.host(path).parent_path());
    return files.writeStrings(drive.map(path), writes);
}

bool MappedProfiles::deleteKey(const std::string& path, std::string_view section, std::string_view key) {
    if (log) log->push_back("delete " + baseName(path));
    if (refuses(path)) return false;
    return files.deleteKey(drive.map(path), section, key);
}

bool MappedProfiles::deleteSection(const std::string& path, std::string_view section) {
    if (log) log->push_back("delete " + baseName(path));
    if (refuses(path)) return false;
    return files.deleteSection(drive.map(path), section);
}

bool MappedProfiles::writeSection(const std::string& path, std::string_view section,
                                  std::span<const std::string> lines) {
    if (log) log->push_back("section " + baseName(path));
    if (refuses(path)) return false;
    return files.writeSection(drive.map(path), section, lines);
}

bool MappedFiles::clearReadOnly(const std::string& path) {
    if (log) log->push_back("clear " + baseName(path));
    return files.clearReadOnly(drive.map(path));
}

std::unique_ptr<adapter::ControlHandle> CountingDevice::open(uint32_t& error) {
    auto handle = inner.open(error);
    if (!handle) return nullptr;
    return std::make_unique<CountingHandle>(std::move(handle), *this);
}

int CountingDevice::count(const std::string& name) const {
    int n = 0;
    for (const auto& r : requests) n += r == name;
    return n;
}

// ---- The fixture.

namespace {
std::unique_ptr<TempDir> ownFolder(const std::filesystem::path& folder) {
    return folder.empty() ? std::make_unique<TempDir>() : nullptr;
}
}  // namespace

StationRig::StationRig(const std::filesystem::path& given) : temp(ownFolder(given)), folder(temp ? temp->path() : given) {
    system.windows = std::string("C:\\windows");
    system.current = std::string("C:\\line");
    std::filesystem::create_directories(drive.host("C:\\windows\\x").parent_path());
    std::filesystem::create_directories(drive.host("C:\\line\\x").parent_path());
    profiles.log = &fileLog;
    files.log = &fileLog;
    if (!std::filesystem::exists(benchPath)) bench({"create", "4"});
}

ledger::AddressLedger& StationRig::freshLedger() {
    serverLedger.reset();
    if (makeServerLedger) {
        // Read as main.cpp reads them, without entering the test's file log.
        std::vector<std::string>* const log = profiles.log;
        profiles.log = nullptr;
        settings::SettingsStore store(profiles, files,
                                      settings::settingsPaths(system).value_or(settings::settingsPathsIn("")));
        const std::string connection = progstation::ledgerConnection(store);
        const std::string name = progstation::stationName(store, computer);
        profiles.log = log;
        if (!connection.empty()) {
            ledger.reset();
            serverLedger = makeServerLedger(connection, name);
            return *serverLedger;
        }
    }
    ledger.emplace(ledgerFiles, ledgerClock, kLedgerPath, kStationName);
    return *ledger;
}

void StationRig::start() {
    freshLedger();
    station.emplace(ports(), login::LoginContext{loginState, passwordStore, loginTexts, login::kStationLogin});
    view.emplace(rc, IDD_PROGSTATION);
    view->session().decide = decide;
    view->open(*station);
}

void StationRig::exit() {
    if (view && !view->ended()) view->click(IDC_EXIT);
}

std::string StationRig::read(const std::string& file, const std::string& section, const std::string& key) {
    return profiles.files.readString(drive.map(windowsFile(file)), section, key, "<missing>", 260);
}

void StationRig::write(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
    profiles.files.writeString(drive.map(windowsFile(file)), section, key, value);
}

std::array<std::string, 6> StationRig::epromAddress(const std::string& section) {
    std::array<std::string, 6> texts;
    for (int i = 0; i < 6; ++i) texts[i] = eprom(section, "BYTE" + std::to_string(i + 1));
    return texts;
}

void StationRig::stationOptions(int overwrite, int verifyAddresses, int launchDiagnostics) {
    write("EthernetDiagnostic.ini", "EPROMUTILITY", "OverWriteAddress", std::to_string(overwrite));
    write("EthernetDiagnostic.ini", "EPROMUTILITY", "DisplayMacAddresses", std::to_string(verifyAddresses));
    write("EthernetDiagnostic.ini", "EPROMUTILITY", "LaunchDiagnosticApp", std::to_string(launchDiagnostics));
}

void StationRig::installPackage() {
    const auto folder = drive.host("C:\\UsbMac\\netkoru.inf").parent_path();
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(sourceDir() / "packaging" / "usbmac" / "netkoru.inf", folder / "netkoru.inf",
                               std::filesystem::copy_options::overwrite_existing);
}

void StationRig::rangeInProgress(const std::array<std::string, 6>& start, const std::string& count,
                                  const std::array<std::string, 6>& last, const std::string& programmed) {
    for (int i = 0; i < 6; ++i) {
        const std::string key = "BYTE" + std::to_string(i + 1);
        write("EpromData.ini", "INITIALMACADDR", key, start[i]);
        write("EpromData.ini", "PREVIOUSMACADDR", key, last[i]);
    }
    write("EpromData.ini", "INITIALDEVCOUNT", "COUNT", count);
    write("EpromData.ini", "PREVIOUSDEVCOUNT", "COUNT", programmed);
}

std::vector<ledger::Record> StationRig::ledgerRecords() {
    std::vector<ledger::Record> records;
    const std::string& file = ledgerFiles.files[kLedgerPath];
    std::size_t at = 0;
    int number = 0;
    while (at < file.size()) {
        std::size_t end = file.find('\n', at);
        if (end == std::string::npos) end = file.size();
        std::string_view line(file.data() + at, end - at);
        at = end + 1;
        if (number++ == 0) {
            EXPECT_TRUE(line.starts_with(ledger::kHeader)) << line;
            continue;
        }
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ledger::Record r;
        std::string problem;
        const ledger::LineKind kind = ledger::readLine(line, r, problem);
        if (kind == ledger::LineKind::Record) records.push_back(r);
        else EXPECT_NE(kind, ledger::LineKind::Damaged) << "line " << number << ": " << problem;
    }
    return records;
}

int StationRig::ledgerCount(ledger::Event event, std::optional<adapter::MacAddress> mac) {
    int n = 0;
    for (const ledger::Record& r : ledgerRecords()) n += r.event == event && (!mac || r.mac == *mac);
    return n;
}

std::map<uint64_t, int> StationRig::shippedSinceReissue() {
    const std::vector<ledger::Record> records = ledgerRecords();
    // A reissued line counts when its lot shipped the address; a voided re-issue did not happen.
    std::set<std::pair<uint64_t, uint64_t>> shippedBy;
    for (const ledger::Record& r : records)
        if (r.event == ledger::Event::Shipped) shippedBy.emplace(r.lot, addressNumber(r.mac));
    std::map<uint64_t, int> shipped;
    for (const ledger::Record& r : records) {
        if (r.event == ledger::Event::Reissued && shippedBy.count({r.lot, addressNumber(r.mac)}))
            shipped.erase(addressNumber(r.mac));
        if (r.event == ledger::Event::Shipped) ++shipped[addressNumber(r.mac)];
    }
    return shipped;
}

void StationRig::loginNext() {
    view->onChild(IDD_LOGIN_STATION, [](FakeDialog& login) {
        login.type("tpw731");
        login.pressEnter();
    });
}


void StationRig::setStart(const std::array<std::string, 6>& texts) {
    for (int i = 0; i < 6; ++i) view->setText(IDC_START_BYTE1 + i, texts[i]);
}

std::array<std::string, 6> StationRig::startBoxes() {
    std::array<std::string, 6> texts;
    for (int i = 0; i < 6; ++i) texts[i] = view->text(IDC_START_BYTE1 + i);
    return texts;
}

std::array<std::string, 6> StationRig::lastBoxes() {
    std::array<std::string, 6> texts;
    for (int i = 0; i < 6; ++i) texts[i] = view->text(IDC_LAST_BYTE1 + i);
    return texts;
}

std::vector<std::string> StationRig::messageTexts() {
    std::vector<std::string> texts;
    for (const auto& m : view->messages()) texts.push_back(m.text);
    return texts;
}

}  // namespace lt::test
