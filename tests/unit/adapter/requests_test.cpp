// requests_test.cpp: the byte layouts of every driver request and reply, and what each call sends.
#include "common/adapter/requests.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "common/adapter/ioctl_codes.h"

using namespace lt::adapter;

namespace {

using Bytes = std::vector<uint8_t>;

// A handle that records the last request and answers with scripted reply bytes.
struct RecordingHandle : ControlHandle {
    uint32_t code = 0;
    Bytes input;
    std::size_t replySize = 0;
    Bytes answer;          // copied into the start of the reply buffer
    bool succeed = true;
    uint32_t failWith = 31;
    int calls = 0;

    bool request(uint32_t c, std::span<const uint8_t> in, std::span<uint8_t> reply, uint32_t& error) override {
        ++calls;
        code = c;
        input.assign(in.begin(), in.end());
        replySize = reply.size();
        if (!succeed) {
            error = failWith;
            return false;
        }
        for (std::size_t i = 0; i < answer.size() && i < reply.size(); ++i) reply[i] = answer[i];
        return true;
    }
};

template <std::size_t N>
Bytes bytes(const std::array<uint8_t, N>& a) {
    return Bytes(a.begin(), a.end());
}

}  // namespace

TEST(RequestLayouts, registerAndLoopbackRequestsPackTheirFieldsLittleEndianInTheDocumentedOrder) {
    EXPECT_EQ(bytes(encode(ReadPhyRegisterRequest{0x0102, 0x04})), (Bytes{0x02, 0x01, 0x04}));
    EXPECT_EQ(bytes(encode(WritePhyRegisterRequest{0x8000, 0x0003, 0x00})), (Bytes{0x00, 0x80, 0x03, 0x00, 0x00}));
    EXPECT_EQ(bytes(encode(ReadMacRegisterRequest{0x0015, 0x0002})),
              (Bytes{0x15, 0x00, 0x02, 0x00, 0x01, 0x00, 0x00, 0x00}));
    EXPECT_EQ(bytes(encode(SetLoopbackModeRequest{0x0004, 2})), (Bytes{0x04, 0x00, 0x02, 0x00, 0x01, 0x00}));
    EXPECT_EQ(bytes(encode(ReadEepromRequest{0x01020304})), (Bytes{0x04, 0x03, 0x02, 0x01}));

    Bytes write(31, 0);
    write[0] = 0x0e;  // index 14
    write[2] = 0x01;  // byte count 1
    write[4] = 0x07;  // device 7
    write[6] = 0xff;  // the value, then 24 zero bytes
    EXPECT_EQ(bytes(encode(WriteMacRegisterRequest{14, 7, 0xff})), write);
}

TEST(RequestLayouts, sendReceiveRequestKeepsTheFieldOrderWithPointerSizedAddresses) {
    SendReceiveRequest r{0x0203, 0x1122334455667788ull, 1514, 0x0102030405060708ull, 1515};
    if constexpr (kAddressFieldSize == 4) {
        r.sendAddress &= 0xffffffffu;
        r.receiveAddress &= 0xffffffffu;
    }
    const auto b = encode(r);
    ASSERT_EQ(b.size(), 2 + 2 * kAddressFieldSize + 12);
    std::size_t at = 0;
    EXPECT_EQ(b[at], 0x03);
    EXPECT_EQ(b[at + 1], 0x02);
    at += 2;
    EXPECT_EQ(b[at], 0x88);  // send address, low byte first
    at += kAddressFieldSize;
    EXPECT_EQ(b[at], 0xea);  // 1514 = 0x05ea
    EXPECT_EQ(b[at + 1], 0x05);
    at += 4;
    EXPECT_EQ(b[at], 0x08);  // receive address
    at += kAddressFieldSize;
    EXPECT_EQ(b[at], 0xeb);  // 1515
    EXPECT_EQ(b[at + 1], 0x05);
    at += 4;
    EXPECT_EQ(b[at] | b[at + 1] | b[at + 2] | b[at + 3], 0);  // reserved

    const auto back = decodeSendReceive(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->device, r.device);
    EXPECT_EQ(back->sendAddress, r.sendAddress);
    EXPECT_EQ(back->sendLength, r.sendLength);
    EXPECT_EQ(back->receiveAddress, r.receiveAddress);
    EXPECT_EQ(back->receiveSize, r.receiveSize);
}

TEST(RequestLayouts, programRequestPlacesCountImagePreviousAddressCountAndOverwriteFlag) {
    ProgramRequest r;
    r.deviceCount = 0x0a0b0c0d;
    for (std::size_t i = 0; i < kImageSize; ++i) r.image[i] = uint8_t(i + 1);
    r.previousAddress = {0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x0f};
    r.previousCount = 0x11223344;
    r.overwrite = 1;
    const auto b = encode(r);
    ASSERT_EQ(b.size(), 152u);
    EXPECT_EQ((Bytes{b[0], b[1], b[2], b[3]}), (Bytes{0x0d, 0x0c, 0x0b, 0x0a}));
    for (std::size_t i = 0; i < kImageSize; ++i) ASSERT_EQ(b[4 + i], uint8_t(i + 1)) << i;
    EXPECT_EQ(Bytes(b.begin() + 139, b.begin() + 145), (Bytes{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x0f}));
    EXPECT_EQ(Bytes(b.begin() + 145, b.begin() + 149), (Bytes{0x44, 0x33, 0x22, 0x11}));
    EXPECT_EQ(b[149], 0);
    EXPECT_EQ(b[150], 0);
    EXPECT_EQ(b[151], 1);

    const auto back = decodeProgramRequest(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->deviceCount, r.deviceCount);
    EXPECT_EQ(back->image, r.image);
    EXPECT_EQ(back->previousAddress, r.previousAddress);
    EXPECT_EQ(back->previousCount, r.previousCount);
    EXPECT_EQ(back->overwrite, r.overwrite);
}

TEST(RequestLayouts, programReplyCarriesLastAddressCountAndStatus) {
    const ProgramReply r{{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x03}, 4, 1};
    const Bytes expected{0x00, 0x1b, 0x4e, 0x7a, 0x01, 0x03, 0x04, 0x00, 0x00, 0x00, 0x01, 0x00};
    EXPECT_EQ(bytes(encode(r)), expected);
    const auto back = decodeProgramReply(expected);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->lastAddress, r.lastAddress);
    EXPECT_EQ(back->count, 4u);
    EXPECT_EQ(back->status, 1);
}

TEST(RequestLayouts, decodersRefuseWrongSizesAndWrongConstantFields) {
    const Bytes empty;
    EXPECT_FALSE(decodeReadPhyRegister(Bytes{1, 0}));
    EXPECT_FALSE(decodeWritePhyRegister(Bytes(6, 0)));
    EXPECT_FALSE(decodeReadMacRegister(Bytes{0, 0, 1, 0, 2, 0, 0, 0}));    // byte count 2
    EXPECT_FALSE(decodeReadMacRegister(Bytes(7, 0)));
    Bytes write(31, 0);
    write[2] = 2;                                                           // byte count 2
    EXPECT_FALSE(decodeWriteMacRegister(write));
    EXPECT_FALSE(decodeSetLoopbackMode(Bytes{1, 0, 1, 0, 0, 0}));           // third word 0
    EXPECT_FALSE(decodeReadEeprom(Bytes{1, 0}));
    EXPECT_FALSE(decodeSendReceive(Bytes(kSendReceiveRequestSize - 1, 0)));
    EXPECT_FALSE(decodeProgramRequest(Bytes(151, 0)));
    EXPECT_FALSE(decodeProgramReply(empty));

    const auto read = decodeReadMacRegister(Bytes{0x0e, 0, 3, 0, 1, 0, 0, 0});
    ASSERT_TRUE(read);
    EXPECT_EQ(read->index, 14);
    EXPECT_EQ(read->device, 3);
    const auto loop = decodeSetLoopbackMode(Bytes{2, 0, 1, 0, 1, 0});
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->device, 2);
    EXPECT_EQ(loop->mode, 1);
    const auto phy = decodeWritePhyRegister(Bytes{0x00, 0x80, 0x01, 0x00, 0x00});
    ASSERT_TRUE(phy);
    EXPECT_EQ(phy->value, 0x8000);
    EXPECT_EQ(phy->device, 1);
    EXPECT_EQ(phy->reg, 0);
}

// Each call: the code it sends, the input bytes and the reply size it offers the driver.
TEST(RequestCalls, eachCallSendsItsCodeInputAndExactReplySize) {
    struct Case {
        std::string name;
        std::function<bool(ControlHandle&, uint32_t&)> call;
        uint32_t code;
        Bytes input;
        std::size_t replySize;
    };
    uint8_t receive[65] = {};
    const uint8_t frame[64] = {};
    std::array<uint8_t, kReadRecordSize> record{};
    std::array<uint8_t, 18> macs{};
    const Case cases[] = {
        {"count", [](ControlHandle& h, uint32_t& e) { uint32_t v; return getDeviceCount(h, v, e); },
         IOCTL_GET_DEVICE_COUNT, {}, 4},
        {"version", [](ControlHandle& h, uint32_t& e) { uint16_t a, b; return getDriverVersion(h, a, b, e); },
         IOCTL_GET_DRIVER_VERSION, {}, 4},
        {"phy mode", [](ControlHandle& h, uint32_t& e) { uint32_t v; return getPhyMode(h, v, e); },
         IOCTL_GET_PHY_MODE, {}, 4},
        {"revision", [](ControlHandle& h, uint32_t& e) { uint32_t v; return getChipRevision(h, v, e); },
         IOCTL_GET_CHIP_REVISION, {}, 4},
        {"replug", [](ControlHandle& h, uint32_t& e) { uint32_t v; return getReplugCount(h, v, e); },
         IOCTL_GET_REPLUG_COUNT, {}, 4},
        {"addresses", [&](ControlHandle& h, uint32_t& e) { return getMacAddresses(h, macs, e); },
         IOCTL_GET_MAC_ADDRESSES, {}, 18},
        {"read phy", [](ControlHandle& h, uint32_t& e) { uint16_t v; return readPhyRegister(h, 2, 5, v, e); },
         IOCTL_READ_PHY_REGISTER, {2, 0, 5}, 2},
        {"write phy", [](ControlHandle& h, uint32_t& e) { return writePhyRegister(h, 1, 0, 0x8000, e); },
         IOCTL_WRITE_PHY_REGISTER, {0x00, 0x80, 1, 0, 0}, 0},
        {"read reg", [](ControlHandle& h, uint32_t& e) { uint8_t v; return readMacRegister(h, 1, 21, v, e); },
         IOCTL_READ_MAC_REGISTER, {21, 0, 1, 0, 1, 0, 0, 0}, 1},
        {"loopback", [](ControlHandle& h, uint32_t& e) { return setLoopbackMode(h, 3, 1, e); },
         IOCTL_SET_LOOPBACK_MODE, {3, 0, 1, 0, 1, 0}, 0},
        {"read eeprom", [&](ControlHandle& h, uint32_t& e) { return readEeprom(h, 2, record, e); },
         IOCTL_READ_EEPROM, {2, 0, 0, 0}, 122},
    };
    for (const auto& c : cases) {
        RecordingHandle h;
        uint32_t error = 0;
        EXPECT_TRUE(c.call(h, error)) << c.name;
        EXPECT_EQ(h.code, c.code) << c.name;
        EXPECT_EQ(h.input, c.input) << c.name;
        EXPECT_EQ(h.replySize, c.replySize) << c.name;
    }

    RecordingHandle h;
    uint32_t error = 0;
    ASSERT_TRUE(sendReceivePacket(h, 4, frame, receive, error));
    EXPECT_EQ(h.code, IOCTL_SEND_RECEIVE_PACKET);
    EXPECT_EQ(h.replySize, kSendReceiveReplySize);
    const auto sent = decodeSendReceive(h.input);
    ASSERT_TRUE(sent);
    EXPECT_EQ(sent->device, 4);
    EXPECT_EQ(sent->sendAddress, uint64_t(reinterpret_cast<std::uintptr_t>(frame)));
    EXPECT_EQ(sent->sendLength, 64u);
    EXPECT_EQ(sent->receiveAddress, uint64_t(reinterpret_cast<std::uintptr_t>(receive)));
    EXPECT_EQ(sent->receiveSize, 65u);
}

TEST(RequestCalls, repliesAreDecodedLittleEndian) {
    RecordingHandle h;
    uint32_t error = 0;
    h.answer = {0x00, 0x02, 0x00, 0x00};
    uint32_t word = 0;
    ASSERT_TRUE(getChipRevision(h, word, error));
    EXPECT_EQ(word, 0x200u);

    h.answer = {0x00, 0x00, 0x0e, 0x00};
    uint16_t w0 = 9, w1 = 9;
    ASSERT_TRUE(getDriverVersion(h, w0, w1, error));
    EXPECT_EQ(w0, 0);
    EXPECT_EQ(w1, 14);

    h.answer = {0x09, 0x78};
    uint16_t phy = 0;
    ASSERT_TRUE(readPhyRegister(h, 1, 1, phy, error));
    EXPECT_EQ(phy, 0x7809);

    h.answer = {0xfb};
    uint8_t reg = 0;
    ASSERT_TRUE(readMacRegister(h, 1, 14, reg, error));
    EXPECT_EQ(reg, 0xfb);

    h.answer = {0xaa, 0xbb, 0xcc, 0x00, 0x00, 0x09, 0x02, 0x00, 0x00, 0x00, 0x02, 0x00};
    ProgramRequest request;
    ProgramReply reply;
    ASSERT_TRUE(programEeprom(h, request, reply, error));
    EXPECT_EQ(h.input.size(), kProgramRequestSize);
    EXPECT_EQ(h.replySize, kProgramReplySize);
    EXPECT_EQ(reply.lastAddress, (MacAddress{0xaa, 0xbb, 0xcc, 0x00, 0x00, 0x09}));
    EXPECT_EQ(reply.count, 2u);
    EXPECT_EQ(reply.status, 2);
}

TEST(RequestCalls, aFailedRequestReportsTheSystemErrorAndLeavesTheOutputsAlone) {
    RecordingHandle h;
    h.succeed = false;
    h.failWith = 1167;
    uint32_t error = 0;
    uint32_t count = 77;
    EXPECT_FALSE(getDeviceCount(h, count, error));
    EXPECT_EQ(error, 1167u);
    EXPECT_EQ(count, 77u);

    uint16_t w0 = 5, w1 = 6;
    EXPECT_FALSE(getDriverVersion(h, w0, w1, error));
    EXPECT_EQ(w0, 5);
    EXPECT_EQ(w1, 6);

    ProgramReply reply{{1, 2, 3, 4, 5, 6}, 9, 9};
    EXPECT_FALSE(programEeprom(h, ProgramRequest{}, reply, error));
    EXPECT_EQ(reply.count, 9u);
    EXPECT_EQ(reply.status, 9);
}
