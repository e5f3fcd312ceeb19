// simulated_driver.cpp: the simulated adapter driver's answer to each request.
#include "bench/simulated_driver.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "bench/bench_errors.h"
#include "common/adapter/byte_order.h"
#include "common/adapter/driver_contract.h"
#include "common/adapter/ioctl_codes.h"
#include "common/adapter/requests.h"
#include "common/eeprom/read_record.h"

namespace lt::bench {
namespace {

using namespace lt::adapter;

constexpr std::size_t kRegisterReadingFB = 14;  // register 15 (from 1) reads back with bit 2 clear
constexpr uint16_t kPhyResetBit = 0x8000;
constexpr std::size_t kRecordSize = 9;
constexpr std::size_t kImageRecords = eeprom::kImageSize / kRecordSize;

bool fail(uint32_t code, uint32_t& error) {
    error = code;
    return false;
}

bool replyWord(std::span<uint8_t> reply, uint32_t value, uint32_t& error) {
    if (reply.size() < kWordReplySize) return fail(kErrorInsufficientBuffer, error);
    putU32(reply.data(), value);
    return true;
}

uint32_t serialPart(const MacAddress& m) { return (uint32_t(m[3]) << 16) | (uint32_t(m[4]) << 8) | m[5]; }

bool insideRange(const MacAddress& address, const MacAddress& start, uint32_t declared) {
    if (!sameVendorPart(address, start)) return false;
    const uint32_t first = serialPart(start), serial = serialPart(address);
    return serial >= first && uint64_t(serial) <= uint64_t(first) + declared - 1;
}

std::string instanceName(const MacAddress& m, uint32_t sequence) {
    char text[40];
    std::snprintf(text, sizeof text, "BENCH&%02X%02X%02X%02X%02X%02X&%u", m[0], m[1], m[2], m[3], m[4], m[5],
                  unsigned(sequence));
    return text;
}

}  // namespace

std::array<uint16_t, kPhyRegisters> SimulatedDriver::Runtime::phyAfterReset() {
    std::array<uint16_t, kPhyRegisters> phy{};
    phy[0] = kPhyControlAfterReset;
    phy[1] = kPhyStatus;
    phy[4] = kPhyAdvertisement;
    phy[5] = kPhyPartnerAbility;
    phy[6] = kPhyExpansion;
    return phy;
}

bool SimulatedDriver::mayChangeBench(const Bench& bench, uint32_t code) {
    if (code == IOCTL_PROGRAM_EEPROM) return true;
    for (const auto& f : bench.driver.requestFaults)
        if (f.code == code && f.countdown != 0) return true;
    return false;
}

SimulatedDriver::Runtime* SimulatedDriver::runtimeFor(const Bench& bench, uint32_t device, uint32_t& error) {
    if (device == 0 || device > bench.adapters.size()) {
        error = kErrorInvalidParameter;
        return nullptr;
    }
    return &runtime_[device - 1];
}

bool SimulatedDriver::request(Bench& bench, uint32_t code, std::span<const uint8_t> input, std::span<uint8_t> reply,
                              uint32_t& error) {
    if (runtime_.size() != bench.adapters.size()) runtime_.resize(bench.adapters.size());

    // Injected request faults come first: the K-th request with this code fails.
    auto& faults = bench.driver.requestFaults;
    for (auto it = faults.begin(); it != faults.end(); ++it) {
        if (it->code != code) continue;
        if (it->countdown == 0) return fail(kErrorGenFailure, error);
        if (--it->countdown == 0) {
            faults.erase(it);
            return fail(kErrorGenFailure, error);
        }
        break;
    }

    switch (code) {
    case IOCTL_GET_DEVICE_COUNT:
        return replyWord(reply, uint32_t(bench.adapters.size()), error);

    case IOCTL_GET_DRIVER_VERSION:
        if (reply.size() < kWordReplySize) return fail(kErrorInsufficientBuffer, error);
        putU16(&reply[0], bench.driver.versionWord0);
        putU16(&reply[2], bench.driver.versionWord1);
        return true;

    case IOCTL_GET_PHY_MODE:
        return replyWord(reply, bench.driver.phyMode, error);

    case IOCTL_GET_CHIP_REVISION: {
        uint32_t revision = bench.driver.revision;
        if (revision == 0 && !bench.adapters.empty()) revision = bench.adapters.front().revision;
        return replyWord(reply, revision, error);
    }

    case IOCTL_GET_REPLUG_COUNT:
        if (!replyWord(reply, bench.driver.replugCount, error)) return false;
        if (mirror_) {
            for (const SimAdapter& a : bench.adapters)
                if (!a.replugInstance.empty()) mirror_->deviceEnumerated(a.usbVid, a.usbPid, a.replugInstance);
        }
        return true;

    case IOCTL_GET_MAC_ADDRESSES: {
        // Exactly the caller's buffer: whole addresses, device 1 first, never more.
        const std::size_t fits = std::min(reply.size() / 6, bench.adapters.size());
        for (std::size_t i = 0; i < fits; ++i) {
            const MacAddress m = adapterAddress(bench.adapters[i]);
            std::copy(m.begin(), m.end(), reply.begin() + std::ptrdiff_t(6 * i));
        }
        return true;
    }

    case IOCTL_READ_MAC_REGISTER: {
        const auto r = decodeReadMacRegister(input);
        if (!r) return fail(kErrorInvalidParameter, error);
        Runtime* rt = runtimeFor(bench, r->device, error);
        if (!rt) return false;
        if (r->index >= kControllerRegisters) return fail(kErrorInvalidParameter, error);
        if (reply.size() < kMacRegisterReplySize) return fail(kErrorInsufficientBuffer, error);
        uint8_t value = rt->registers[r->index];
        if (r->index == kRegisterReadingFB) value &= 0xFB;
        for (const auto& f : bench.adapters[r->device - 1].registerFaults)
            if (f.number == r->index + 1u) value = f.value;
        reply[0] = value;
        return true;
    }

    case IOCTL_WRITE_MAC_REGISTER: {
        const auto r = decodeWriteMacRegister(input);
        if (!r) return fail(kErrorInvalidParameter, error);
        Runtime* rt = runtimeFor(bench, r->device, error);
        if (!rt) return false;
        if (r->index >= kControllerRegisters) return fail(kErrorInvalidParameter, error);
        rt->registers[r->index] = r->value;
        return true;
    }

    case IOCTL_READ_PHY_REGISTER: {
        const auto r = decodeReadPhyRegister(input);
        if (!r) return fail(kErrorInvalidParameter, error);
        Runtime* rt = runtimeFor(bench, r->device, error);
        if (!rt) return false;
        if (r->reg >= kPhyRegisters) return fail(kErrorInvalidParameter, error);
        if (reply.size() < kPhyReplySize) return fail(kErrorInsufficientBuffer, error);
        uint16_t value = rt->phy[r->reg];
        for (const auto& f : bench.adapters[r->device - 1].phyFaults)
            if (f.reg == r->reg) value = f.value;
        putU16(reply.data(), value);
        return true;
    }

    case IOCTL_WRITE_PHY_REGISTER: {
        const auto r = decodeWritePhyRegister(input);
        if (!r) return fail(kErrorInvalidParameter, error);
        Runtime* rt = runtimeFor(bench, r->device, error);
        if (!rt) return false;
        if (r->reg >= kPhyRegisters) return fail(kErrorInvalidParameter, error);
        if (r->reg == 0 && (r->value & kPhyResetBit))
            rt->phy = Runtime::phyAfterReset();  // the reset bit clears itself
        else if (r->reg != 1)                    // the status register is read-only
            rt->phy[r->reg] = r->value;
        return true;
    }

    case IOCTL_SET_LOOPBACK_MODE: {
        const auto r = decodeSetLoopbackMode(input);
        if (!r || r->mode > 2) return fail(kErrorInvalidParameter, error);
        Runtime* rt = runtimeFor(bench, r->device, error);
        if (!rt) return false;
        if (bench.adapters[r->device - 1].loopbackFail) return fail(kErrorGenFailure, error);
        rt->loopbackMode = r->mode;
        rt->frame = 0;  // a new series
        return true;
    }

    case IOCTL_SEND_RECEIVE_PACKET:
        return sendReceive(bench, input, error);

    case IOCTL_READ_EEPROM:
        return readEeprom(bench, input, reply, error);

    case IOCTL_PROGRAM_EEPROM:
        return programEeprom(bench, input, reply, error);

    default:
        return fail(kErrorInvalidFunction, error);
    }
}

bool SimulatedDriver::sendReceive(Bench& bench, std::span<const uint8_t> input, uint32_t& error) {
    const auto r = decodeSendReceive(input);
    if (!r) return fail(kErrorInvalidParameter, error);
    Runtime* rt = runtimeFor(bench, r->device, error);
    if (!rt) return false;
    if ((r->sendLength != 0 && r->sendAddress == 0) || r->receiveAddress == 0)
        return fail(kErrorInvalidParameter, error);
    if (r->receiveSize < r->sendLength) return fail(kErrorInsufficientBuffer, error);
    const SimAdapter& adapter = bench.adapters[r->device - 1];

    const uint32_t frame = ++rt->frame;
    if (adapter.sendFailFrame != 0 && frame == adapter.sendFailFrame) return fail(kErrorGenFailure, error);
    const bool loopsBack = rt->loopbackMode == 1 || (rt->loopbackMode == 2 && adapter.externalPlug);
    if (!loopsBack) return fail(kErrorSemTimeout, error);  // the frame went out and nothing came back

    // The addresses are the caller's own buffers in this process, as the driver sees them.
    const auto* sent = reinterpret_cast<const uint8_t*>(static_cast<std::uintptr_t>(r->sendAddress));
    auto* received = reinterpret_cast<uint8_t*>(static_cast<std::uintptr_t>(r->receiveAddress));
    std::memmove(received, sent, r->sendLength);
    if (adapter.corruptFrame != 0 && frame == adapter.corruptFrame && r->sendLength != 0)
        received[r->sendLength - 1] ^= 0xFF;
    return true;
}

bool SimulatedDriver::readEeprom(const Bench& bench, std::span<const uint8_t> input, std::span<uint8_t> reply,
                                 uint32_t& error) {
    const auto r = decodeReadEeprom(input);
    if (!r) return fail(kErrorInvalidParameter, error);
    if (!runtimeFor(bench, r->device, error)) return false;
    if (reply.size() < kReadRecordSize) return fail(kErrorInsufficientBuffer, error);
    const SimAdapter& a = bench.adapters[r->device - 1];
    if (a.readFail) return fail(kErrorGenFailure, error);

    eeprom::ReadRecordFields f;
    f.revision = a.readBackRevision != 0 ? a.readBackRevision : a.revision;
    f.macAddress = adapterAddress(a);
    if (a.revision == kRevisionWithDescriptors) {
        const auto& w = a.eeprom;
        f.vendorId = w[eeprom::kVendorIdWord];
        f.productId = w[eeprom::kProductIdWord];
        f.languageId = w[eeprom::kLanguageIdWord];
        // 21 units as programmed, then the zero unit that ends the string.
        for (std::size_t i = 0; i < eeprom::kStringCharacters; ++i) {
            f.manufacturer[i] = w[eeprom::kManufacturerWord + i];
            f.product[i] = w[eeprom::kProductWord + i];
        }
        f.serialNumber = adapterSerial(a);
    }
    const auto bytes = eeprom::encodeReadRecord(f);
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    return true;
}

void SimulatedDriver::programAdapter(Bench& bench, SimAdapter& a, std::span<const uint8_t, eeprom::kImageSize> image,
                                     const MacAddress& address) {
    if (a.revision == kRevisionWithDescriptors) {
        // The whole image, with this adapter's own address in both copies.
        std::array<uint8_t, eeprom::kImageSize> own;
        std::copy(image.begin(), image.end(), own.begin());
        eeprom::placeMacAddress(own, address);
        for (std::size_t r = 0; r < kImageRecords; ++r) {
            const uint8_t* record = &own[kRecordSize * r];
            const std::size_t word = record[0];
            if (word + 4 > kEepromWords) continue;  // a record outside the EEPROM is not written
            for (std::size_t i = 0; i < 4; ++i) a.eeprom[word + i] = getU16(record + 1 + 2 * i);
        }
        if (a.badString) a.eeprom[eeprom::kProductWord] ^= 0x0001;
    } else {
        writeAddressWords(a.eeprom, address);  // the earlier revision takes the address only
    }
    if (a.badVendor) a.eeprom[eeprom::kAddressWord + 1] ^= 0x00FF;  // byte 3 of the address

    // A new VID/PID makes the adapter come back under the new identity.
    const uint16_t vid = a.eeprom[eeprom::kVendorIdWord], pid = a.eeprom[eeprom::kProductIdWord];
    if (a.revision == kRevisionWithDescriptors && (vid != a.usbVid || pid != a.usbPid)) {
        a.usbVid = vid;
        a.usbPid = pid;
        a.replugInstance = instanceName(address, ++bench.driver.enumerations);
        ++bench.driver.replugCount;
    }
}

bool SimulatedDriver::programEeprom(Bench& bench, std::span<const uint8_t> input, std::span<uint8_t> reply,
                                    uint32_t& error) {
    const auto request = decodeProgramRequest(input);
    if (!request) return fail(kErrorInvalidParameter, error);
    if (reply.size() < kProgramReplySize) return fail(kErrorInsufficientBuffer, error);
    if (bench.driver.programFail) return fail(kErrorGenFailure, error);

    // Re-enumerations are counted per programming request.
    bench.driver.replugCount = 0;
    for (SimAdapter& a : bench.adapters) a.replugInstance.clear();

    MacAddress start{};
    std::copy_n(request->image.begin() + 3, 6, start.begin());
    const uint32_t declared = request->deviceCount;
    const uint32_t previousCount = request->previousCount;
    const auto attached = uint32_t(bench.adapters.size());

    ProgramReply out;
    out.lastAddress = request->previousAddress;
    const bool groupAddress = (start[0] & 0x01) != 0;
    const bool pastSerialPart = uint64_t(serialPart(start)) + declared - 1 > 0xFFFFFF;
    if (declared == 0 || groupAddress || pastSerialPart) {
        out.status = kStatusInvalidRange;
    } else if (int64_t(attached) > int64_t(declared) - int64_t(previousCount)) {
        out.status = kStatusCountMismatch;  // more adapters than the range has left
        out.count = attached;
    } else {
        bool conflict = false;
        for (const SimAdapter& a : bench.adapters) conflict = conflict || insideRange(adapterAddress(a), start, declared);
        out.count = attached;
        if (conflict && request->overwrite == 0) {
            out.status = kStatusConflict;
        } else {
            bool anyDescriptors = false;
            for (uint32_t k = 1; k <= attached; ++k) {
                const MacAddress address = previousCount == 0 ? stepAddress(start, k - 1)
                                                              : stepAddress(request->previousAddress, k);
                SimAdapter& a = bench.adapters[k - 1];
                programAdapter(bench, a, request->image, address);
                anyDescriptors = anyDescriptors || a.revision == kRevisionWithDescriptors;
                out.lastAddress = address;
            }
            out.status = conflict ? kStatusConflict : anyDescriptors ? kStatusVerifyDescriptors : kStatusProgrammed;
        }
    }
    const auto bytes = encode(out);
    std::copy(bytes.begin(), bytes.end(), reply.begin());
    return true;
}

}  // namespace lt::bench
