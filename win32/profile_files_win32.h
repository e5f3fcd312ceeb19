// profile_files_win32.h: ProfileFiles over the Windows private-profile API (GetPrivateProfileStringA and friends).
#pragma once

#include "common/settings/profile_files.h"

namespace lt::win32 {

// How long writeStrings waits for another program that holds the file open without delete
// sharing, and how long it sleeps between two tries of the rename.
struct ReplaceRetry {
    unsigned long totalMs = 500;
    unsigned long stepMs = 20;
};

class ProfileFilesWin32 final : public settings::ProfileFiles {
public:
    explicit ProfileFilesWin32(ReplaceRetry retry = {}) : retry_(retry) {}

    std::string readString(const std::string& path, std::string_view section, std::string_view key,
                           std::string_view defaultValue, std::size_t bufferSize) override;
    uint32_t readInt(const std::string& path, std::string_view section, std::string_view key,
                     int32_t defaultValue) override;
    bool writeString(const std::string& path, std::string_view section, std::string_view key,
                     std::string_view value) override;
    bool deleteKey(const std::string& path, std::string_view section, std::string_view key) override;
    bool deleteSection(const std::string& path, std::string_view section) override;
    bool writeSection(const std::string& path, std::string_view section,
                      std::span<const std::string> lines) override;
    // The writes go to a copy beside the file, which then replaces it in one move. While
    // another program holds the file open without delete sharing, the move (and the copy,
    // for a holder without read sharing) is tried again for `ReplaceRetry::totalMs`; false
    // when it still cannot be made, the file then unchanged.
    bool writeStrings(const std::string& path, std::span<const settings::ProfileWrite> writes) override;
    // Written as text with CreateFileA and WriteFile (profile_sections_win32.cpp).
    bool appendSection(const std::string& path, std::string_view section,
                       std::span<const std::string> lines) override;

private:
    // `step` until it succeeds, while it fails with a sharing violation or access denied and
    // the retry time is not used up.
    template <typename Step>
    bool retried(Step step) const;
    ReplaceRetry retry_;
};

}  // namespace lt::win32
