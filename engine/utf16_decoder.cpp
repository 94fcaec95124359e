#include "utf16_decoder.h"

namespace dissim {

Utf16Decoder::Decoded Utf16Decoder::decode(const char* in, std::size_t inSize, char* out,
                                           std::size_t outSize, bool lastPiece) const {
    const auto unitAt = [&](std::size_t i) {
        const auto first = static_cast<unsigned char>(in[i]);
        const auto second = static_cast<unsigned char>(in[i + 1]);
        return bigEndian_ ? static_cast<char32_t>((first << 8) | second)
                          : static_cast<char32_t>((second << 8) | first);
    };
    Decoded d;
    while (outSize - d.written >= kLongestCharacter) {
        const std::size_t left = inSize - d.used;
        if (left < 2) {
            d.notText = left == 1 && lastPiece;
            return d;
        }
        char32_t c = unitAt(d.used);
        std::size_t units = 1;
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (left < 4) {
                d.notText = lastPiece;
                return d;
            }
            const char32_t low = unitAt(d.used + 2);
            if (low < 0xDC00 || low > 0xDFFF) {
                d.notText = true;
                return d;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            units = 2;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            d.notText = true;
            return d;
        }
        char* const o = out + d.written;
        if (c < 0x80) {
            o[0] = static_cast<char>(c);
            d.written += 1;
        } else if (c < 0x800) {
            o[0] = static_cast<char>(0xC0 | (c >> 6));
            o[1] = static_cast<char>(0x80 | (c & 0x3F));
            d.written += 2;
        } else if (c < 0x10000) {
            o[0] = static_cast<char>(0xE0 | (c >> 12));
            o[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            o[2] = static_cast<char>(0x80 | (c & 0x3F));
            d.written += 3;
        } else {
            o[0] = static_cast<char>(0xF0 | (c >> 18));
            o[1] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            o[2] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            o[3] = static_cast<char>(0x80 | (c & 0x3F));
            d.written += 4;
        }
        d.used += 2 * units;
    }
    return d;
}

} // namespace dissim
