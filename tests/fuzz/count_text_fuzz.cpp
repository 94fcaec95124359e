// Fuzz target: arbitrary text as a typed count and as one item of the sort data file.
//
// The text goes through the numeric test, every conversion of a count, the display text and
// the group code parser. Nothing may crash, trip a sanitizer or throw anything but RunError,
// and the answers must agree with each other:
//  - isNumericText is parseTypedNumber's answer, and a count converts exactly when its text
//    is numeric (or empty);
//  - the rounded conversions are within one half of the exact value, and loopCount is the
//    whole part of a value of at least 1;
//  - the display text reads back as the same number;
//  - the portable decimal conversions (strtod, snprintf; WebAssembly's path) read the text as
//    the standard library does, and write the number it reads as the same text;
//  - a group code the parser accepts is the number the text reads as, and an item the parser
//    calls no number is no number to the numeric test either.

#include "count_value.h"
#include "decimal_text.h"
#include "run_error.h"
#include "sort_data_reader.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void finding(const char* what, std::string_view text) {
    std::fprintf(stderr, "FINDING: %s for \"%.*s\"\n", what, static_cast<int>(text.size()),
                 text.data());
    std::abort();
}

// What get() returns as a T, or nothing when it throws RunError.
template <typename T, typename Get> std::optional<T> unlessRunError(Get get) {
    try {
        return static_cast<T>(get());
    } catch (const dissim::RunError&) {
        return std::nullopt;
    }
}

void checkCount(const std::string& text, char separator) {
    const std::optional<double> parsed = dissim::parseTypedNumber(text, separator);
    if (dissim::isNumericText(text, separator) != parsed.has_value()) {
        finding("isNumericText disagrees with parseTypedNumber", text);
    }
    if (parsed && !std::isfinite(*parsed)) {
        finding("a number that is not finite", text);
    }
    const dissim::CountValue count(text, separator);
    const auto exact = unlessRunError<double>([&] { return count.exact(); });
    const bool convertible = text.empty() || parsed.has_value();
    if (exact.has_value() != convertible || (parsed && *exact != *parsed)) {
        finding("exact() disagrees with the numeric test", text);
    }
    const auto asInt32 = unlessRunError<double>([&] { return count.toInt32(); });
    const auto asInt16 = unlessRunError<double>([&] { return count.toInt16(); });
    const auto loops = unlessRunError<double>([&] { return count.loopCount(); });
    const auto shown = unlessRunError<std::string>([&] { return count.displayText(); });
    if (!exact) {
        if (asInt32 || asInt16 || loops || shown) {
            finding("a text that is no number converted", text);
        }
        return;
    }
    const double value = *exact;
    const bool fits32 = std::fabs(value) < 2147483647.0;
    // Rounding takes a half to the even neighbour: -32768.5 still fits, 32767.5 does not.
    const bool fits16 = value >= -32768.5 && value < 32767.5;
    if ((fits32 && !asInt32) || (asInt32 && std::fabs(*asInt32 - value) > 0.5)) {
        finding("toInt32 is wrong", text);
    }
    if (fits16 != asInt16.has_value() || (asInt16 && std::fabs(*asInt16 - value) > 0.5)) {
        finding("toInt16 is wrong", text);
    }
    const double expectedLoops = value >= 1.0 ? std::floor(std::fmin(value, 9.0e18)) : 0.0;
    if (!loops || *loops != expectedLoops) {
        finding("loopCount is wrong", text);
    }
    if (!shown || shown->empty() || (shown->front() != ' ' && shown->front() != '-')) {
        finding("displayText has no sign position", text);
    }
    const auto reread = dissim::parseTypedNumber(shown->substr(1));
    const double magnitude = std::fabs(value);
    if (!reread || *reread != magnitude || (shown->front() == '-') != (value < 0.0)) {
        finding("displayText does not read back as the same number", text);
    }
}

void checkDecimalText(std::string_view text) {
    const std::optional<double> standard = dissim::readDecimal(text);
    const std::optional<double> portable = dissim::readDecimalPortable(text);
    if (standard.has_value() != portable.has_value() || (standard && *standard != *portable) ||
        (standard && std::signbit(*standard) != std::signbit(*portable))) {
        finding("the portable reading disagrees with the standard one", text);
    }
    if (!standard) {
        return;
    }
    for (const auto form : {dissim::DecimalForm::fixed, dissim::DecimalForm::general}) {
        const double magnitude = std::fabs(*standard);
        if (dissim::writeDecimal(magnitude, form) !=
            dissim::writeDecimalPortable(magnitude, form)) {
            finding("the portable writing disagrees with the standard one", text);
        }
    }
}

void checkGroupCode(std::string_view item) {
    const dissim::ParsedCode code = dissim::parseGroupCode(item);
    if (code.error != nullptr && code.code != 0) {
        finding("a rejected group code carries a value", item);
    }
    // Items reach the parser without the separators that end them; the numeric test trims
    // spaces, so only items without them are compared.
    if (item.find_first_of(" \t") != std::string_view::npos) {
        return;
    }
    const auto number = dissim::parseTypedNumber(item);
    if (code.error == nullptr) {
        if (!number || *number != code.code) {
            finding("an accepted group code is not the number its text reads as", item);
        }
    } else if (std::string_view(code.error) == "is not a number") {
        if (number) {
            finding("an item called no number is a number", item);
        }
    } else if (number && *number == std::round(*number) && *number >= -32768.0 &&
               *number <= 32767.0 && std::string_view(code.error) != "is not a whole number") {
        // A value within a hair of a whole number can round to one as a double; the exact
        // parser may then call it not whole, but never out of range.
        finding("a code in range was rejected as out of range", item);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    checkCount(text, '.');
    checkCount(text, ',');
    checkDecimalText(text);
    checkGroupCode(text);
    return 0;
}
