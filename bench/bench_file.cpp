// bench_file.cpp: the bench file's lock directory, its reading and its atomic replacement.
#include "bench/bench_file.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <system_error>
#include <thread>

namespace lt::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto kLockPoll = std::chrono::milliseconds(2);
constexpr auto kRenameRetry = std::chrono::milliseconds(10);
constexpr auto kRenameFor = std::chrono::milliseconds(5000);

// A name no other process or thread picks at the same time.
std::string uniqueSuffix() {
    static thread_local std::mt19937_64 random{std::random_device{}() ^
                                               uint64_t(Clock::now().time_since_epoch().count()) ^
                                               uint64_t(std::hash<std::thread::id>{}(std::this_thread::get_id()))};
    std::ostringstream text;
    text << std::hex << random();
    return text.str();
}

bool lockIsStale(const fs::path& lock, std::chrono::milliseconds staleAfter) {
    std::error_code ec;
    const auto written = fs::last_write_time(lock, ec);
    if (ec) return false;  // gone already, or unreadable: try again
    return fs::file_time_type::clock::now() - written > staleAfter;
}

}  // namespace

BenchLock::BenchLock(const std::string& benchPath, LockTiming timing) : path_(lockPath(benchPath)) {
    const auto deadline = Clock::now() + timing.wait;
    for (;;) {
        std::error_code ec;
        if (fs::create_directory(path_, ec)) {
            held_ = true;
            return;
        }
        if (ec == std::errc::no_such_file_or_directory) {
            folderMissing_ = true;  // no bench can be there: waiting would not help
            return;
        }
        if (lockIsStale(path_, timing.staleAfter)) {
            // Move it aside first, so that two programs breaking the same stale lock do not
            // remove each other's fresh one.
            const fs::path aside = path_ + ".stale-" + uniqueSuffix();
            fs::rename(path_, aside, ec);
            if (!ec) fs::remove_all(aside, ec);
            continue;
        }
        if (Clock::now() >= deadline) return;
        std::this_thread::sleep_for(kLockPoll);
    }
}

BenchLock::~BenchLock() {
    if (!held_) return;
    std::error_code ec;
    fs::remove(path_, ec);
}

BenchFileStatus readBenchFile(const std::string& path, Bench& bench, std::string& message) {
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) {
        message = "cannot read the bench file " + path;
        return BenchFileStatus::missing;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) {
        message = "cannot read the bench file " + path;
        return BenchFileStatus::missing;
    }
    std::string why;
    if (!parseBench(text.str(), bench, why)) {
        message = "the bench file " + path + " is damaged: " + why;
        return BenchFileStatus::damaged;
    }
    return BenchFileStatus::ok;
}

BenchFileStatus writeBenchFile(const std::string& path, const std::string& text, std::string& message) {
    const fs::path target(path);
    const fs::path beside(path + "." + uniqueSuffix() + ".new");
    {
        std::ofstream out(beside, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            std::error_code ec;
            out.close();
            fs::remove(beside, ec);
            message = "cannot write " + beside.string();
            return BenchFileStatus::writeFailed;
        }
    }
    // Another process may hold the file open (on Windows that refuses the rename): retry.
    const auto deadline = Clock::now() + kRenameFor;
    for (;;) {
        std::error_code ec;
        fs::rename(beside, target, ec);
        if (!ec) return BenchFileStatus::ok;
        if (Clock::now() >= deadline) {
            message = "cannot replace the bench file " + path + ": " + ec.message();
            fs::remove(beside, ec);
            return BenchFileStatus::writeFailed;
        }
        std::this_thread::sleep_for(kRenameRetry);
    }
}

}  // namespace lt::bench
