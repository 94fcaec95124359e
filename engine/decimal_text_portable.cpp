// The decimal conversions through the C library, for standard libraries without the
// floating-point std::from_chars and std::to_chars. strtod and snprintf are exact (correctly
// rounded) in glibc, musl and the Microsoft C runtime; what they do not share with the standard
// conversions is the C locale's decimal point, which is swapped in and out here, and the choice
// of the shortest digits, which is made by reading each candidate back.

#include "decimal_text.h"

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <string>

namespace dissim {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The decimal point of the C locale in force ("." in the "C" locale, "," in many others).
std::string localeDecimalPoint() {
    const std::lconv* conventions = std::localeconv();
    if (conventions == nullptr || conventions->decimal_point == nullptr ||
        conventions->decimal_point[0] == '\0') {
        return ".";
    }
    return conventions->decimal_point;
}

// True when text is "-"? digits ("." digits)? ([eE] [+-]? digits)? with a digit in the mantissa;
// nonZero tells whether one of the mantissa's digits is not zero.
bool isCanonical(std::string_view text, bool& nonZero) {
    std::size_t pos = 0;
    if (pos < text.size() && text[pos] == '-') {
        ++pos;
    }
    std::size_t digits = 0;
    nonZero = false;
    bool period = false;
    for (; pos < text.size(); ++pos) {
        if (isDigit(text[pos])) {
            ++digits;
            nonZero = nonZero || text[pos] != '0';
        } else if (text[pos] == '.' && !period) {
            period = true;
        } else {
            break;
        }
    }
    if (digits == 0) {
        return false;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            ++pos;
        }
        const std::size_t exponentStart = pos;
        while (pos < text.size() && isDigit(text[pos])) {
            ++pos;
        }
        if (pos == exponentStart) {
            return false;
        }
    }
    return pos == text.size();
}

// A number's significant digits (no trailing zeros) and the decimal exponent of the first.
struct Digits {
    std::string digits;
    int exponent = 0;
};

std::optional<double> readDigits(const Digits& d) {
    std::string text = d.digits;
    text += 'e';
    text += std::to_string(d.exponent - static_cast<int>(d.digits.size()) + 1);
    return readDecimalPortable(text);
}

// The value correctly rounded to precision + 1 significant digits, as "%.*e" writes it.
Digits roundedDigits(double magnitude, int precision) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*e", precision, magnitude);
    Digits d;
    const char* c = buffer;
    for (; *c != '\0' && *c != 'e'; ++c) {
        if (isDigit(*c)) { // the locale's decimal point is skipped, whatever it is
            d.digits += *c;
        }
    }
    d.exponent = *c == 'e' ? std::atoi(c + 1) : 0;
    return d;
}

// The neighbour one unit in the last digit up or down, keeping the number of digits.
Digits neighbour(Digits d, int step) {
    std::size_t i = d.digits.size();
    while (i-- > 0) {
        char& digit = d.digits[i];
        if (step > 0 && digit == '9') {
            digit = '0';
        } else if (step < 0 && digit == '0') {
            digit = '9';
        } else {
            digit = static_cast<char>(digit + step);
            break;
        }
    }
    if (d.digits.front() == '0') {
        if (step > 0) { // 9.99 -> 10.0: one more place before the point
            d.digits.front() = '1';
            ++d.exponent;
        } else { // 1.00 -> 0.99: the next number below with as many digits is 9.99 a place down
            d.digits.assign(d.digits.size(), '9');
            --d.exponent;
        }
    }
    return d;
}

void dropTrailingZeros(Digits& d) {
    while (d.digits.size() > 1 && d.digits.back() == '0') {
        d.digits.pop_back();
    }
}

// The fewest significant digits that read back as magnitude, the closest to it among them.
// The correctly rounded candidate is the closest; where it does not read back (the interval
// that reads back as a power of two is narrower below than above), its neighbour may.
Digits shortestDigits(double magnitude) {
    for (int precision = 0; precision < 17; ++precision) {
        const Digits rounded = roundedDigits(magnitude, precision);
        if (readDigits(rounded) == magnitude) {
            return rounded;
        }
        for (const int step : {1, -1}) {
            const Digits next = neighbour(rounded, step);
            if (readDigits(next) == magnitude) {
                return next;
            }
        }
    }
    return roundedDigits(magnitude, 16); // 17 digits always read back
}

std::string exponentForm(const Digits& d) {
    std::string text(1, d.digits.front());
    if (d.digits.size() > 1) {
        text += '.';
        text.append(d.digits, 1);
    }
    char exponent[16];
    std::snprintf(exponent, sizeof exponent, "e%c%02d", d.exponent < 0 ? '-' : '+',
                  std::abs(d.exponent));
    return text + exponent;
}

std::string plainForm(const Digits& d) {
    if (d.exponent < 0) {
        return "0." + std::string(static_cast<std::size_t>(-d.exponent - 1), '0') + d.digits;
    }
    const auto whole = static_cast<std::size_t>(d.exponent) + 1;
    if (d.digits.size() <= whole) {
        return d.digits + std::string(whole - d.digits.size(), '0');
    }
    return d.digits.substr(0, whole) + '.' + d.digits.substr(whole);
}

} // namespace

std::optional<double> readDecimalPortable(std::string_view text) {
    bool nonZero = false;
    if (!isCanonical(text, nonZero)) {
        return std::nullopt;
    }
    // strtod reads the locale's decimal point; nothing else in the text depends on the locale.
    const std::string point = localeDecimalPoint();
    std::string local;
    local.reserve(text.size() + point.size());
    for (const char c : text) {
        if (c == '.') {
            local += point;
        } else {
            local += c;
        }
    }
    char* end = nullptr;
    const double value = std::strtod(local.c_str(), &end);
    if (end != local.c_str() + local.size() || !std::isfinite(value) || (value == 0.0 && nonZero)) {
        return std::nullopt;
    }
    return value;
}

std::string writeDecimalPortable(double magnitude, DecimalForm form) {
    if (!std::isfinite(magnitude) || magnitude < 0.0) {
        return {};
    }
    if (magnitude == 0.0) {
        return "0";
    }
    if (form == DecimalForm::fixed && magnitude >= 9007199254740992.0) {
        // From 2^53 on every double is a whole number, and its plain form needs every digit of
        // it; the exact ones are the closest.
        char buffer[400];
        std::snprintf(buffer, sizeof buffer, "%.0f", magnitude);
        return buffer;
    }
    Digits d = shortestDigits(magnitude);
    dropTrailingZeros(d);
    const bool plain = form == DecimalForm::fixed || (d.exponent >= -4 && d.exponent < 6);
    return plain ? plainForm(d) : exponentForm(d);
}

} // namespace dissim
