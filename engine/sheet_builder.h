#pragma once

#include "table.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dissim {

// Lays a sheet's cells into a table as the spreadsheet places them: cells come by row and
// column, in order, and the gaps between them are empty cells and rows; empty cells and rows
// after the last value are no part of the table, however many a file declares (nothing is
// allocated for them). Sheets end where spreadsheets do (kMaxRows, kMaxColumns); a table of
// more than kMaxCells cells fails, as a cell out of order does. Failures throw RunError naming
// the sheet.
class SheetBuilder {
public:
    static constexpr std::uint64_t kMaxRows = std::uint64_t{1} << 20;    // 1,048,576
    static constexpr std::uint64_t kMaxColumns = std::uint64_t{1} << 14; // 16,384: XFD
    static constexpr std::uint64_t kMaxCells = std::uint64_t{1} << 26;   // 67,108,864

    // sheet names it in messages ("the sheet \"Data\"").
    SheetBuilder(Table& table, std::string sheet);

    // A cell's text at row and column (from 0); empty text is no value, and only moves on.
    // Cells come in order: rows down, and along each row.
    void cell(std::uint64_t row, std::uint64_t column, std::string_view text);
    // Ends the table.
    void finish();
    // Whether any cell had a value.
    bool empty() const { return cells_ == 0; }

private:
    static constexpr std::uint64_t kNoRow = ~std::uint64_t{0};

    Table& table_;
    std::string sheet_;
    std::uint64_t row_ = kNoRow; // the row being built
    std::uint64_t columns_ = 0;  // its cells so far
    std::uint64_t lastRow_ = 0;  // the last place given, values or not
    std::uint64_t lastColumn_ = 0;
    bool placed_ = false;
    std::uint64_t cells_ = 0;
};

} // namespace dissim
