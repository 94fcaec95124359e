#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dissim {

// A table as researchers keep their sort data: rows of cells of text (UTF-8), read from a text
// table or a workbook's sheet. Rows may differ in length (a ragged table); a cell past a row's
// end reads as empty. The cells are kept in one block of text with one offset each, so that a
// million-row table costs little more than its text.
class Table {
public:
    // The most text a table holds: its offsets are 32 bits.
    static constexpr std::size_t kMaxTextBytes = std::size_t{0xFFFFFFFF};

    // Appends a cell to the row being built. Throws RunError past kMaxTextBytes.
    void addCell(std::string_view text);
    // Ends the row being built (a row of no cells is a row too).
    void endRow();
    // Room for about this many cells and bytes of text, to spare the growing.
    void reserve(std::size_t cells, std::size_t textBytes);

    std::size_t rows() const { return rowEnds_.size(); }
    // The cells of one row, empty ones at its end included.
    std::size_t cellsIn(std::size_t row) const;
    // The cells of the widest row.
    std::size_t columns() const { return columns_; }
    std::size_t cellCount() const { return cellEnds_.size(); }
    // The cell's text; empty past the row's end or the table's.
    std::string_view cell(std::size_t row, std::size_t column) const;

    // What a sheet is called, where the table is one (empty for a text table).
    std::string name;

private:
    std::size_t rowStart(std::size_t row) const { return row == 0 ? 0 : rowEnds_[row - 1]; }

    std::string text_;
    std::vector<std::uint32_t> cellEnds_; // each cell's end in text_
    std::vector<std::uint32_t> rowEnds_;  // each row's end in cellEnds_
    std::size_t rowBegin_ = 0;            // the first cell of the row being built
    std::size_t columns_ = 0;
};

// The name a spreadsheet gives a column, counted from 0: "A", "Z", "AA".
std::string columnName(std::size_t column);
// The name a spreadsheet gives a cell, both counted from 0: "C7" for row 6, column 2.
std::string cellName(std::size_t row, std::size_t column);
// "row 35" for row 34.
std::string rowName(std::size_t row);

} // namespace dissim
