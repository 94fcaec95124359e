#pragma once

#include "count_value.h"

#include <QString>

#include <optional>

namespace dissim::ui {

// The decimal separator of the user's locale, as the numeric test of a typed count takes it
// (a period when the locale's is not a single plain character).
char localeDecimalSeparator();

// A typed subject or stimulus count, kept as typed, when it is a whole number of at least 1
// ("007", " 12 ", "1e2"); nothing for empty text, letters, numbers below 1 and fractions. A
// fraction is refused because a run would round it for one use and truncate it for another.
std::optional<CountValue> acceptedCount(const QString& answer, char separator);

} // namespace dissim::ui
