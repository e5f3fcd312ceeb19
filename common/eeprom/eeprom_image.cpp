// eeprom_image.cpp: the write-image builder and the placing of the start address.
#include "common/eeprom/eeprom_image.h"

#include "common/adapter/hex_digits.h"

namespace lt::eeprom {
namespace {

using adapter::hexDigitValue;

// The fixed texts the builder reads, as the image has always been made from them.
constexpr std::string_view kMarkerText = "8207";
constexpr std::string_view kFixedWordText = "0100";
constexpr std::string_view kPlaceholderText = "021b4e7a0100";

constexpr std::size_t kRecordSize = 9;
constexpr std::size_t kLastRecordAddressAt = 126;

// Writes data bytes into the image with the record address bytes between them.
class ImageWriter {
public:
    explicit ImageWriter(std::span<uint8_t, kImageSize> image) : image_(image) { put(0); }

    void emit(uint8_t byte) {
        put(byte);
        if (++inRecord_ == 8) {
            inRecord_ = 0;
            wordAddress_ += 4;
            put(uint8_t(wordAddress_));
        }
    }
    void emitWord(uint16_t word) {
        emit(uint8_t(word));
        emit(uint8_t(word >> 8));
    }

private:
    // Never past the image, whatever the inputs: the string cut keeps the data at 106 bytes.
    void put(uint8_t byte) {
        if (at_ < image_.size()) image_[at_] = byte;
        ++at_;
    }

    std::span<uint8_t, kImageSize> image_;
    std::size_t at_ = 0;
    int inRecord_ = 0;
    unsigned wordAddress_ = 0;
};

// A character as a word: its byte taken as signed 8-bit and widened, so 0x80-0xFF give
// 0xFF80-0xFFFF.
uint16_t characterWord(char c) { return uint16_t(int16_t(int8_t(static_cast<unsigned char>(c)))); }

void emitPlaceholder(ImageWriter& out) {
    for (std::size_t i = 0; i < kPlaceholderText.size(); i += 2) out.emit(uint8_t(hexWord(kPlaceholderText.substr(i, 2))));
}

}  // namespace

uint16_t hexWord(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i + 2 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        hexDigitValue(text[i + 2]) >= 0)
        i += 2;
    uint16_t value = 0;
    for (; i < text.size() && hexDigitValue(text[i]) >= 0; ++i) value = uint16_t((value << 4) | hexDigitValue(text[i]));
    return negative ? uint16_t(-value) : value;
}

void padDescriptorString(std::string& text) {
    if (text.size() > kStringCharacters) text.resize(kStringCharacters);
    text.append(kStringCharacters - text.size(), ' ');
}

bool buildImage(DescriptorSettings& settings, EepromWriteImage& image) {
    padDescriptorString(settings.manufacturer);
    padDescriptorString(settings.product);

    ImageWriter out(image.bytes);
    out.emitWord(hexWord(kMarkerText));
    emitPlaceholder(out);
    out.emitWord(hexWord(settings.vid));
    out.emitWord(hexWord(settings.pid));
    out.emitWord(hexWord(kFixedWordText));
    out.emitWord(hexWord(settings.languageId));
    for (char c : settings.manufacturer) out.emitWord(characterWord(c));
    for (char c : settings.product) out.emitWord(characterWord(c));
    emitPlaceholder(out);
    return true;
}

void placeMacAddress(std::span<uint8_t, kImageSize> image, const MacAddress& m) {
    for (std::size_t i = 0; i < 6; ++i) image[3 + i] = m[i];
    image[113] = m[1];
    image[114] = m[0];
    image[115] = m[3];
    image[116] = m[2];
    // offset 117 is the address byte of record 13
    image[118] = m[5];
    image[119] = m[4];
    image[kLastRecordAddressAt] = uint8_t(4 * (kImageSize / kRecordSize - 1));
}

bool macFromHexDigits(std::string_view text, MacAddress& address) {
    if (text.size() != 12) return false;
    MacAddress out{};
    for (std::size_t i = 0; i < 6; ++i) {
        const int hi = hexDigitValue(text[2 * i]), lo = hexDigitValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = uint8_t(hi * 16 + lo);
    }
    address = out;
    return true;
}

}  // namespace lt::eeprom
