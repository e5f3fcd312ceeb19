// profile_files_portable.cpp: the portable implementation of ProfileFiles: INI files read and written as the Windows private-profile API does under Wine.
//
// The model, measured on the API itself (the Wine test of the settings area compares
// both implementations on real files):
// - The file is parsed as a whole on every call. Lines end at any run of CR and LF.
//   Blanks (space, tab, CR, LF, VT, FF and Ctrl-Z) around a line are dropped; blank
//   lines are dropped. Lines before the first section header belong to a nameless
//   section written without a header.
// - A line starting with "[" that holds a "]" is a section header; the name runs to the
//   last "]" and loses its surrounding blanks; text after it is ignored. A "[" line
//   with no "]" is an entry like any other.
// - An entry is split at its first "="; the name loses its trailing blanks and the
//   value its leading ones. A line without "=" is an entry without a value: it stays in
//   the file but reads as missing. A line with an empty name is dropped when the entry
//   before it in its section also has an empty name.
// - Names and values end at a NUL byte. Names match without regard to ASCII case only;
//   the first section of a name and the first entry of a name in it win.
// - A read strips one pair of matching quotes (" or ') around the value or default and
//   cuts it to the buffer, with the API's quirk: when the quoted text is exactly one
//   character longer than the buffer holds, the last kept character is dropped too.
//   Trailing spaces of a default are dropped (one space is kept).
// - An integer read is a string read into 30 characters; an empty result gives the
//   default, otherwise: skip characters up to space, one sign, "0x", "0o" or "0b" (lower
//   case) for bases 16, 8, 2, then digits of the base, wrapping modulo 2^32.
// - A write looks names up with their blanks trimmed, creates missing sections and
//   entries at the end (names keep trailing blanks then), stores the value without its
//   leading blanks, and rewrites the whole file in the form above with CR LF only when
//   something changed (the same value, compared with case, changes nothing). Deleting
//   compares the untrimmed names: a key in every section of that name, or the first
//   section of that name. Writing a section empties every section of that name, then
//   appends each "name=value" line to the first one (lines without "=" are skipped; an
//   empty line ends the list).
// - A UTF-8 byte-order mark is kept in front; the bytes behind it are taken as they stand.
//
// Unlike the API, which rewrites the file in place, a change is written to a new file
// beside the target and renamed over it, so an interrupted write never leaves half a file.
#include "portable/profile_files_portable.h"

#include "portable/host_path.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

namespace lt::settings {

namespace {

namespace fs = std::filesystem;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r' || c == '\x1a';
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// A C string ends at its first NUL: so do names and values coming from callers.
std::string_view cString(std::string_view text) {
    auto nul = text.find('\0');
    return nul == std::string_view::npos ? text : text.substr(0, nul);
}

std::string_view trimLeading(std::string_view text) {
    while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
    return text;
}

std::string_view trim(std::string_view text) {
    text = trimLeading(text);
    while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
    return text;
}

struct Entry {
    std::string name;
    std::optional<std::string> value;  // none: a line without "="
};

struct Section {
    std::string name;
    std::vector<Entry> entries;
};

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

struct Profile {
    bool utf8Mark = false;
    std::vector<Section> sections;
};

enum class Load { Missing, Loaded, Unreadable };

Load loadBytes(const std::string& path, std::string& bytes) {
    const fs::path file = platform::hostPath(path);
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (ec || !fs::exists(status)) return Load::Missing;
    if (!fs::is_regular_file(status)) return Load::Unreadable;
    std::ifstream in(file, std::ios::binary);
    if (!in) return Load::Unreadable;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) return Load::Unreadable;
    return Load::Loaded;
}

Profile parse(std::string_view text) {
    Profile profile;
    if (text.substr(0, kUtf8Mark.size()) == kUtf8Mark) {
        profile.utf8Mark = true;
        text.remove_prefix(kUtf8Mark.size());
    }
    profile.sections.push_back(Section{});  // the nameless section before any header
    Section* section = &profile.sections.back();

    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        std::string_view line = trim(text.substr(pos, end - pos));
        pos = end;
        while (pos < text.size() && (text[pos] == '\n' || text[pos] == '\r')) ++pos;
        if (line.empty()) continue;

        if (line.front() == '[') {
            const std::size_t close = line.rfind(']');
            if (close != std::string_view::npos && close > 0) {
                profile.sections.push_back(Section{std::string(cString(trim(line.substr(1, close - 1)))), {}});
                section = &profile.sections.back();
                continue;
            }
        }

        std::string_view name = line;
        std::optional<std::string_view> value;
        if (const std::size_t eq = line.find('='); eq != std::string_view::npos) {
            name = line.substr(0, eq);
            while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
            value = trimLeading(line.substr(eq + 1));
        }
        // An empty name right after another empty name adds nothing.
        if (name.empty() && !section->entries.empty() && section->entries.back().name.empty()) continue;
        Entry entry{std::string(cString(name)), std::nullopt};
        if (value) entry.value = std::string(cString(*value));
        section->entries.push_back(std::move(entry));
    }
    return profile;
}

std::string serialise(const Profile& profile) {
    std::string out;
    if (profile.utf8Mark) out += kUtf8Mark;
    for (const Section& section : profile.sections) {
        if (!section.name.empty()) {
            out += '[';
            out += section.name;
            out += "]\r\n";
        }
        for (const Entry& entry : section.entries) {
            out += entry.name;
            if (entry.value) {
                out += '=';
                out += *entry.value;
            }
            out += "\r\n";
        }
    }
    return out;
}

// Writes beside the target, then renames over it: the old file stays whole until the
// new one is complete.
bool saveBytes(const std::string& path, const std::string& bytes) {
    static std::atomic<unsigned> counter{0};
    const fs::path file = platform::hostPath(path);
    std::error_code ec;
    const auto status = fs::status(file, ec);
    if (!ec && fs::exists(status)) {
        if (!fs::is_regular_file(status)) return false;
        // A read-only file refuses the write, as the API's open for writing does.
        if ((status.permissions() & fs::perms::owner_write) == fs::perms::none) return false;
    }
    fs::path beside = file;
    beside += ".~" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) + "-" +
              std::to_string(counter++);
    {
        std::ofstream out(beside, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        out.write(bytes.data(), std::streamsize(bytes.size()));
        out.flush();
        if (!out) {
            out.close();
            fs::remove(beside, ec);
            return false;
        }
    }
    if (!ec && fs::exists(status)) fs::permissions(beside, status.permissions(), ec);
    fs::rename(beside, file, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(beside, ignored);
        return false;
    }
    return true;
}

// The first section whose name matches `name` with its blanks trimmed.
Section* findSection(Profile& profile, std::string_view name) {
    name = trim(name);
    for (Section& section : profile.sections) {
        if (sameName(section.name, name)) return &section;
    }
    return nullptr;
}

Entry* findEntry(Section& section, std::string_view name) {
    name = trim(name);
    for (Entry& entry : section.entries) {
        if (sameName(entry.name, name)) return &entry;
    }
    return nullptr;
}

// The entry to set: the existing one, or a new one at the end of the section (or of a
// new section at the end of the file). New names keep their trailing blanks.
Entry& entryToSet(Profile& profile, std::string_view sectionName, std::string_view keyName, bool alwaysNew) {
    Section* section = findSection(profile, sectionName);
    if (!section) {
        profile.sections.push_back(Section{std::string(trimLeading(sectionName)), {}});
        section = &profile.sections.back();
    } else if (!alwaysNew) {
        if (Entry* entry = findEntry(*section, keyName)) return *entry;
    }
    section->entries.push_back(Entry{std::string(trimLeading(keyName)), std::nullopt});
    return section->entries.back();
}

// Sets a value; true when the file changes.
bool setValue(Entry& entry, std::string_view value) {
    value = trimLeading(value);
    if (entry.value && *entry.value == value) return false;
    entry.value = std::string(value);
    return true;
}

// The API's copy of a value or default into the caller's buffer.
std::string copyEntry(std::string_view value, std::size_t bufferSize) {
    if (bufferSize == 0) return {};
    char quote = '\0';
    if (value.size() >= 2 && (value.front() == '\'' || value.front() == '"') && value.back() == value.front()) {
        quote = value.front();
        value.remove_prefix(1);
    }
    std::string out(value.substr(0, std::min(value.size(), bufferSize - 1)));
    if (quote && bufferSize >= value.size() && !out.empty()) out.pop_back();
    return out;
}

// A default loses its trailing spaces, though never its first character.
std::string_view trimDefault(std::string_view value) {
    while (value.size() > 1 && value.back() == ' ') value.remove_suffix(1);
    return value;
}

// The API's conversion of an integer read: blanks, sign, base prefix, digits, modulo 2^32.
uint32_t toInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    uint32_t base = 10;
    if (text.size() - i >= 2 && text[i] == '0') {
        if (text[i + 1] == 'b') base = 2;
        else if (text[i + 1] == 'o') base = 8;
        else if (text[i + 1] == 'x') base = 16;
        if (base != 10) i += 2;
    }
    uint32_t total = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        uint32_t digit;
        if (c >= '0' && c <= '9') digit = uint32_t(c - '0');
        else if (c >= 'A' && c <= 'Z') digit = uint32_t(c - 'A' + 10);
        else if (c >= 'a' && c <= 'z') digit = uint32_t(c - 'a' + 10);
        else break;
        if (digit >= base) break;
        total = total * base + digit;
    }
    return negative ? 0u - total : total;
}

// Loads the file for a change; false when it exists but cannot be read.
bool loadForChange(const std::string& path, Profile& profile) {
    std::string bytes;
    switch (loadBytes(path, bytes)) {
    case Load::Missing: profile = Profile{}; return true;
    case Load::Loaded: profile = parse(bytes); return true;
    case Load::Unreadable: break;
    }
    return false;
}

}  // namespace

std::string PortableProfileFiles::readString(const std::string& path, std::string_view section, std::string_view key,
                                             std::string_view defaultValue, std::size_t bufferSize) {
    std::string bytes;
    std::optional<std::string> found;
    if (loadBytes(path, bytes) == Load::Loaded) {
        Profile profile = parse(bytes);
        if (Section* s = findSection(profile, cString(section))) {
            if (Entry* e = findEntry(*s, cString(key))) found = e->value;
        }
    }
    return found ? copyEntry(*found, bufferSize) : copyEntry(trimDefault(cString(defaultValue)), bufferSize);
}

uint32_t PortableProfileFiles::readInt(const std::string& path, std::string_view section, std::string_view key,
                                       int32_t defaultValue) {
    const std::string text = readString(path, section, key, "", 30);
    if (text.empty()) return static_cast<uint32_t>(defaultValue);
    return toInteger(text);
}

bool PortableProfileFiles::writeString(const std::string& path, std::string_view section, std::string_view key,
                                       std::string_view value) {
    Profile profile;
    if (!loadForChange(path, profile)) return false;
    Entry& entry = entryToSet(profile, cString(section), cString(key), false);
    if (!setValue(entry, cString(value))) return true;
    return saveBytes(path, serialise(profile));
}

bool PortableProfileFiles::writeStrings(const std::string& path, std::span<const ProfileWrite> writes) {
    Profile profile;
    if (!loadForChange(path, profile)) return false;
    bool changed = false;
    for (const ProfileWrite& w : writes) {
        Entry& entry = entryToSet(profile, cString(w.section), cString(w.key), false);
        changed = setValue(entry, cString(w.value)) || changed;
    }
    if (!changed) return true;
    return saveBytes(path, serialise(profile));  // beside the file, then renamed over it
}

bool PortableProfileFiles::deleteKey(const std::string& path, std::string_view section, std::string_view key) {
    Profile profile;
    if (!loadForChange(path, profile)) return false;
    section = cString(section);
    key = cString(key);
    for (Section& s : profile.sections) {
        if (!sameName(s.name, section)) continue;
        auto it = std::find_if(s.entries.begin(), s.entries.end(), [&](const Entry& e) { return sameName(e.name, key); });
        if (it != s.entries.end()) {
            s.entries.erase(it);
            return saveBytes(path, serialise(profile));
        }
    }
    return true;  // nothing to delete: the file stays as it is
}

bool PortableProfileFiles::deleteSection(const std::string& path, std::string_view section) {
    Profile profile;
    if (!loadForChange(path, profile)) return false;
    section = cString(section);
    auto it = std::find_if(profile.sections.begin(), profile.sections.end(),
                           [&](const Section& s) { return sameName(s.name, section); });
    if (it == profile.sections.end()) return true;
    profile.sections.erase(it);
    return saveBytes(path, serialise(profile));
}

bool PortableProfileFiles::writeSection(const std::string& path, std::string_view section,
                                        std::span<const std::string> lines) {
    Profile profile;
    if (!loadForChange(path, profile)) return false;
    section = cString(section);
    bool changed = false;
    for (Section& s : profile.sections) {
        if (sameName(s.name, section) && !s.entries.empty()) {
            s.entries.clear();
            changed = true;
        }
    }
    // The lines travel as one list of NUL-terminated strings ending in an empty one,
    // so a NUL inside a line splits it and an empty line ends the list.
    std::string list;
    for (const std::string& line : lines) {
        list += line;
        list += '\0';
    }
    std::string_view rest = list;
    while (!rest.empty() && rest.front() != '\0') {
        const std::string_view line = cString(rest);
        rest.remove_prefix(std::min(rest.size(), line.size() + 1));
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        Entry& entry = entryToSet(profile, section, line.substr(0, eq), true);
        changed |= setValue(entry, line.substr(eq + 1));
    }
    if (!changed) return true;
    return saveBytes(path, serialise(profile));
}

bool PortableProfileFiles::appendSection(const std::string& path, std::string_view section,
                                         std::span<const std::string> lines) {
    const fs::path host = platform::hostPath(path);
    std::error_code ec;
    if (!fs::is_regular_file(host, ec)) return false;
    // Appending leaves the text before it whole whatever happens to the write.
    std::string text;
    {
        std::ifstream in(host, std::ios::binary);
        if (!in) return false;
        in.seekg(0, std::ios::end);
        if (in.tellg() > 0) {
            in.seekg(-1, std::ios::end);
            if (in.get() != '\n') text = "\r\n";
        }
    }
    text += "[";
    text += section;
    text += "]\r\n";
    for (const std::string& line : lines) text += line + "\r\n";
    std::ofstream out(host, std::ios::binary | std::ios::app);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace lt::settings
