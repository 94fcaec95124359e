#pragma once

#include "table.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dissim {

// Reads an OpenDocument spreadsheet's content (content.xml), whose XML comes in pieces: the
// names of its sheets (table:table), and one sheet's cells as the spreadsheet shows them.
// Repeated rows and cells (table:number-rows-repeated, table:number-columns-repeated) are
// expanded only as far as values go; merged-over cells (table:covered-table-cell) are empty.
class OdsContentReader {
public:
    static constexpr std::size_t kNoSheet = ~std::size_t{0};

    // what names the part in messages; sheet is the sheet to read (from 0), or kNoSheet for
    // the names alone. Reading stops after that sheet.
    OdsContentReader(std::string what, std::size_t sheet);
    ~OdsContentReader();
    void feed(std::string_view piece);
    // Whether all that was asked for has been read.
    bool stopped() const;
    void finish();

    // The sheets' names, in order (all of them, or up to the one read).
    const std::vector<std::string>& sheetNames() const;
    // The sheet read (its name set), and whether any cell had a value; fails if there was no
    // such sheet.
    Table takeTable(bool& empty);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace dissim
