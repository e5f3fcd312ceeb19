// requests.cpp: the driver requests packed and unpacked byte by byte, and one call per request.
#include "common/adapter/requests.h"

#include <algorithm>

#include "common/adapter/byte_order.h"
#include "common/adapter/ioctl_codes.h"

namespace lt::adapter {
namespace {

// Offsets of the programming request and reply.
constexpr std::size_t kProgramImageAt = 4;
constexpr std::size_t kProgramPreviousAddressAt = 139;
constexpr std::size_t kProgramPreviousCountAt = 145;
constexpr std::size_t kProgramOverwriteAt = 151;
constexpr std::size_t kReplyCountAt = 6;
constexpr std::size_t kReplyStatusAt = 10;

void putAddressField(uint8_t* at, uint64_t address) {
    if constexpr (kAddressFieldSize == 8)
        putU64(at, address);
    else
        putU32(at, uint32_t(address));
}

uint64_t getAddressField(const uint8_t* at) {
    if constexpr (kAddressFieldSize == 8)
        return getU64(at);
    else
        return getU32(at);
}

// A request without input whose reply is one u32.
bool requestWord(ControlHandle& handle, uint32_t code, uint32_t& value, uint32_t& error) {
    std::array<uint8_t, kWordReplySize> reply{};
    if (!handle.request(code, {}, reply, error)) return false;
    value = getU32(reply.data());
    return true;
}

}  // namespace

// ---- encoders -------------------------------------------------------------------

std::array<uint8_t, 3> encode(const ReadPhyRegisterRequest& r) {
    std::array<uint8_t, 3> b{};
    putU16(&b[0], r.device);
    b[2] = r.reg;
    return b;
}

std::array<uint8_t, 5> encode(const WritePhyRegisterRequest& r) {
    std::array<uint8_t, 5> b{};
    putU16(&b[0], r.value);
    putU16(&b[2], r.device);
    b[4] = r.reg;
    return b;
}

std::array<uint8_t, 8> encode(const ReadMacRegisterRequest& r) {
    std::array<uint8_t, 8> b{};
    putU16(&b[0], r.index);
    putU16(&b[2], r.device);
    b[4] = 1;  // byte count; bytes 5-7 stay zero
    return b;
}

std::array<uint8_t, 31> encode(const WriteMacRegisterRequest& r) {
    std::array<uint8_t, 31> b{};
    putU16(&b[0], r.index);
    putU16(&b[2], 1);  // byte count
    putU16(&b[4], r.device);
    b[6] = r.value;    // first of 25 data bytes, the rest zero
    return b;
}

std::array<uint8_t, 6> encode(const SetLoopbackModeRequest& r) {
    std::array<uint8_t, 6> b{};
    putU16(&b[0], r.device);
    putU16(&b[2], r.mode);
    putU16(&b[4], 1);
    return b;
}

std::array<uint8_t, 4> encode(const ReadEepromRequest& r) {
    std::array<uint8_t, 4> b{};
    putU32(&b[0], r.device);
    return b;
}

std::array<uint8_t, kSendReceiveRequestSize> encode(const SendReceiveRequest& r) {
    std::array<uint8_t, kSendReceiveRequestSize> b{};
    std::size_t at = 0;
    putU16(&b[at], r.device);
    at += 2;
    putAddressField(&b[at], r.sendAddress);
    at += kAddressFieldSize;
    putU32(&b[at], r.sendLength);
    at += 4;
    putAddressField(&b[at], r.receiveAddress);
    at += kAddressFieldSize;
    putU32(&b[at], r.receiveSize);
    // the reserved u32 after it stays zero
    return b;
}

std::array<uint8_t, kProgramRequestSize> encode(const ProgramRequest& r) {
    std::array<uint8_t, kProgramRequestSize> b{};
    putU32(&b[0], r.deviceCount);
    std::copy(r.image.begin(), r.image.end(), b.begin() + kProgramImageAt);
    std::copy(r.previousAddress.begin(), r.previousAddress.end(), b.begin() + kProgramPreviousAddressAt);
    putU32(&b[kProgramPreviousCountAt], r.previousCount);
    b[kProgramOverwriteAt] = r.overwrite;
    return b;
}

std::array<uint8_t, kProgramReplySize> encode(const ProgramReply& r) {
    std::array<uint8_t, kProgramReplySize> b{};
    std::copy(r.lastAddress.begin(), r.lastAddress.end(), b.begin());
    putU32(&b[kReplyCountAt], r.count);
    putU16(&b[kReplyStatusAt], r.status);
    return b;
}

// ---- decoders -------------------------------------------------------------------

std::optional<ReadPhyRegisterRequest> decodeReadPhyRegister(std::span<const uint8_t> b) {
    if (b.size() != 3) return std::nullopt;
    return ReadPhyRegisterRequest{getU16(&b[0]), b[2]};
}

std::optional<WritePhyRegisterRequest> decodeWritePhyRegister(std::span<const uint8_t> b) {
    if (b.size() != 5) return std::nullopt;
    return WritePhyRegisterRequest{getU16(&b[0]), getU16(&b[2]), b[4]};
}

std::optional<ReadMacRegisterRequest> decodeReadMacRegister(std::span<const uint8_t> b) {
    if (b.size() != 8 || b[4] != 1) return std::nullopt;
    return ReadMacRegisterRequest{getU16(&b[0]), getU16(&b[2])};
}

std::optional<WriteMacRegisterRequest> decodeWriteMacRegister(std::span<const uint8_t> b) {
    if (b.size() != 31 || getU16(&b[2]) != 1) return std::nullopt;
    return WriteMacRegisterRequest{getU16(&b[0]), getU16(&b[4]), b[6]};
}

std::optional<SetLoopbackModeRequest> decodeSetLoopbackMode(std::span<const uint8_t> b) {
    if (b.size() != 6 || getU16(&b[4]) != 1) return std::nullopt;
    return SetLoopbackModeRequest{getU16(&b[0]), getU16(&b[2])};
}

std::optional<ReadEepromRequest> decodeReadEeprom(std::span<const uint8_t> b) {
    if (b.size() != 4) return std::nullopt;
    return ReadEepromRequest{getU32(&b[0])};
}

std::optional<SendReceiveRequest> decodeSendReceive(std::span<const uint8_t> b) {
    if (b.size() != kSendReceiveRequestSize) return std::nullopt;
    SendReceiveRequest r{};
    std::size_t at = 0;
    r.device = getU16(&b[at]);
    at += 2;
    r.sendAddress = getAddressField(&b[at]);
    at += kAddressFieldSize;
    r.sendLength = getU32(&b[at]);
    at += 4;
    r.receiveAddress = getAddressField(&b[at]);
    at += kAddressFieldSize;
    r.receiveSize = getU32(&b[at]);
    return r;
}

std::optional<ProgramRequest> decodeProgramRequest(std::span<const uint8_t> b) {
    if (b.size() != kProgramRequestSize) return std::nullopt;
    ProgramRequest r;
    r.deviceCount = getU32(&b[0]);
    std::copy_n(b.begin() + kProgramImageAt, kImageSize, r.image.begin());
    std::copy_n(b.begin() + kProgramPreviousAddressAt, 6, r.previousAddress.begin());
    r.previousCount = getU32(&b[kProgramPreviousCountAt]);
    r.overwrite = b[kProgramOverwriteAt];
    return r;
}

std::optional<ProgramReply> decodeProgramReply(std::span<const uint8_t> b) {
    if (b.size() != kProgramReplySize) return std::nullopt;
    ProgramReply r;
    std::copy_n(b.begin(), 6, r.lastAddress.begin());
    r.count = getU32(&b[kReplyCountAt]);
    r.status = getU16(&b[kReplyStatusAt]);
    return r;
}

// ---- calls ----------------------------------------------------------------------

bool getDeviceCount(ControlHandle& handle, uint32_t& count, uint32_t& error) {
    return requestWord(handle, IOCTL_GET_DEVICE_COUNT, count, error);
}

bool getDriverVersion(ControlHandle& handle, uint16_t& word0, uint16_t& word1, uint32_t& error) {
    std::array<uint8_t, kWordReplySize> reply{};
    if (!handle.request(IOCTL_GET_DRIVER_VERSION, {}, reply, error)) return false;
    word0 = getU16(&reply[0]);
    word1 = getU16(&reply[2]);
    return true;
}

bool getPhyMode(ControlHandle& handle, uint32_t& mode, uint32_t& error) {
    return requestWord(handle, IOCTL_GET_PHY_MODE, mode, error);
}

bool getChipRevision(ControlHandle& handle, uint32_t& revision, uint32_t& error) {
    return requestWord(handle, IOCTL_GET_CHIP_REVISION, revision, error);
}

bool getReplugCount(ControlHandle& handle, uint32_t& count, uint32_t& error) {
    return requestWord(handle, IOCTL_GET_REPLUG_COUNT, count, error);
}

bool getMacAddresses(ControlHandle& handle, std::span<uint8_t> addresses, uint32_t& error) {
    // The caller's buffer is the reply: 6 bytes for each adapter it counted, never more.
    return handle.request(IOCTL_GET_MAC_ADDRESSES, {}, addresses, error);
}

bool getMacAddresses(ControlHandle& handle, uint32_t count, std::vector<uint8_t>& addresses, uint32_t& error) {
    addresses.clear();
    if (count == 0 || count > kMaxDevices) return false;
    addresses.assign(std::size_t(count) * 6, 0);
    return getMacAddresses(handle, std::span<uint8_t>(addresses), error);
}

bool readPhyRegister(ControlHandle& handle, uint16_t device, uint8_t reg, uint16_t& value, uint32_t& error) {
    const auto input = encode(ReadPhyRegisterRequest{device, reg});
    std::array<uint8_t, kPhyReplySize> reply{};
    if (!handle.request(IOCTL_READ_PHY_REGISTER, input, reply, error)) return false;
    value = getU16(reply.data());
    return true;
}

bool writePhyRegister(ControlHandle& handle, uint16_t device, uint8_t reg, uint16_t value, uint32_t& error) {
    const auto input = encode(WritePhyRegisterRequest{value, device, reg});
    return handle.request(IOCTL_WRITE_PHY_REGISTER, input, {}, error);
}

bool readMacRegister(ControlHandle& handle, uint16_t device, uint16_t index, uint8_t& value, uint32_t& error) {
    const auto input = encode(ReadMacRegisterRequest{index, device});
    std::array<uint8_t, kMacRegisterReplySize> reply{};
    if (!handle.request(IOCTL_READ_MAC_REGISTER, input, reply, error)) return false;
    value = reply[0];
    return true;
}

bool writeMacRegister(ControlHandle& handle, uint16_t device, uint16_t index, uint8_t value, uint32_t& error) {
    const auto input = encode(WriteMacRegisterRequest{index, device, value});
    return handle.request(IOCTL_WRITE_MAC_REGISTER, input, {}, error);
}

bool setLoopbackMode(ControlHandle& handle, uint16_t device, uint16_t mode, uint32_t& error) {
    const auto input = encode(SetLoopbackModeRequest{device, mode});
    return handle.request(IOCTL_SET_LOOPBACK_MODE, input, {}, error);
}

bool sendReceivePacket(ControlHandle& handle, uint16_t device, std::span<const uint8_t> frame,
                       std::span<uint8_t> receive, uint32_t& error) {
    SendReceiveRequest r{};
    r.device = device;
    r.sendAddress = uint64_t(reinterpret_cast<std::uintptr_t>(frame.data()));
    r.sendLength = uint32_t(frame.size());
    r.receiveAddress = uint64_t(reinterpret_cast<std::uintptr_t>(receive.data()));
    r.receiveSize = uint32_t(receive.size());
    const auto input = encode(r);
    std::array<uint8_t, kSendReceiveReplySize> reply{};  // filled by the driver, not examined
    return handle.request(IOCTL_SEND_RECEIVE_PACKET, input, reply, error);
}

bool readEeprom(ControlHandle& handle, uint32_t device, std::span<uint8_t, kReadRecordSize> record,
                uint32_t& error) {
    const auto input = encode(ReadEepromRequest{device});
    return handle.request(IOCTL_READ_EEPROM, input, record, error);
}

bool programEeprom(ControlHandle& handle, const ProgramRequest& request, ProgramReply& reply, uint32_t& error) {
    const auto input = encode(request);
    std::array<uint8_t, kProgramReplySize> bytes{};
    if (!handle.request(IOCTL_PROGRAM_EEPROM, input, bytes, error)) return false;
    reply = *decodeProgramReply(bytes);
    return true;
}

}  // namespace lt::adapter
