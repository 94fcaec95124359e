#include "item_text.h"

#include <cstdint>

namespace dissim {
namespace {

constexpr std::size_t kShownItemBytes = 40;

// The length of the UTF-8 sequence at text[i] and its character, or 0 where the bytes there
// are no UTF-8 (a stray continuation byte, a cut or overlong sequence, a surrogate, a value
// beyond U+10FFFF).
std::size_t utf8Sequence(std::string_view text, std::size_t i, char32_t& character) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead < 0x80) {
        character = lead;
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - i < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(k) & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (byte(k) & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    character = value;
    return length;
}

bool isControl(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

// Characters that show as nothing or as a plain space, so that a quoted item would read as
// something it is not ("2" for a byte-order mark before 2, "1 2" for a no-break space).
bool isInvisible(char32_t c) {
    return c == 0xA0 || c == 0xAD || c == 0x180E || (c >= 0x2000 && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202F) || (c >= 0x205F && c <= 0x206F) || c == 0x3000 ||
           c == 0xFEFF || (c >= 0xFFF9 && c <= 0xFFFB);
}

const char kHex[] = "0123456789ABCDEF";

void appendByteEscape(std::string& text, unsigned char byte) {
    text += "\\x";
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0F];
}

} // namespace

bool isText(std::string_view item) {
    for (std::size_t i = 0; i < item.size();) {
        char32_t c = 0;
        const std::size_t length = utf8Sequence(item, i, c);
        if (length == 0 || (isControl(c) && c != '\t')) {
            return false;
        }
        i += length;
    }
    return true;
}

std::string escapedBytes(std::string_view bytes) {
    std::string text;
    for (char c : bytes) {
        appendByteEscape(text, static_cast<unsigned char>(c));
    }
    return text;
}

std::string quotedItem(std::string_view item) {
    std::string text = "\"";
    std::size_t i = 0;
    while (i < item.size() && i < kShownItemBytes) {
        char32_t c = 0;
        const std::size_t length = utf8Sequence(item, i, c);
        if (length == 0 || (length == 1 && isControl(c))) {
            appendByteEscape(text, static_cast<unsigned char>(item[i]));
            ++i;
            continue;
        }
        if (isControl(c) || isInvisible(c)) {
            text += "\\u";
            for (int shift = 12; shift >= 0; shift -= 4) {
                text += kHex[(c >> shift) & 0x0F];
            }
        } else if (c == '\\') {
            text += "\\\\";
        } else {
            text.append(item.substr(i, length));
        }
        i += length;
    }
    if (i < item.size()) {
        text += "...";
    }
    return text + "\"";
}

std::string inQuotes(std::string_view text) {
    // Appended, not joined with +: GCC 12 at -O3 takes "\"" + std::string(text) for an
    // overlapping copy (-Wrestrict).
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    quoted.append(text);
    quoted += '"';
    return quoted;
}

} // namespace dissim
