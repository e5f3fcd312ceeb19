// profile_files_fuzzer.cpp: reads and writes arbitrary INI text through the portable profile files and checks their promises.
//
// The input starts with a section, two keys and a value (as FuzzedDataProvider takes them
// apart); the rest is the file. Every read of any file must stay within its buffer; a
// plain value written under a plain name must read back as written, and the write must
// leave another key's value as it was. A file holding a NUL byte is only read: a name or
// value cut by a NUL keeps the blanks before it, which the next rewrite of the file drops
// (the API behaves the same), so there the round trip is not promised.
#include "fuzz/fuzz_files.h"
#include "portable/profile_files_portable.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>

using namespace lt;

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

// No line break, no NUL and no blank at either end: text the file can carry unchanged.
bool plainText(std::string_view text) {
    if (text.empty() || isBlank(text.front()) || isBlank(text.back())) return false;
    return text.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

bool plainSection(std::string_view name) {
    return plainText(name) && name.find_first_of("[]=") == std::string_view::npos;
}

bool plainKey(std::string_view name) { return plainText(name) && name.front() != '[' && name.find('=') == name.npos; }

bool plainValue(std::string_view value) {
    if (value.empty()) return true;
    if (!plainText(value)) return false;
    // A read strips one pair of quotes around a value.
    const bool quoted = value.size() >= 2 && value.front() == value.back() && (value.front() == '"' || value.front() == '\'');
    return !quoted;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(40);
    const std::string key = input.ConsumeRandomLengthString(40);
    const std::string otherKey = input.ConsumeRandomLengthString(40);
    const std::string value = input.ConsumeRandomLengthString(300);
    const std::size_t buffer = input.ConsumeIntegralInRange<std::size_t>(1, 300);
    const std::string text = input.ConsumeRemainingBytesAsString();

    const std::string path = fuzz::scratch().file("profile.ini");
    fuzz::writeFile(path, text);
    settings::PortableProfileFiles files;

    const std::string read = files.readString(path, section, key, value, buffer);
    if (read.size() > buffer - 1) std::abort();
    (void)files.readInt(path, section, key, -7);

    if (text.find('\0') != std::string::npos) return 0;
    if (!plainSection(section) || !plainKey(key) || !plainValue(value)) return 0;
    const bool other = plainKey(otherKey) && !sameName(key, otherKey);
    const std::string before = other ? files.readString(path, section, otherKey, "(none)", 4096) : "";

    if (!files.writeString(path, section, key, value)) std::abort();
    if (files.readString(path, section, key, "(none)", 4096) != value) std::abort();
    if (other && files.readString(path, section, otherKey, "(none)", 4096) != before) std::abort();
    return 0;
}
