// profile_files_win32.h: ProfileFiles over the Windows private-profile API (GetPrivateProfileStringA and friends).
#pragma once

#include "common/settings/profile_files.h"

namespace lt::win32 {

class ProfileFilesWin32 final : public settings::ProfileFiles {
public:
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
    // The writes go to a copy beside the file, which then replaces it in one move.
    bool writeStrings(const std::string& path, std::span<const settings::ProfileWrite> writes) override;
};

}  // namespace lt::win32
