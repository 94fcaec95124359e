#include "sheet_builder.h"

#include "run_error.h"

namespace dissim {

SheetBuilder::SheetBuilder(Table& table, std::string sheet)
    : table_(table), sheet_(std::move(sheet)) {}

void SheetBuilder::cell(std::uint64_t row, std::uint64_t column, std::string_view text) {
    if (row >= kMaxRows || column >= kMaxColumns) {
        if (text.empty()) {
            return;
        }
        throw RunError(sheet_ + " has a value past the last " +
                       (row >= kMaxRows ? "row" : "column") + " a spreadsheet has");
    }
    if (placed_ && (row < lastRow_ || (row == lastRow_ && column <= lastColumn_))) {
        throw RunError(sheet_ + " is damaged: its cell " + cellName(row, column) + " comes after " +
                       cellName(lastRow_, lastColumn_));
    }
    placed_ = true;
    lastRow_ = row;
    lastColumn_ = column;
    if (text.empty()) {
        return;
    }
    if (row != row_) {
        if (row_ != kNoRow) {
            table_.endRow();
        }
        // The empty rows between.
        while (table_.rows() < row) {
            table_.endRow();
        }
        row_ = row;
        columns_ = 0;
    }
    const std::uint64_t added = column - columns_ + 1;
    if (added > kMaxCells - cells_) {
        throw RunError(sheet_ + " holds more than " + std::to_string(kMaxCells) +
                       " cells, far more than a study's table");
    }
    cells_ += added;
    for (; columns_ < column; ++columns_) {
        table_.addCell({});
    }
    table_.addCell(text);
    ++columns_;
}

void SheetBuilder::finish() {
    if (row_ != kNoRow) {
        table_.endRow();
        row_ = kNoRow;
    }
}

} // namespace dissim
