// bench_model.cpp: the bench file's text form, the adapter and driver settings, and the show line.
#include "bench/bench_model.h"

#include <algorithm>
#include <cstdio>

#include "common/adapter/hex_digits.h"
#include "common/adapter/ioctl_codes.h"
#include "common/eeprom/read_record.h"

namespace lt::bench {
namespace {

using adapter::hexDigitValue;

constexpr std::string_view kHeader = "korusbmac-bench 1";

bool parseHex(std::string_view text, std::size_t maxDigits, uint64_t& value) {
    if (text.empty() || text.size() > maxDigits) return false;
    uint64_t v = 0;
    for (char c : text) {
        const int d = hexDigitValue(c);
        if (d < 0) return false;
        v = v * 16 + uint64_t(d);
    }
    value = v;
    return true;
}

bool parseFlag(std::string_view text, bool& flag) {
    if (text == "0" || text == "1") {
        flag = text == "1";
        return true;
    }
    return false;
}

std::string hexText(uint64_t value, const char* pattern) {
    char text[32];
    std::snprintf(text, sizeof text, pattern, static_cast<unsigned long long>(value));
    return text;
}

// Splits "a b  c" at blanks.
std::vector<std::string_view> words(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ') ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ') ++i;
        if (i > start) out.push_back(line.substr(start, i - start));
    }
    return out;
}

// A show-line character: printable ASCII as it is, anything else '?'.
char shownCharacter(uint16_t unit) { return unit >= 0x20 && unit < 0x7F ? char(unit) : '?'; }

std::string shownString(const EepromWords& w, std::size_t first) {
    std::string text;
    for (std::size_t i = 0; i < eeprom::kStringCharacters; ++i) text.push_back(shownCharacter(w[first + i]));
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

std::string bytesText(const uint8_t* b) {
    char text[18];
    std::snprintf(text, sizeof text, "%02x-%02x-%02x-%02x-%02x-%02x", b[0], b[1], b[2], b[3], b[4], b[5]);
    return text;
}

bool badValue(std::string_view assignment, const char* expected, std::string& error) {
    error = "bad value in \"" + std::string(assignment) + "\" (expected " + expected + ")";
    return false;
}

// Splits NAME=VALUE; false when there is no '='.
bool splitAssignment(std::string_view assignment, std::string_view& name, std::string_view& value,
                     std::string& error) {
    const auto eq = assignment.find('=');
    if (eq == std::string_view::npos || eq == 0) {
        error.assign(1, '"').append(assignment).append("\" is not NAME=VALUE");
        return false;
    }
    name = assignment.substr(0, eq);
    value = assignment.substr(eq + 1);
    return true;
}

// A register value as `show` writes it: hexadecimal, with or without 0x, at most `max`.
bool parseHexValue(std::string_view text, uint64_t max, uint64_t& value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.remove_prefix(2);
    uint64_t v = 0;
    if (!parseHex(text, 8, v) || v > max) return false;
    value = v;
    return true;
}

// "N:VALUE": a register number (decimal, or hexadecimal with 0x) and a hexadecimal value.
bool parseRegisterPair(std::string_view text, uint64_t maxNumber, uint64_t maxValue, uint64_t& number,
                       uint64_t& value) {
    const auto colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    return parseNumber(text.substr(0, colon), maxNumber, number) &&
           parseHexValue(text.substr(colon + 1), maxValue, value);
}

}  // namespace

bool parseNumber(std::string_view text, uint64_t max, uint64_t& value) {
    uint64_t v = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        if (!parseHex(text.substr(2), 8, v)) return false;
    } else {
        if (text.empty() || text.size() > 10) return false;
        for (char c : text) {
            if (c < '0' || c > '9') return false;
            v = v * 10 + uint64_t(c - '0');
        }
    }
    if (v > max) return false;
    value = v;
    return true;
}

bool parseMacAddress(std::string_view text, MacAddress& address) {
    if (text.size() != 17) return false;
    MacAddress out{};
    for (std::size_t i = 0; i < 6; ++i) {
        uint64_t byte = 0;
        if (!parseHex(text.substr(3 * i, 2), 2, byte)) return false;
        if (i < 5 && text[3 * i + 2] != '-' && text[3 * i + 2] != ':') return false;
        out[i] = uint8_t(byte);
    }
    address = out;
    return true;
}

SimAdapter freshAdapter(uint32_t revision) {
    SimAdapter a;
    a.revision = revision;
    return a;
}

MacAddress adapterAddress(const SimAdapter& a) {
    MacAddress m{};
    for (std::size_t i = 0; i < 3; ++i) {
        const uint16_t w = a.eeprom[eeprom::kAddressWord + i];
        m[2 * i] = uint8_t(w);
        m[2 * i + 1] = uint8_t(w >> 8);
    }
    return m;
}

std::array<uint8_t, 6> adapterSerial(const SimAdapter& a) {
    std::array<uint8_t, 6> s{};
    for (std::size_t i = 0; i < 3; ++i) {
        const uint16_t w = a.eeprom[eeprom::kSerialWord + i];
        s[2 * i] = uint8_t(w);
        s[2 * i + 1] = uint8_t(w >> 8);
    }
    return s;
}

void writeAddressWords(EepromWords& w, const MacAddress& m) {
    for (std::size_t i = 0; i < 3; ++i) w[eeprom::kAddressWord + i] = uint16_t(m[2 * i] | (m[2 * i + 1] << 8));
}

void writeSerialWords(EepromWords& w, const MacAddress& m) {
    // word 0x32 = m1 + 256 x m0: the stored bytes read m1 m0 m3 m2 m5 m4
    for (std::size_t i = 0; i < 3; ++i) w[eeprom::kSerialWord + i] = uint16_t(m[2 * i + 1] | (m[2 * i] << 8));
}

std::string showLine(const SimAdapter& a, std::size_t number) {
    const MacAddress mac = adapterAddress(a);
    const auto serial = adapterSerial(a);
    std::string line = std::to_string(number);
    line += " revision=" + hexText(a.revision, "0x%llx");
    line += " mac=" + bytesText(mac.data());
    line += " serial=" + bytesText(serial.data());
    line += " vid=" + hexText(a.eeprom[eeprom::kVendorIdWord], "%04llx");
    line += " pid=" + hexText(a.eeprom[eeprom::kProductIdWord], "%04llx");
    line += " lang=" + hexText(a.eeprom[eeprom::kLanguageIdWord], "%04llx");
    line += " usb=" + hexText(a.usbVid, "%04llx") + ":" + hexText(a.usbPid, "%04llx");
    line += " manufacturer=\"" + shownString(a.eeprom, eeprom::kManufacturerWord) + "\"";
    line += " product=\"" + shownString(a.eeprom, eeprom::kProductWord) + "\"";
    return line;
}

namespace {

// One NAME=VALUE assignment being applied to a copy of its target.
struct Assignment {
    std::string_view whole;  // "NAME=VALUE", for the messages
    std::string_view value;
    std::string& error;

    bool bad(const char* expected) const { return badValue(whole, expected, error); }
    bool flag(bool& target) const {
        bool on = false;
        if (!parseFlag(value, on)) return bad("0 or 1");
        target = on;
        return true;
    }
    bool number(uint32_t& target, const char* expected) const {
        uint64_t n = 0;
        if (!parseNumber(value, 0xFFFFFFFF, n)) return bad(expected);
        target = uint32_t(n);
        return true;
    }
};

// What one setting adds to its line of the bench file: " NAME=VALUE", once or per entry.
struct FileEntries {
    std::string_view name;
    std::string& line;

    void put(const std::string& value) const { line.append(1, ' ').append(name).append(1, '=').append(value); }
};

// One NAME=VALUE setting: its name, how the usage shows it, how it is applied and how the
// bench file keeps it. The tables below are the only place where the names are spelled:
// parseBench, formatBench, benchctl and its usage all go through them.
template <typename Target>
struct Setting {
    std::string_view name;
    std::string_view form;         // VALUE as the usage shows it
    std::string_view description;  // the usage's line for it
    bool fileOnly;                 // kept by the file, never set by benchctl
    bool (*apply)(Target&, const Assignment&);
    void (*write)(const Target&, const FileEntries&);  // null: the file does not keep it
};

// The adapter line's settings, in the order the file writes them.
constexpr Setting<SimAdapter> kAdapterSettings[] = {
    {"revision", "0x200|0x100", "controller revision: 0x100 takes the address only", false,
     [](SimAdapter& a, const Assignment& v) {
         uint64_t n = 0;
         if (!parseNumber(v.value, 0xFFFFFFFF, n) || (n != kRevisionWithDescriptors && n != kRevisionAddressOnly))
             return v.bad("0x200 or 0x100");
         a.revision = uint32_t(n);
         return true;
     },
     [](const SimAdapter& a, const FileEntries& e) { e.put(hexText(a.revision, "0x%llx")); }},
    {"usb", "VVVV:PPPP", "the USB identity it enumerates with, in hexadecimal", false,
     [](SimAdapter& a, const Assignment& v) {
         uint64_t n = 0, m = 0;
         const auto colon = v.value.find(':');
         if (colon == std::string_view::npos || !parseHex(v.value.substr(0, colon), 4, n) ||
             !parseHex(v.value.substr(colon + 1), 4, m))
             return v.bad("VVVV:PPPP in hexadecimal");
         a.usbVid = uint16_t(n);
         a.usbPid = uint16_t(m);
         return true;
     },
     [](const SimAdapter& a, const FileEntries& e) {
         e.put(hexText(a.usbVid, "%04llx") + ":" + hexText(a.usbPid, "%04llx"));
     }},
    {"mac", "AA-BB-CC-DD-EE-FF", "the address in its EEPROM (revision 0x200: the serial number too)", false,
     [](SimAdapter& a, const Assignment& v) {
         MacAddress address{};
         if (!parseMacAddress(v.value, address)) return v.bad("AA-BB-CC-DD-EE-FF");
         writeAddressWords(a.eeprom, address);
         if (a.revision == kRevisionWithDescriptors) writeSerialWords(a.eeprom, address);
         return true;
     },
     nullptr},  // the file keeps the EEPROM words themselves
    {"external", "0|1", "external loopback plug fitted", false,
     [](SimAdapter& a, const Assignment& v) { return v.flag(a.externalPlug); },
     [](const SimAdapter& a, const FileEntries& e) { e.put(std::to_string(int(a.externalPlug))); }},
    {"corrupt", "FRAME", "this frame of each series comes back with one byte changed (0 clears)", false,
     [](SimAdapter& a, const Assignment& v) { return v.number(a.corruptFrame, "a number, 0 to clear"); },
     [](const SimAdapter& a, const FileEntries& e) { e.put(std::to_string(a.corruptFrame)); }},
    {"sendfail", "FRAME", "this frame of each series fails (0 clears)", false,
     [](SimAdapter& a, const Assignment& v) { return v.number(a.sendFailFrame, "a number, 0 to clear"); },
     [](const SimAdapter& a, const FileEntries& e) { e.put(std::to_string(a.sendFailFrame)); }},
    {"loopbackfail", "0|1", "IOCTL_SET_LOOPBACK_MODE fails", false,
     [](SimAdapter& a, const Assignment& v) { return v.flag(a.loopbackFail); },
     [](const SimAdapter& a, const FileEntries& e) { e.put(std::to_string(int(a.loopbackFail))); }},
    {"readfail", "0|1", "IOCTL_READ_EEPROM fails", false,
     [](SimAdapter& a, const Assignment& v) { return v.flag(a.readFail); },
     [](const SimAdapter& a, const FileEntries& e) { e.put(std::to_string(int(a.readFail))); }},
    {"badstring", "0|1", "programming writes a product string that differs", false,
     [](SimAdapter& a, const Assignment& v) { return v.flag(a.badString); },
     [](const SimAdapter& a, const FileEntries& e) { e.put(std::to_string(int(a.badString))); }},
    {"badvendor", "0|1", "programming writes a wrong vendor part into the address", false,
     [](SimAdapter& a, const Assignment& v) { return v.flag(a.badVendor); },
     [](const SimAdapter& a, const FileEntries& e) { e.put(std::to_string(int(a.badVendor))); }},
    {"rbrevision", "0xNNN", "revision code of the read-back record (0 clears: the adapter's own)", false,
     [](SimAdapter& a, const Assignment& v) { return v.number(a.readBackRevision, "a number, 0 to clear"); },
     [](const SimAdapter& a, const FileEntries& e) { e.put(hexText(a.readBackRevision, "0x%llx")); }},
    {"register", "N:VALUE", "register N (1 to 256) reads VALUE (hexadecimal as show prints it: 15:ff); 0 clears", false,
     [](SimAdapter& a, const Assignment& v) {
         if (v.value == "0") {
             a.registerFaults.clear();
             return true;
         }
         uint64_t n = 0, m = 0;
         if (!parseRegisterPair(v.value, kControllerRegisters, 0xFF, n, m) || n == 0)
             return v.bad("N:VALUE with N from 1 to 256 and VALUE a byte in hexadecimal, or 0 to clear");
         std::erase_if(a.registerFaults, [&](const RegisterFault& f) { return f.number == n; });
         a.registerFaults.push_back({uint16_t(n), uint8_t(m)});
         return true;
     },
     [](const SimAdapter& a, const FileEntries& e) {
         for (const auto& f : a.registerFaults) e.put(std::to_string(f.number) + ":" + hexText(f.value, "0x%02llx"));
     }},
    {"phy", "REG:VALUE", "PHY register REG (0 to 31) reads VALUE (hexadecimal: 1:7809); 0 clears", false,
     [](SimAdapter& a, const Assignment& v) {
         if (v.value == "0") {
             a.phyFaults.clear();
             return true;
         }
         uint64_t n = 0, m = 0;
         if (!parseRegisterPair(v.value, kPhyRegisters - 1, 0xFFFF, n, m))
             return v.bad("REG:VALUE with REG from 0 to 31 and VALUE 16 bits in hexadecimal, or 0 to clear");
         std::erase_if(a.phyFaults, [&](const PhyFault& f) { return f.reg == n; });
         a.phyFaults.push_back({uint8_t(n), uint16_t(m)});
         return true;
     },
     [](const SimAdapter& a, const FileEntries& e) {
         for (const auto& f : a.phyFaults) e.put(std::to_string(f.reg) + ":" + hexText(f.value, "0x%04llx"));
     }},
    {"replug", "INSTANCE|-", "device instance when it re-enumerated at the last programming", true,
     [](SimAdapter& a, const Assignment& v) {
         a.replugInstance = v.value == "-" ? std::string() : std::string(v.value);
         return true;
     },
     [](const SimAdapter& a, const FileEntries& e) { e.put(a.replugInstance.empty() ? "-" : a.replugInstance); }},
};

// The driver line's settings, in the order the file writes them.
constexpr Setting<DriverState> kDriverSettings[] = {
    {"version", "W0.W1", "the two words IOCTL_GET_DRIVER_VERSION answers", false,
     [](DriverState& d, const Assignment& v) {
         uint64_t n = 0, m = 0;
         const auto dot = v.value.find('.');
         if (dot == std::string_view::npos || !parseNumber(v.value.substr(0, dot), 0xFFFF, n) ||
             !parseNumber(v.value.substr(dot + 1), 0xFFFF, m))
             return v.bad("W0.W1");
         d.versionWord0 = uint16_t(n);
         d.versionWord1 = uint16_t(m);
         return true;
     },
     [](const DriverState& d, const FileEntries& e) {
         e.put(std::to_string(d.versionWord0) + "." + std::to_string(d.versionWord1));
     }},
    {"phymode", "N", "IOCTL_GET_PHY_MODE's answer (0: every adapter in auto-negotiation)", false,
     [](DriverState& d, const Assignment& v) { return v.number(d.phyMode, "a number"); },
     [](const DriverState& d, const FileEntries& e) { e.put(std::to_string(d.phyMode)); }},
    {"revision", "0xNNN", "IOCTL_GET_CHIP_REVISION's answer (0: adapter 1's revision)", false,
     [](DriverState& d, const Assignment& v) { return v.number(d.revision, "a number"); },
     [](const DriverState& d, const FileEntries& e) { e.put(hexText(d.revision, "0x%llx")); }},
    {"absent", "0|1", "no driver: every open fails", false,
     [](DriverState& d, const Assignment& v) { return v.flag(d.absent); },
     [](const DriverState& d, const FileEntries& e) { e.put(std::to_string(int(d.absent))); }},
    {"programfail", "0|1", "IOCTL_PROGRAM_EEPROM fails with a system error", false,
     [](DriverState& d, const Assignment& v) { return v.flag(d.programFail); },
     [](const DriverState& d, const FileEntries& e) { e.put(std::to_string(int(d.programFail))); }},
    {"openfail", "K", "the K-th open from now on fails (0 clears)", false,
     [](DriverState& d, const Assignment& v) { return v.number(d.openFail, "a number"); },
     [](const DriverState& d, const FileEntries& e) { e.put(std::to_string(d.openFail)); }},
    {"replugcount", "N", "adapters re-enumerated at the last programming request", true,
     [](DriverState& d, const Assignment& v) { return v.number(d.replugCount, "a number"); },
     [](const DriverState& d, const FileEntries& e) { e.put(std::to_string(d.replugCount)); }},
    {"enumerations", "N", "device instances handed out so far", true,
     [](DriverState& d, const Assignment& v) { return v.number(d.enumerations, "a number"); },
     [](const DriverState& d, const FileEntries& e) { e.put(std::to_string(d.enumerations)); }},
    {"fail", "NAME[:K]", "request NAME fails: every one, or the K-th from now on (NAME:0 clears it, fail=0 all)", false,
     [](DriverState& d, const Assignment& v) {
         if (v.value == "0") {
             d.requestFaults.clear();
             return true;
         }
         const auto colon = v.value.find(':');
         const auto requestName = v.value.substr(0, colon);
         const uint32_t code = adapter::ioctlByName(requestName);
         if (code == 0) {
             v.error = "unknown request \"" + std::string(requestName) + "\" in \"" + std::string(v.whole) + "\"";
             return false;
         }
         uint64_t n = 0;
         if (colon != std::string_view::npos && !parseNumber(v.value.substr(colon + 1), 0xFFFFFFFF, n))
             return v.bad("NAME or NAME:K");
         std::erase_if(d.requestFaults, [&](const RequestFault& f) { return f.code == code; });
         // NAME:0 clears that request's fault; NAME alone fails every one.
         if (colon == std::string_view::npos || n != 0) d.requestFaults.push_back({code, uint32_t(n)});
         return true;
     },
     [](const DriverState& d, const FileEntries& e) {
         for (const auto& f : d.requestFaults) {
             std::string value(adapter::ioctlName(f.code));
             if (f.countdown != 0) {
                value += ':';
                value += std::to_string(f.countdown);
            }
             e.put(value);
         }
     }},
};

template <typename Target, std::size_t N>
bool applySetting(const Setting<Target> (&table)[N], const char* what, Target& target, std::string_view assignment,
                  bool fromFile, std::string& error) {
    std::string_view name, value;
    if (!splitAssignment(assignment, name, value, error)) return false;
    for (const Setting<Target>& setting : table) {
        if (setting.name != name || (setting.fileOnly && !fromFile)) continue;
        Target changed = target;
        if (!setting.apply(changed, Assignment{assignment, value, error})) return false;
        target = std::move(changed);
        return true;
    }
    error = std::string("unknown ") + what + " setting \"" + std::string(name) + "\"";
    return false;
}

template <typename Target, std::size_t N>
void writeSettings(const Setting<Target> (&table)[N], const Target& target, std::string& line) {
    for (const Setting<Target>& setting : table)
        if (setting.write) setting.write(target, FileEntries{setting.name, line});
}

template <typename Target, std::size_t N>
void describeSettings(const Setting<Target> (&table)[N], std::string& text) {
    for (const Setting<Target>& setting : table) {
        if (setting.fileOnly) continue;
        std::string entry = "  " + std::string(setting.name) + "=" + std::string(setting.form);
        entry.resize(std::max<std::size_t>(entry.size() + 1, 26), ' ');
        text += entry + std::string(setting.description) + "\n";
    }
}

}  // namespace

bool applyAdapterSetting(SimAdapter& adapter, std::string_view assignment, bool fromFile, std::string& error) {
    return applySetting(kAdapterSettings, "adapter", adapter, assignment, fromFile, error);
}

bool applyDriverSetting(DriverState& driver, std::string_view assignment, bool fromFile, std::string& error) {
    return applySetting(kDriverSettings, "driver", driver, assignment, fromFile, error);
}

std::string settingsUsage() {
    std::string text = "adapter settings (set):\n";
    describeSettings(kAdapterSettings, text);
    text += "driver settings (driver):\n";
    describeSettings(kDriverSettings, text);
    return text;
}

std::string formatBench(const Bench& bench) {
    std::string text(kHeader);
    text += "\ndriver";
    writeSettings(kDriverSettings, bench.driver, text);
    text += "\n";
    for (const SimAdapter& a : bench.adapters) {
        text += "adapter";
        writeSettings(kAdapterSettings, a, text);
        text += "\neeprom";
        for (uint16_t w : a.eeprom) text.append(1, ' ').append(hexText(w, "%04llx"));
        text += "\n";
    }
    text += "end\n";
    return text;
}

bool parseBench(std::string_view text, Bench& bench, std::string& error) {
    Bench out;
    bool sawDriver = false, sawEnd = false, needEeprom = false;
    std::size_t lineNumber = 0;
    auto fail = [&](const std::string& why) {
        error = "line " + std::to_string(lineNumber) + ": " + why;
        return false;
    };
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (sawEnd) {
            if (!line.empty()) return fail("text after the end line");
            continue;
        }
        if (lineNumber == 1) {
            if (line != kHeader) return fail("not a bench file (no \"" + std::string(kHeader) + "\" header)");
            continue;
        }
        const auto w = words(line);
        if (w.empty()) return fail("empty line");
        if (needEeprom && w[0] != "eeprom") return fail("adapter without its eeprom line");
        if (w[0] == "driver") {
            if (sawDriver || !out.adapters.empty()) return fail("misplaced driver line");
            sawDriver = true;
            for (std::size_t i = 1; i < w.size(); ++i)
                if (!applyDriverSetting(out.driver, w[i], true, error)) return fail(error);
        } else if (w[0] == "adapter") {
            if (!sawDriver) return fail("adapter before the driver line");
            if (out.adapters.size() == kMaxAdapters) return fail("more than " + std::to_string(kMaxAdapters) + " adapters");
            out.adapters.push_back(freshAdapter());
            for (std::size_t i = 1; i < w.size(); ++i)
                if (!applyAdapterSetting(out.adapters.back(), w[i], true, error)) return fail(error);
            needEeprom = true;
        } else if (w[0] == "eeprom") {
            if (!needEeprom) return fail("eeprom line without an adapter");
            if (w.size() != 1 + kEepromWords) return fail("eeprom line without 64 words");
            for (std::size_t i = 0; i < kEepromWords; ++i) {
                uint64_t word = 0;
                if (!parseHex(w[1 + i], 4, word)) return fail("bad eeprom word \"" + std::string(w[1 + i]) + "\"");
                out.adapters.back().eeprom[i] = uint16_t(word);
            }
            needEeprom = false;
        } else if (w[0] == "end" && w.size() == 1) {
            if (!sawDriver || needEeprom) return fail("end line too early");
            sawEnd = true;
        } else {
            return fail("unknown line \"" + std::string(w[0]) + "\"");
        }
    }
    if (lineNumber == 0) {
        error = "empty file";
        return false;
    }
    if (!sawEnd) {
        ++lineNumber;
        return fail("the file ends before its end line (cut short)");
    }
    bench = std::move(out);
    return true;
}

}  // namespace lt::bench
