#pragma once

#include "count_value.h"

#include <optional>
#include <string>

namespace dissim::ui {

// A typed subject or stimulus count, checked: either the count, kept as typed, or why it was
// refused ("2.5 is not a whole number", "0 is below 1", "abc is not a number", "no answer
// was given").
struct CheckedCount {
    std::optional<CountValue> count;
    std::string refusal; // empty when the count was accepted
};

// Accepts a whole number of at least 1 ("007", " 12 ", "1e2"); refuses empty text, letters,
// numbers below 1 and fractions. A fraction is refused because a run would round it for one
// use and truncate it for another. separator is the decimal separator of the user's locale.
CheckedCount checkCount(const std::string& answer, char separator);

} // namespace dissim::ui
