// fake_ledger_ports.h: an in-memory ledger file that fails on command, a clock set by the test, and a computer of a fixed name.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "common/platform/computer_name.h"
#include "progstation/ledger/ledger_clock.h"
#include "progstation/ledger/ledger_files.h"

namespace lt::test {

struct FakeLedgerFiles : ledger::LedgerFiles {
    std::map<std::string, std::string> files;
    bool failRead = false;
    // The next `failAppends` appends fail with error 112 (a full disk), after storing the
    // first `keepOnFailure` bytes of what they were given.
    int failAppends = 0;
    std::size_t keepOnFailure = 0;
    std::size_t readPiece = 7;  // the read hands the file over in pieces this long
    int appends = 0;            // appends that wrote

    ledger::FileResult read(const std::string& path, const std::function<void(std::string_view)>& sink) override {
        const auto found = files.find(path);
        if (found == files.end()) return {ledger::FileStatus::Missing, 2};
        if (failRead) return {ledger::FileStatus::Failed, 5};
        const std::string& bytes = found->second;
        for (std::size_t at = 0; at < bytes.size(); at += readPiece)
            sink(std::string_view(bytes).substr(at, readPiece));
        return {};
    }

    ledger::FileResult append(const std::string& path, std::string_view bytes,
                              std::optional<uint64_t> expectedSize) override {
        const auto found = files.find(path);
        if (expectedSize && found == files.end()) return {ledger::FileStatus::Missing, 2};
        if (!expectedSize && found != files.end()) return {ledger::FileStatus::Changed, 80};
        if (expectedSize && found->second.size() != *expectedSize) return {ledger::FileStatus::Changed, 0};
        std::string& file = files[path];
        if (failAppends > 0) {
            --failAppends;
            file.append(bytes.substr(0, keepOnFailure));
            return {ledger::FileStatus::Failed, 112};
        }
        file.append(bytes);
        ++appends;
        return {};
    }
};

struct FakeLedgerClock : ledger::LedgerClock {
    int64_t now = 1714557600;  // 2024-05-01T10:00:00Z
    int32_t offset = 0;
    int64_t utcNow() override { return now; }
    int32_t localOffset() override { return offset; }
};

struct FakeComputerName : platform::ComputerName {
    std::string computer = "BENCH-PC";
    std::string name() override { return computer; }
};

}  // namespace lt::test
