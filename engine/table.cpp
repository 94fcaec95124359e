#include "table.h"

#include "run_error.h"

namespace dissim {

void Table::addCell(std::string_view text) {
    if (text.size() > kMaxTextBytes - text_.size()) {
        throw RunError("the table holds more than 4 GB of text");
    }
    if (cellEnds_.size() >= kMaxTextBytes) {
        throw RunError("the table holds more than 4 billion cells");
    }
    text_.append(text);
    cellEnds_.push_back(static_cast<std::uint32_t>(text_.size()));
}

void Table::endRow() {
    const std::size_t cells = cellEnds_.size() - rowBegin_;
    if (cells > columns_) {
        columns_ = cells;
    }
    rowEnds_.push_back(static_cast<std::uint32_t>(cellEnds_.size()));
    rowBegin_ = cellEnds_.size();
}

void Table::reserve(std::size_t cells, std::size_t textBytes) {
    cellEnds_.reserve(cells);
    text_.reserve(textBytes);
}

std::size_t Table::cellsIn(std::size_t row) const {
    return row < rows() ? rowEnds_[row] - rowStart(row) : 0;
}

std::string_view Table::cell(std::size_t row, std::size_t column) const {
    if (row >= rows() || column >= cellsIn(row)) {
        return {};
    }
    const std::size_t index = rowStart(row) + column;
    const std::size_t begin = index == 0 ? 0 : cellEnds_[index - 1];
    return std::string_view(text_).substr(begin, cellEnds_[index] - begin);
}

std::string columnName(std::size_t column) {
    std::string name;
    // Bijective base 26: A..Z, AA..ZZ, AAA...
    std::size_t n = column + 1;
    while (n > 0) {
        const std::size_t digit = (n - 1) % 26;
        name.insert(name.begin(), static_cast<char>('A' + digit));
        n = (n - 1) / 26;
    }
    return name;
}

std::string cellName(std::size_t row, std::size_t column) {
    return columnName(column) + std::to_string(row + 1);
}

std::string rowName(std::size_t row) {
    return "row " + std::to_string(row + 1);
}

} // namespace dissim
