// bench_file.h: reading and saving a bench file under the lock that every program honours.
//
// The lock is a directory created beside the bench file ("<bench>.lock"): creating a
// directory is atomic on every file system and under Wine as on Linux, so native
// benchctl and the Windows programs exclude each other with it. A lock left behind by a
// program that died is broken once it is older than the stale age. Saving writes a new
// file beside the bench file and renames it over, retried while another process holds
// the file open, so a reader sees either the old or the new bench, never half of one.
// Nothing is thrown.
#pragma once

#include <chrono>
#include <string>

#include "bench/bench_model.h"

namespace lt::bench {

enum class BenchFileStatus {
    ok,
    missing,      // the bench file does not exist or cannot be read
    damaged,      // it is not a whole bench file
    busy,         // the lock could not be had in time
    writeFailed,  // the new file could not be written or put in place
};

struct LockTiming {
    std::chrono::milliseconds wait{20000};        // how long to wait for the lock
    std::chrono::milliseconds staleAfter{10000};  // a lock older than this is broken
};

// Holds the bench file's lock while it lives.
class BenchLock {
public:
    explicit BenchLock(const std::string& benchPath, LockTiming timing = {});
    ~BenchLock();
    BenchLock(const BenchLock&) = delete;
    BenchLock& operator=(const BenchLock&) = delete;

    bool held() const { return held_; }
    // The lock was not had because the bench file's folder does not exist.
    bool folderMissing() const { return folderMissing_; }
    static std::string lockPath(const std::string& benchPath) { return benchPath + ".lock"; }

private:
    std::string path_;
    bool held_ = false;
    bool folderMissing_ = false;
};

// Reads and parses the file (the caller holds the lock). `message` explains a failure.
BenchFileStatus readBenchFile(const std::string& path, Bench& bench, std::string& message);
// Writes `text` beside the file and renames it over the file (the caller holds the lock).
BenchFileStatus writeBenchFile(const std::string& path, const std::string& text, std::string& message);

}  // namespace lt::bench
