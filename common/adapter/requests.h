// requests.h: the driver requests' layouts (encoders and decoders, little-endian, packed
// byte by byte) and one call per request on an open control-device handle.
//
// Each call returns the request's success flag; on failure `error` holds the system
// error code and the outputs keep the values the caller put in them (callers pre-set
// them as their flows require).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "common/adapter/control_device.h"
#include "common/adapter/driver_contract.h"
#include "common/adapter/mac_address.h"

namespace lt::adapter {

constexpr std::size_t kImageSize = 135;          // EepromWriteImage
constexpr std::size_t kReadRecordSize = 122;     // EepromReadRecord
constexpr std::size_t kProgramRequestSize = 152;
constexpr std::size_t kProgramReplySize = 12;
// The send/receive request carries two buffer addresses of the platform's pointer size
// (32 bits in the driver's original layout, 64 bits on x86_64); the field order stays.
constexpr std::size_t kAddressFieldSize = sizeof(void*);
constexpr std::size_t kSendReceiveRequestSize = 2 + kAddressFieldSize + 4 + kAddressFieldSize + 4 + 4;
constexpr std::size_t kSendReceiveReplySize = 22;
constexpr std::size_t kWordReplySize = 4;        // the u32 replies and the two-word driver version
constexpr std::size_t kPhyReplySize = 2;
constexpr std::size_t kMacRegisterReplySize = 1;

// ---- layouts --------------------------------------------------------------------

struct ReadPhyRegisterRequest { uint16_t device; uint8_t reg; };                       // 3 bytes
struct WritePhyRegisterRequest { uint16_t value; uint16_t device; uint8_t reg; };      // 5 bytes
struct ReadMacRegisterRequest { uint16_t index; uint16_t device; };                    // 8 bytes, count 1
struct WriteMacRegisterRequest { uint16_t index; uint16_t device; uint8_t value; };    // 31 bytes, count 1
struct SetLoopbackModeRequest { uint16_t device; uint16_t mode; };                     // 6 bytes, third word 1
struct ReadEepromRequest { uint32_t device; };                                         // 4 bytes
struct SendReceiveRequest {
    uint16_t device;
    uint64_t sendAddress;   // address of the frame to send
    uint32_t sendLength;
    uint64_t receiveAddress;
    uint32_t receiveSize;   // frame length + 1
};
struct ProgramRequest {
    uint32_t deviceCount = 0;
    std::array<uint8_t, kImageSize> image{};
    MacAddress previousAddress{};
    uint32_t previousCount = 0;
    uint8_t overwrite = 0;
};
struct ProgramReply {
    MacAddress lastAddress{};
    uint32_t count = 0;
    uint16_t status = 0;
};

std::array<uint8_t, 3> encode(const ReadPhyRegisterRequest&);
std::array<uint8_t, 5> encode(const WritePhyRegisterRequest&);
std::array<uint8_t, 8> encode(const ReadMacRegisterRequest&);
std::array<uint8_t, 31> encode(const WriteMacRegisterRequest&);
std::array<uint8_t, 6> encode(const SetLoopbackModeRequest&);
std::array<uint8_t, 4> encode(const ReadEepromRequest&);
std::array<uint8_t, kSendReceiveRequestSize> encode(const SendReceiveRequest&);
std::array<uint8_t, kProgramRequestSize> encode(const ProgramRequest&);
std::array<uint8_t, kProgramReplySize> encode(const ProgramReply&);

// Decoders for the driver's side (the bench): nullopt when the input has the wrong size
// or a constant field differs from the layout (the byte count 1 of the register
// requests, the third word 1 of the loopback request). Zero padding is not checked.
std::optional<ReadPhyRegisterRequest> decodeReadPhyRegister(std::span<const uint8_t>);
std::optional<WritePhyRegisterRequest> decodeWritePhyRegister(std::span<const uint8_t>);
std::optional<ReadMacRegisterRequest> decodeReadMacRegister(std::span<const uint8_t>);
std::optional<WriteMacRegisterRequest> decodeWriteMacRegister(std::span<const uint8_t>);
std::optional<SetLoopbackModeRequest> decodeSetLoopbackMode(std::span<const uint8_t>);
std::optional<ReadEepromRequest> decodeReadEeprom(std::span<const uint8_t>);
std::optional<SendReceiveRequest> decodeSendReceive(std::span<const uint8_t>);
std::optional<ProgramRequest> decodeProgramRequest(std::span<const uint8_t>);
std::optional<ProgramReply> decodeProgramReply(std::span<const uint8_t>);

// ---- one call per request -------------------------------------------------------

bool getDeviceCount(ControlHandle&, uint32_t& count, uint32_t& error);
bool getDriverVersion(ControlHandle&, uint16_t& word0, uint16_t& word1, uint32_t& error);
bool getPhyMode(ControlHandle&, uint32_t& mode, uint32_t& error);
bool getChipRevision(ControlHandle&, uint32_t& revision, uint32_t& error);
bool getReplugCount(ControlHandle&, uint32_t& count, uint32_t& error);
// `addresses` must hold 6 x count bytes; exactly that many are requested.
bool getMacAddresses(ControlHandle&, std::span<uint8_t> addresses, uint32_t& error);
// The addresses of `count` adapters into `addresses`, allocated for this request (6 x count
// bytes, zero-filled first). A count of 0 or above kMaxDevices asks nothing and fails.
bool getMacAddresses(ControlHandle&, uint32_t count, std::vector<uint8_t>& addresses, uint32_t& error);
bool readPhyRegister(ControlHandle&, uint16_t device, uint8_t reg, uint16_t& value, uint32_t& error);
bool writePhyRegister(ControlHandle&, uint16_t device, uint8_t reg, uint16_t value, uint32_t& error);
// Register index is 0-based.
bool readMacRegister(ControlHandle&, uint16_t device, uint16_t index, uint8_t& value, uint32_t& error);
bool writeMacRegister(ControlHandle&, uint16_t device, uint16_t index, uint8_t value, uint32_t& error);
bool setLoopbackMode(ControlHandle&, uint16_t device, uint16_t mode, uint32_t& error);
// Sends `frame` on adapter `device`; the driver writes the received frame into `receive`
// (whose size, frame length + 1, goes into the request).
bool sendReceivePacket(ControlHandle&, uint16_t device, std::span<const uint8_t> frame,
                       std::span<uint8_t> receive, uint32_t& error);
// `record` is the caller's 122 bytes (callers zero-fill it first).
bool readEeprom(ControlHandle&, uint32_t device, std::span<uint8_t, kReadRecordSize> record, uint32_t& error);
bool programEeprom(ControlHandle&, const ProgramRequest& request, ProgramReply& reply, uint32_t& error);

}  // namespace lt::adapter
