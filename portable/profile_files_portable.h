// profile_files_portable.h: the portable implementation of ProfileFiles (common/settings/profile_files.h), in standard C++, behaving as the Windows private-profile API does under Wine.
//
// Used by the native build and the tests; the Windows programs use the Win32 one. Every
// call reads the whole file; a change is written to a file beside the target and renamed
// over it, so a failed or interrupted write leaves the old file whole. A backslash in a
// path is a directory separator on hosts that use "/".
#pragma once

#include "common/settings/profile_files.h"

namespace lt::settings {

class PortableProfileFiles final : public ProfileFiles {
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
    bool writeStrings(const std::string& path, std::span<const ProfileWrite> writes) override;
    // Appended through std::ofstream; the text before it stays whole whatever happens to the write.
    bool appendSection(const std::string& path, std::string_view section,
                       std::span<const std::string> lines) override;
};

}  // namespace lt::settings
