#include "count_value.h"

#include "decimal_text.h"
#include "run_error.h"

#include <cmath>
#include <limits>

namespace dissim {
namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string describe(const std::string& text) {
    return "\"" + text + "\"";
}

} // namespace

std::optional<double> parseTypedNumber(std::string_view text, char localeSeparator) {
    text = trimmed(text);
    // Rewritten into the one form readDecimal reads: no plus sign, a period.
    std::string canonical;
    canonical.reserve(text.size());
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        if (text[pos] == '-') {
            canonical += '-';
        }
        ++pos;
    }
    std::size_t digits = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        canonical += text[pos++];
        ++digits;
    }
    if (pos < text.size() && (text[pos] == '.' || text[pos] == localeSeparator)) {
        canonical += '.';
        ++pos;
        while (pos < text.size() && isDigit(text[pos])) {
            canonical += text[pos++];
            ++digits;
        }
    }
    if (digits == 0) {
        return std::nullopt;
    }
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        canonical += 'e';
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
            canonical += text[pos++];
        }
        std::size_t exponentDigits = 0;
        while (pos < text.size() && isDigit(text[pos])) {
            canonical += text[pos++];
            ++exponentDigits;
        }
        if (exponentDigits == 0) {
            return std::nullopt;
        }
    }
    if (pos != text.size()) {
        return std::nullopt;
    }
    // Out of range (1e400, 1e-400) counts as no number: no count is typed like that.
    return readDecimal(canonical);
}

bool isNumericText(std::string_view text, char localeSeparator) {
    return parseTypedNumber(text, localeSeparator).has_value();
}

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

double CountValue::exact() const {
    if (text_.empty()) {
        return 0.0;
    }
    const auto value = parseTypedNumber(text_, separator_);
    if (!value) {
        throw RunError("the count " + describe(text_) + " is not a number");
    }
    return *value;
}

std::int32_t CountValue::toInt32() const {
    const double rounded = roundHalfEven(exact());
    if (rounded < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        rounded > static_cast<double>(std::numeric_limits<std::int32_t>::max())) {
        throw RunError("the count " + describe(text_) + " is beyond the range of a 32-bit integer");
    }
    return static_cast<std::int32_t>(rounded);
}

std::int16_t CountValue::toInt16() const {
    const double rounded = roundHalfEven(exact());
    if (rounded > 32767.0) {
        throw RunError("the count " + describe(text_) + " is beyond 32767, the largest count " +
                       "the count matrix can hold");
    }
    if (rounded < -32768.0) {
        throw RunError("the count " + describe(text_) + " is below -32768, the smallest value " +
                       "the count matrix can hold");
    }
    return static_cast<std::int16_t>(rounded);
}

std::int64_t CountValue::loopCount() const {
    const double value = exact();
    if (!(value >= 1.0)) {
        return 0;
    }
    // Beyond this no loop could ever finish; the sizing or the 16-bit conversion of the same
    // count fails long before a loop of this length would run.
    constexpr double cap = 9.0e18;
    return static_cast<std::int64_t>(std::floor(std::fmin(value, cap)));
}

std::string CountValue::displayText() const {
    const double value = exact();
    if (value == 0.0) {
        return " 0"; // also for -0
    }
    // Plain digits for every value a count can sensibly have (the shortest general form would
    // write 100000 as "1e+05"); the exponent form beyond, where plain digits would run long.
    const double magnitude = std::fabs(value);
    const bool plain = magnitude >= 1e-4 && magnitude < 1e15;
    const std::string digits =
        writeDecimal(magnitude, plain ? DecimalForm::fixed : DecimalForm::general);
    if (digits.empty()) {
        throw RunError("the count \"" + text_ + "\" cannot be shown as a number");
    }
    std::string text(1, value < 0.0 ? '-' : ' ');
    text += digits;
    return text;
}

} // namespace dissim
