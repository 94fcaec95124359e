#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dissim {

// Parses a number as a person types it: surrounding spaces, an optional sign, digits with
// an optional decimal separator (a period, or the given locale separator), and an optional
// exponent. Returns nothing for empty text, any other text, or a value beyond a double.
std::optional<double> parseTypedNumber(std::string_view text, char localeSeparator = '.');

// True when parseTypedNumber accepts the whole text.
bool isNumericText(std::string_view text, char localeSeparator = '.');

// A subject or stimulus count as the user typed it. The text is kept unchanged; it is
// converted only where a run uses it:
//  - exact():   the numeric value loops compare against (empty text is 0);
//  - toInt32(): array sizing, rounded to the nearest integer, a half to the even neighbour;
//  - toInt16(): the starting value of the count matrix, rounded the same way.
// A conversion of text that is not a number, or of a value outside the target range, throws
// RunError.
class CountValue {
public:
    CountValue() = default;
    explicit CountValue(std::string text, char localeSeparator = '.')
        : text_(std::move(text)), separator_(localeSeparator) {}

    const std::string& text() const { return text_; }
    bool isEmpty() const { return text_.empty(); }

    double exact() const;
    std::int32_t toInt32() const;
    std::int16_t toInt16() const;

    // How many times a loop from 1 to this count runs: the whole part of a value of at
    // least 1, else 0.
    std::int64_t loopCount() const;

    // The numeric value as a decimal number with a period and no digit grouping, preceded
    // by its sign position: a space for zero and positive values, "-" for negative ones.
    // "007" gives " 7", "2.5" gives " 2.5".
    std::string displayText() const;

private:
    std::string text_;
    char separator_ = '.';
};

// Rounds to the nearest integer, a half to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

} // namespace dissim
