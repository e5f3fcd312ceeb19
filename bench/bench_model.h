// bench_model.h: the simulated adapters and driver-wide settings that a bench file keeps.
//
// Plain data: what must persist between programs (EEPROM words, USB identity, faults,
// the last programming request's re-enumerations). Run-time state such as register
// contents and loopback mode lives in the simulated driver of each program. The text
// form is the same for the native and the Windows builds. Nothing is thrown.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/adapter/driver_contract.h"
#include "common/adapter/mac_address.h"
#include "common/adapter/requests.h"
#include "common/eeprom/eeprom_image.h"

namespace lt::bench {

using adapter::MacAddress;

using adapter::kRevisionAddressOnly;
using adapter::kRevisionWithDescriptors;
constexpr uint16_t kFreshUsbVid = 0x8207;
constexpr uint16_t kFreshUsbPid = 0x6514;
constexpr std::size_t kMaxAdapters = adapter::kMaxDevices;  // the most the requests' device numbers address
constexpr std::size_t kControllerRegisters = 256;     // register numbers 1..256
constexpr std::size_t kPhyRegisters = 32;
constexpr std::size_t kEepromWords = eeprom::kEepromWords;

using EepromWords = std::array<uint16_t, kEepromWords>;

// Controller register `number` (from 1) always reads back `value`.
struct RegisterFault {
    uint16_t number = 0;
    uint8_t value = 0;
};
// PHY register `reg` always reads `value`.
struct PhyFault {
    uint8_t reg = 0;
    uint16_t value = 0;
};

struct SimAdapter {
    uint32_t revision = kRevisionWithDescriptors;
    uint16_t usbVid = kFreshUsbVid;  // the identity it enumerates with
    uint16_t usbPid = kFreshUsbPid;
    EepromWords eeprom = erased();
    bool externalPlug = false;       // external loopback plug fitted
    uint32_t corruptFrame = 0;       // this frame of each series comes back with one byte changed
    uint32_t sendFailFrame = 0;      // this frame of each series fails
    bool loopbackFail = false;       // IOCTL_SET_LOOPBACK_MODE fails
    bool readFail = false;           // IOCTL_READ_EEPROM fails
    bool badString = false;          // programming writes a product string that differs
    bool badVendor = false;          // programming writes a wrong vendor part into the address words
    uint32_t readBackRevision = 0;   // revision code of the read-back record; 0: the adapter's own
    std::vector<RegisterFault> registerFaults;
    std::vector<PhyFault> phyFaults;
    std::string replugInstance;      // device instance when it re-enumerated at the last programming

    static EepromWords erased() {
        EepromWords w;
        w.fill(0xFFFF);
        return w;
    }
};

// A failing request: the `countdown`-th one with this code from now on, or every one when 0.
struct RequestFault {
    uint32_t code = 0;
    uint32_t countdown = 0;
};

struct DriverState {
    uint16_t versionWord0 = adapter::kDriverVersionWord0;  // the supported version unless a test sets another
    uint16_t versionWord1 = adapter::kDriverVersionWord1;
    uint32_t phyMode = 0;
    uint32_t revision = 0;           // IOCTL_GET_CHIP_REVISION answer; 0: adapter 1's revision
    bool absent = false;             // no driver: every open fails
    bool programFail = false;        // IOCTL_PROGRAM_EEPROM fails with a system error
    uint32_t openFail = 0;           // the openFail-th open from now on fails
    std::vector<RequestFault> requestFaults;
    uint32_t replugCount = 0;        // adapters re-enumerated at the last programming request
    uint32_t enumerations = 0;       // device instances handed out so far (keeps them unique)
};

struct Bench {
    DriverState driver;
    std::vector<SimAdapter> adapters;  // adapter k is adapters[k - 1]
};

SimAdapter freshAdapter(uint32_t revision = kRevisionWithDescriptors);

// The address in EEPROM words 1-3, and the serial number bytes as stored in words 0x32-0x34.
MacAddress adapterAddress(const SimAdapter& adapter);
std::array<uint8_t, 6> adapterSerial(const SimAdapter& adapter);
void writeAddressWords(EepromWords& words, const MacAddress& address);
void writeSerialWords(EepromWords& words, const MacAddress& address);

// `benchctl show`'s line for adapter `number` (from 1).
std::string showLine(const SimAdapter& adapter, std::size_t number);

// The bench file's text, and its reading. A text that is not a whole bench file
// (wrong header, unknown line or setting, bad value, missing end line) is refused
// with a message naming the line.
std::string formatBench(const Bench& bench);
bool parseBench(std::string_view text, Bench& bench, std::string& error);

// One NAME=VALUE adapter or driver setting as benchctl takes it (and as the file
// stores it). Each setting's name, usage, reading and writing stand in one table row. `fromFile` admits the keys only the file carries (replug counts and
// instances). False with a message for an unknown name or a bad value; the target is
// then unchanged.
bool applyAdapterSetting(SimAdapter& adapter, std::string_view assignment, bool fromFile, std::string& error);
bool applyDriverSetting(DriverState& driver, std::string_view assignment, bool fromFile, std::string& error);
// benchctl's usage lines for every adapter and driver setting it takes, from the same table.
std::string settingsUsage();

// A number in decimal or with a 0x prefix in hexadecimal, at most `max`.
bool parseNumber(std::string_view text, uint64_t max, uint64_t& value);
// "AA-BB-CC-DD-EE-FF" (dashes or colons).
bool parseMacAddress(std::string_view text, MacAddress& address);

}  // namespace lt::bench
