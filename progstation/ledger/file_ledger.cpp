// file_ledger.cpp: reading AddressLedger.csv into the index, and appending each event's lines.
#include "progstation/ledger/file_ledger.h"

#include <algorithm>

namespace lt::ledger {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

uint64_t addressKey(const MacAddress& a) {
    uint64_t key = 0;
    for (uint8_t b : a) key = key << 8 | b;
    return key;
}

uint32_t serialPart(const MacAddress& a) { return uint32_t(a[3]) << 16 | uint32_t(a[4]) << 8 | a[5]; }

// How many address steps lead from `from` to `to` (the serial part wraps at 2^24).
uint32_t stepsBetween(const MacAddress& from, const MacAddress& to) {
    return (serialPart(to) - serialPart(from)) & 0xFFFFFFu;
}

LedgerProblem writeFailure(const FileResult& r) {
    LedgerProblem p;
    p.status = LedgerStatus::WriteFailed;
    p.systemError = r.error;
    switch (r.status) {
    case FileStatus::Missing: p.reason = "the ledger file has gone"; break;
    case FileStatus::Changed: p.reason = "the ledger file was changed by another program"; break;
    default: p.reason = "the ledger file cannot be written"; break;
    }
    return p;
}

// Splits the file's pieces into lines, handing each one (LF removed) to `line` with its
// 1-based number; the bytes after the last LF stay in `tail`.
class LineSplitter {
public:
    template <typename F>
    void feed(std::string_view piece, F&& line) {
        while (!piece.empty()) {
            const auto lf = piece.find('\n');
            if (lf == std::string_view::npos) {
                tail.append(piece);
                return;
            }
            ++number;
            if (tail.empty()) {
                line(piece.substr(0, lf), number);
            } else {
                tail.append(piece.substr(0, lf));
                line(std::string_view(tail), number);
                tail.clear();
            }
            piece.remove_prefix(lf + 1);
        }
    }
    std::string tail;
    uint64_t number = 0;
};

std::string_view withoutCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

FileLedger::FileLedger(LedgerFiles& files, LedgerClock& clock, std::string path, std::string station)
    : files_(files), clock_(clock), path_(std::move(path)), station_(std::move(station)) {}

// ---- reading

void FileLedger::clearIndex() {
    addresses_.clear();
    stations_.clear();
    stationIds_.clear();
    openLots_.clear();
    lotMarks_.clear();
    reissuedBy_.clear();
    days_.clear();
    latest_.reset();
    highestLot_ = 0;
    skipped_ = 0;
    exists_ = false;
    size_ = 0;
    prefix_.clear();
}

LedgerProblem FileLedger::load() {
    clearIndex();
    offset_ = clock_.localOffset();
    LedgerProblem problem;
    LineSplitter splitter;
    Record record;
    std::string why;
    auto take = [&](std::string_view raw, uint64_t number) {
        if (!problem.ok()) return;
        const std::string_view text = withoutCr(raw);
        if (number == 1) {
            if (text != kHeader) {
                problem = {LedgerStatus::Damaged, 1, 0, "unknown header"};
            }
            return;
        }
        switch (readLine(text, record, why)) {
        case LineKind::Record: apply(record); break;
        case LineKind::Blank: break;
        case LineKind::CutShort: ++skipped_; break;
        case LineKind::Damaged: problem = {LedgerStatus::Damaged, number, 0, why}; break;
        }
    };
    const FileResult read = files_.read(path_, [&](std::string_view piece) {
        size_ += piece.size();
        splitter.feed(piece, take);
    });
    if (read.status == FileStatus::Missing) {
        clearIndex();
        prefix_ = std::string(kHeader) + std::string(kLineEnd);
        return {};
    }
    if (read.status != FileStatus::Ok) {
        clearIndex();
        return {LedgerStatus::Unreadable, 0, read.error, "the ledger file cannot be read"};
    }
    exists_ = true;
    if (!problem.ok()) return problem;
    // Room for as many addresses again, so that no press waits for the table to grow.
    addresses_.reserve(addresses_.size() * 2 + 4096);

    const std::string& tail = splitter.tail;
    if (splitter.number == 0) {
        // No whole line: nothing yet, or a header cut short, which the next append completes.
        const std::string header = std::string(kHeader) + std::string(kLineEnd);
        if (!header.starts_with(tail)) return {LedgerStatus::Damaged, 1, 0, "unknown header"};
        prefix_ = header.substr(tail.size());
        return {};
    }
    if (!tail.empty()) {
        take(tail, splitter.number + 1);
        if (!problem.ok()) return problem;
        prefix_ = tail.back() == '\r' ? "\n" : std::string(kLineEnd);
    }
    return {};
}

OpenResult FileLedger::open() {
    OpenResult result;
    problem_ = load();
    opened_ = true;
    stale_ = false;
    interrupted_.clear();
    result.problem = problem_;
    if (!problem_.ok()) {
        clearIndex();
        return result;
    }
    nextLot_ = std::max(nextLot_, highestLot_ + 1);
    result.skippedLines = skipped_;
    for (auto& [lot, open] : openLots_) {
        // Neither a failed issue's lot nor one whose lines wait to be written was interrupted.
        if (std::find(abandoned_.begin(), abandoned_.end(), lot) != abandoned_.end()) continue;
        const uint64_t number = lot;  // a structured binding is not captured by every compiler the fuzz tree uses
        if (std::any_of(pending_.begin(), pending_.end(), [&](const Record& r) { return r.lot == number; })) continue;
        InterruptedLot found;
        found.lot = lot;
        found.adapters = open.open;
        const LotDevice* lowest = nullptr;
        const LotDevice* highest = nullptr;
        for (const LotDevice& d : open.devices) {
            if (!d.open) continue;
            if (!lowest || d.device < lowest->device) lowest = &d;
            if (!highest || d.device > highest->device) highest = &d;
        }
        if (!lowest) continue;
        found.first = lowest->mac;
        found.last = highest->mac;
        found.firstDevice = lowest->device;
        result.interrupted.push_back(found);
        interrupted_.push_back(lot);
    }
    return result;
}

// ---- the index

int64_t FileLedger::day(int64_t utc) const {
    const int64_t local = utc + offset_;
    return local >= 0 ? local / 86400 : -((-local + 86399) / 86400);
}

uint32_t FileLedger::stationId(const std::string& name) {
    if (!stations_.empty() && stations_.back() == name) return uint32_t(stations_.size() - 1);
    const auto found = stationIds_.find(name);
    if (found != stationIds_.end()) return found->second;
    const auto id = uint32_t(stations_.size());
    stations_.push_back(name);
    stationIds_.emplace(name, id);
    return id;
}

FileLedger::LotDevice* FileLedger::findDevice(OpenLot& lot, uint32_t device) {
    if (device >= 1 && device <= lot.devices.size() && lot.devices[device - 1].device == device)
        return &lot.devices[device - 1];
    // Issued lines come in device order: a number above the last one is new.
    if (lot.devices.empty() || (lot.ordered && device > lot.devices.back().device)) return nullptr;
    for (LotDevice& d : lot.devices)
        if (d.device == device) return &d;
    return nullptr;
}

void FileLedger::close(uint64_t lot, uint32_t device) {
    const auto found = openLots_.find(lot);
    if (found == openLots_.end()) return;
    LotDevice* d = findDevice(found->second, device);
    if (!d || !d->open) return;
    d->open = false;
    if (--found->second.open == 0) openLots_.erase(found);
}

bool FileLedger::isOpen(uint64_t lot, uint32_t device) {
    const auto found = openLots_.find(lot);
    if (found == openLots_.end()) return false;
    const LotDevice* d = findDevice(found->second, device);
    return d && d->open;
}

void FileLedger::apply(const Record& r) {
    highestLot_ = std::max(highestLot_, r.lot);
    switch (r.event) {
    case Event::Issued: {
        auto [it, added] = openLots_.try_emplace(r.lot);
        OpenLot& lot = it->second;
        if (added) {
            lot.vid = r.vid;
            lot.pid = r.pid;
            lot.rangeStart = r.rangeStart;
            lot.rangeCount = r.rangeCount;
        }
        LotDevice* d = findDevice(lot, r.device);
        if (!d) {
            if (!lot.devices.empty() && r.device < lot.devices.back().device) lot.ordered = false;
            lot.devices.push_back({r.device, r.mac, false});
            d = &lot.devices.back();
        }
        d->mac = r.mac;
        if (!d->open) {
            d->open = true;
            ++lot.open;
        }
        if (!latest_ || r.lot > latest_->lot) {
            const uint32_t before = r.device > 0 ? r.device - 1 : 0;
            latest_ = LatestLot{r.lot, r.rangeStart, r.rangeCount,
                                (stepsBetween(r.rangeStart, r.mac) - before) & 0xFFFFFFu, 0};
        }
        break;
    }
    case Event::Shipped: {
        forgetReissue(r.lot, addressKey(r.mac));  // the re-issue took place
        AddressState& a = addresses_[addressKey(r.mac)];
        ++a.shipped;
        a.shippedAt = r.time;
        a.station = stationId(r.station);
        close(r.lot, r.device);
        DayCounts& today = days_[day(r.time)];
        ++today.adapters;
        LotMarks& marks = lotMarks_[r.lot];
        if (!marks.shipped) {
            marks.shipped = true;
            ++today.lots;
        }
        if (latest_ && latest_->lot == r.lot) ++latest_->shipped;
        break;
    }
    case Event::Void: {
        // A lot that handed a shipped address out again and was not recorded did not re-issue
        // it: the earlier shipment stands, and the guard asks again next time.
        if (const auto saved = forgetReissue(r.lot, addressKey(r.mac))) {
            AddressState& a = addresses_[addressKey(r.mac)];
            if (a.shipped == 0) a = *saved;
        }
        close(r.lot, r.device);
        LotMarks& marks = lotMarks_[r.lot];
        if (!marks.shipped && !marks.failed) {
            marks.failed = true;
            ++days_[day(r.time)].failed;
        }
        break;
    }
    case Event::Reissued: {
        const auto found = addresses_.find(addressKey(r.mac));
        if (found != addresses_.end()) {
            reissuedBy_[r.lot].emplace_back(found->first, found->second);
            found->second.shipped = 0;
        }
        break;
    }
    }
}

std::optional<FileLedger::AddressState> FileLedger::forgetReissue(uint64_t lot, uint64_t key) {
    const auto found = reissuedBy_.find(lot);
    if (found == reissuedBy_.end()) return std::nullopt;
    auto& saved = found->second;
    for (auto it = saved.begin(); it != saved.end(); ++it) {
        if (it->first != key) continue;
        const AddressState state = it->second;
        saved.erase(it);
        if (saved.empty()) reissuedBy_.erase(found);
        return state;
    }
    return std::nullopt;
}

// ---- writing

LedgerProblem FileLedger::usable() const {
    if (!opened_) return {LedgerStatus::NotOpen, 0, 0, "the ledger has not been read"};
    return problem_;
}

LedgerProblem FileLedger::prepareWrite() {
    if (auto p = usable(); !p.ok()) return p;
    if (stale_) {
        problem_ = load();
        if (!problem_.ok()) {
            clearIndex();
            return problem_;
        }
        nextLot_ = std::max(nextLot_, highestLot_ + 1);
        stale_ = false;
    }
    return {};
}

Record FileLedger::line(Event event, uint64_t lot, uint32_t device, const MacAddress& mac, const OpenLot& from,
                        std::string_view detail, int64_t now) const {
    Record r;
    r.time = now;
    r.station = station_;
    r.event = event;
    r.lot = lot;
    r.device = device;
    r.mac = mac;
    r.vid = from.vid;
    r.pid = from.pid;
    r.rangeStart = from.rangeStart;
    r.rangeCount = from.rangeCount;
    r.detail = detail;
    return r;
}

void FileLedger::voidOpen(uint64_t lot, std::string_view detail, int64_t now, std::vector<Record>& out) {
    const auto found = openLots_.find(lot);
    if (found == openLots_.end()) return;
    for (const LotDevice& d : found->second.devices)
        if (d.open) out.push_back(line(Event::Void, lot, d.device, d.mac, found->second, detail, now));
}

LedgerProblem FileLedger::write(const std::vector<Record>& batch, Batch kind) {
    // Lines of failed appends that the file still lacks come first.
    std::vector<Record> lines;
    for (const Record& r : pending_)
        if (isOpen(r.lot, r.device)) lines.push_back(r);
    const int64_t now = clock_.utcNow();
    for (uint64_t lot : abandoned_) voidOpen(lot, "not programmed", now, lines);
    lines.insert(lines.end(), batch.begin(), batch.end());

    std::string bytes = prefix_;
    for (const Record& r : lines) appendLine(bytes, r);
    const FileResult r = files_.append(path_, bytes, exists_ ? std::optional<uint64_t>(size_) : std::nullopt);
    if (r.status != FileStatus::Ok) {
        stale_ = true;
        if (kind == Batch::Facts) pending_.insert(pending_.end(), batch.begin(), batch.end());
        return writeFailure(r);
    }
    exists_ = true;
    size_ += bytes.size();
    prefix_.clear();
    pending_.clear();
    abandoned_.clear();
    for (const Record& line : lines) apply(line);
    return {};
}

LedgerProblem FileLedger::closeInterrupted() {
    if (auto p = prepareWrite(); !p.ok()) return p;
    std::vector<Record> batch;
    const int64_t now = clock_.utcNow();
    for (uint64_t lot : interrupted_) voidOpen(lot, "interrupted", now, batch);
    if (batch.empty()) {
        interrupted_.clear();
        return {};
    }
    LedgerProblem p = write(batch, Batch::Facts);
    if (p.ok()) interrupted_.clear();
    return p;
}

GuardHit FileLedger::shippedAmong(std::span<const MacAddress> addresses) {
    GuardHit hit;
    hit.problem = usable();
    if (!hit.problem.ok()) return hit;
    for (const MacAddress& a : addresses) {
        const auto found = addresses_.find(addressKey(a));
        bool shipped = found != addresses_.end() && found->second.shipped > 0;
        int64_t at = shipped ? found->second.shippedAt : 0;
        std::string_view station = shipped ? std::string_view(stations_[found->second.station]) : "";
        // A `shipped` line that a failed append still holds counts as well.
        for (const Record& r : pending_)
            if (r.event == Event::Shipped && r.mac == a) {
                shipped = true;
                at = r.time;
                station = r.station;
            }
        if (!shipped) continue;
        if (hit.count++ == 0) {
            hit.first = a;
            hit.shippedAt = at;
            hit.station = station;
        }
    }
    return hit;
}

IssueResult FileLedger::issue(const LotPlan& plan) {
    IssueResult result;
    result.lotStart = plan.lotStart;
    result.problem = prepareWrite();
    if (!result.problem.ok() || plan.adapters == 0) return result;

    const uint64_t lot = nextLot_++;
    OpenLot from;
    from.vid = plan.vid;
    from.pid = plan.pid;
    from.rangeStart = plan.rangeStart;
    from.rangeCount = plan.rangeCount;
    const int64_t now = clock_.utcNow();
    std::vector<Record> batch;
    batch.reserve(plan.adapters + plan.reissued.size());
    for (uint32_t k = 0; k < plan.adapters; ++k)
        batch.push_back(line(Event::Issued, lot, k + 1, adapter::stepAddress(plan.lotStart, k), from, plan.detail, now));
    // After the issued lines: should the append stop part-way, the re-issue is what is lost.
    for (const MacAddress& a : plan.reissued) {
        const uint32_t steps = stepsBetween(plan.lotStart, a);
        batch.push_back(line(Event::Reissued, lot, steps < plan.adapters ? steps + 1 : 0, a, from,
                             plan.reissueDetail, now));
    }
    result.problem = write(batch, Batch::Issue);
    if (!result.problem.ok()) {
        abandoned_.push_back(lot);
        return result;
    }
    result.lot = lot;
    return result;
}

LedgerProblem FileLedger::ship(uint64_t lot, std::span<const ShippedAdapter> adapters) {
    if (auto p = prepareWrite(); !p.ok()) return p;
    const auto found = openLots_.find(lot);
    if (found == openLots_.end()) return {LedgerStatus::UnknownLot, 0, 0, "no open lot " + std::to_string(lot)};
    const OpenLot& from = found->second;
    const int64_t now = clock_.utcNow();
    std::vector<Record> batch;
    for (const ShippedAdapter& a : adapters) {
        batch.push_back(line(Event::Shipped, lot, a.device, a.mac, from, "", now));
        batch.back().serial = a.serial;
    }
    for (const LotDevice& d : from.devices) {
        if (!d.open) continue;
        const bool readBack = std::any_of(adapters.begin(), adapters.end(),
                                          [&](const ShippedAdapter& a) { return a.device == d.device; });
        if (!readBack) batch.push_back(line(Event::Void, lot, d.device, d.mac, from, "not read back", now));
    }
    return write(batch, Batch::Facts);
}

LedgerProblem FileLedger::voidLot(uint64_t lot, std::string_view reason) {
    if (auto p = prepareWrite(); !p.ok()) return p;
    std::vector<Record> batch;
    voidOpen(lot, reason, clock_.utcNow(), batch);
    if (batch.empty()) return {LedgerStatus::UnknownLot, 0, 0, "no open lot " + std::to_string(lot)};
    return write(batch, Batch::Facts);
}

LedgerCounters FileLedger::counters() {
    LedgerCounters c;
    c.problem = usable();
    if (!c.problem.ok()) return c;
    if (latest_) {
        c.hasRange = true;
        c.rangeStart = latest_->rangeStart;
        c.rangeCount = latest_->rangeCount;
        const uint64_t done = uint64_t(latest_->startOffset) + latest_->shipped;
        c.rangeProgrammed = uint32_t(std::min<uint64_t>(done, c.rangeCount));
        c.rangeLeft = c.rangeCount - c.rangeProgrammed;
    }
    const auto today = days_.find(day(clock_.utcNow()));
    if (today != days_.end()) {
        c.adaptersShippedToday = today->second.adapters;
        c.lotsShippedToday = today->second.lots;
        c.lotsFailedToday = today->second.failed;
    }
    return c;
}

}  // namespace lt::ledger
