#include "spreadsheet_number.h"

#include "decimal_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

// The 15 significant digits come from std::to_chars where the standard library has the
// floating-point one, and from snprintf elsewhere (WebAssembly's C++ library): both round
// correctly. snprintf's decimal point is the C locale's, so its digits are read around it.
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
#define DISSIM_STD_TO_CHARS 1
#else
#define DISSIM_STD_TO_CHARS 0
#endif

namespace dissim {
namespace {

constexpr int kSignificantDigits = 15;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Whole numbers written as a spreadsheet shows them already: an optional "-", then "0" or up
// to 15 digits that do not start with 0 ("-0" is not one: it shows as "0").
bool isPlainWhole(std::string_view text) {
    std::size_t pos = !text.empty() && text[0] == '-' ? 1 : 0;
    const std::size_t digits = text.size() - pos;
    if (digits == 0 || digits > static_cast<std::size_t>(kSignificantDigits)) {
        return false;
    }
    if (text[pos] == '0') {
        return digits == 1 && pos == 0;
    }
    for (; pos < text.size(); ++pos) {
        if (!isDigit(text[pos])) {
            return false;
        }
    }
    return true;
}

// The value's first 15 significant digits, correctly rounded, and the decimal exponent of the
// first: 0.1 gives "100000000000000" and -1. The value is finite and not zero.
void significantDigits(double magnitude, char (&digits)[kSignificantDigits], int& exponent) {
    char buffer[40];
#if DISSIM_STD_TO_CHARS
    const auto result = std::to_chars(buffer, buffer + sizeof buffer - 1, magnitude,
                                      std::chars_format::scientific, kSignificantDigits - 1);
    *result.ptr = '\0';
#else
    std::snprintf(buffer, sizeof buffer, "%.*e", kSignificantDigits - 1, magnitude);
#endif
    // d.dddddddddddddde[+-]dd, whatever character the decimal point is.
    int count = 0;
    const char* p = buffer;
    for (; *p != '\0' && *p != 'e' && *p != 'E'; ++p) {
        if (isDigit(*p) && count < kSignificantDigits) {
            digits[count++] = *p;
        }
    }
    while (count < kSignificantDigits) {
        digits[count++] = '0';
    }
    exponent = *p != '\0' ? std::atoi(p + 1) : 0;
}

// Writes the value's text into out (room for 32 characters) and returns its length.
std::size_t writeNumber(double value, char* out) {
    if (value == 0.0) {
        out[0] = '0';
        return 1;
    }
    char digits[kSignificantDigits];
    int exponent = 0;
    significantDigits(std::fabs(value), digits, exponent);
    int count = kSignificantDigits;
    while (count > 1 && digits[count - 1] == '0') {
        --count;
    }
    char* p = out;
    if (value < 0) {
        *p++ = '-';
    }
    if (exponent >= -5 && exponent < kSignificantDigits) {
        if (exponent < 0) {
            // 0.000ddd
            *p++ = '0';
            *p++ = '.';
            for (int i = -1; i > exponent; --i) {
                *p++ = '0';
            }
            std::memcpy(p, digits, static_cast<std::size_t>(count));
            p += count;
        } else {
            // ddd[.ddd], with zeros up to the decimal point where the digits end before it
            for (int i = 0; i <= exponent || i < count; ++i) {
                if (i == exponent + 1) {
                    *p++ = '.';
                }
                *p++ = i < count ? digits[i] : '0';
            }
        }
    } else {
        // d[.ddd]E[+-]dd[d]
        *p++ = digits[0];
        if (count > 1) {
            *p++ = '.';
            std::memcpy(p, digits + 1, static_cast<std::size_t>(count - 1));
            p += count - 1;
        }
        *p++ = 'E';
        *p++ = exponent < 0 ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude >= 100) {
            *p++ = static_cast<char>('0' + magnitude / 100);
        }
        *p++ = static_cast<char>('0' + magnitude / 10 % 10);
        *p++ = static_cast<char>('0' + magnitude % 10);
    }
    return static_cast<std::size_t>(p - out);
}

} // namespace

std::string_view spreadsheetNumber(std::string_view stored, SpreadsheetNumberText& room) {
    if (isPlainWhole(stored)) {
        return stored;
    }
    // The forms workbooks store (and readDecimal reads): "-"? digits ("." digits)? exponent?;
    // a leading "+" is no part of them, nor are spaces.
    const std::optional<double> value = readDecimal(stored);
    if (!value) {
        return stored;
    }
    return std::string_view(room.text, writeNumber(*value, room.text));
}

std::string spreadsheetNumber(double value) {
    if (!std::isfinite(value)) {
        return {};
    }
    char text[32];
    return std::string(text, writeNumber(value, text));
}

} // namespace dissim
