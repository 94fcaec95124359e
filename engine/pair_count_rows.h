#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dissim {

// Lowers columns 1 to columns of one count row by one where codes[c] equals code: one subject's
// update of one row of the count matrix.
using LowerRow = void (*)(std::int16_t* countRow, const std::int16_t* codes, std::int16_t code,
                          std::size_t columns);

struct RowForm {
    const char* name;
    LowerRow lower;
};

// Every form of the row update this processor can run: the plain loop first, the widest
// vectors last.
std::vector<RowForm> rowForms();

} // namespace dissim
