#include "count_answer.h"

#include <cmath>
#include <string_view>

namespace dissim::ui {
namespace {

std::string_view trimmed(std::string_view text) {
    constexpr std::string_view blanks = " \t\n\v\f\r";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

} // namespace

CheckedCount checkCount(const std::string& answer, char separator) {
    const std::string typed(trimmed(answer));
    if (typed.empty()) {
        return {std::nullopt, "no answer was given"};
    }
    const std::optional<double> value = parseTypedNumber(answer, separator);
    if (!value) {
        return {std::nullopt, typed + " is not a number"};
    }
    if (*value < 1.0) {
        return {std::nullopt, typed + " is below 1"};
    }
    if (std::floor(*value) != *value) {
        return {std::nullopt, typed + " is not a whole number"};
    }
    return {CountValue(answer, separator), {}};
}

} // namespace dissim::ui
