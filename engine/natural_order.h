#pragma once

#include <string_view>

namespace dissim {

// Names in the order a person expects them: runs of digits compare as numbers ("card 2" before
// "card 10"), everything else byte by byte; names that only differ in leading zeros ("07",
// "7") fall back to plain byte order, so that distinct names never compare equal.
bool naturalLess(std::string_view a, std::string_view b);

} // namespace dissim
