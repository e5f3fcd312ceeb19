// profile_files.h: the port for INI ("private profile") files, with the Windows API's semantics.
//
// What callers rely on (and both implementations provide):
// - section and key names match without regard to ASCII case; lines end in CR LF;
// - a read of a missing file, section or key yields the caller's default;
// - a string read into a buffer of n characters returns at most n-1 characters;
// - an integer read yields the number the value starts with, the default when the key is
//   missing or its value is empty; as the API parses it, an optional sign and a lower-case
//   "0x", "0o" or "0b" prefix are taken too ("0x10" reads 16, "-5" reads 4294967291), and
//   numbers wrap modulo 2^32;
// - a write creates the file, the section and the key as needed and otherwise replaces the
//   value; an empty value keeps the key with nothing after the equals sign.
// portable/profile_files_portable.cpp lists the finer points (blanks, quotes, duplicates, damaged
// files), which both implementations share.
// Paths are Windows paths ("C:\windows\EpromData.ini"); the portable implementation
// also accepts host paths and treats a backslash as a directory separator on hosts
// that use "/".
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace lt::settings {

// One key to write, for a change of several keys at once.
struct ProfileWrite {
    std::string section;
    std::string key;
    std::string value;
};

class ProfileFiles {
public:
    virtual ~ProfileFiles() = default;

    // GetPrivateProfileStringA: at most bufferSize - 1 characters.
    virtual std::string readString(const std::string& path, std::string_view section, std::string_view key,
                                   std::string_view defaultValue, std::size_t bufferSize) = 0;
    // GetPrivateProfileIntA.
    virtual uint32_t readInt(const std::string& path, std::string_view section, std::string_view key,
                             int32_t defaultValue) = 0;
    // WritePrivateProfileStringA with a value.
    virtual bool writeString(const std::string& path, std::string_view section, std::string_view key,
                             std::string_view value) = 0;
    // WritePrivateProfileStringA with no value: removes the key.
    virtual bool deleteKey(const std::string& path, std::string_view section, std::string_view key) = 0;
    // WritePrivateProfileStringA with no key: removes the section.
    virtual bool deleteSection(const std::string& path, std::string_view section) = 0;
    // WritePrivateProfileSectionA: replaces the section's lines ("key=value" or any text).
    virtual bool writeSection(const std::string& path, std::string_view section,
                              std::span<const std::string> lines) = 0;
    // Several writes as one change of the file: the file gives way to its new content in one
    // step, so a program stopped halfway leaves the old file whole, never some of the keys.
    // The new content is what the writes one by one would give. The implementations for real
    // files do this; a port that only passes writes on (a test's recorder) may write one by one.
    virtual bool writeStrings(const std::string& path, std::span<const ProfileWrite> writes) {
        bool ok = true;
        for (const ProfileWrite& w : writes) ok = writeString(path, w.section, w.key, w.value) && ok;
        return ok;
    }
    // Adds "[section]" and the lines, each as it stands, at the end of the file (which must
    // exist), each line ending in CR LF. An INF's registry lines hold no "=", and the profile
    // functions keep only "name=value" lines of a section they write, so a section of such
    // lines is written as text. Any cached copy the profile functions hold of the file is
    // dropped, so their next call reads the file as it now stands. The implementations for
    // real files do this; a port that only records or passes on the other calls (a test's
    // recorder) reports failure.
    virtual bool appendSection(const std::string& path, std::string_view section,
                               std::span<const std::string> lines) {
        (void)path, (void)section, (void)lines;
        return false;
    }
};

}  // namespace lt::settings
