// Fuzz target: the workbook readers, on whole archives and on their XML parts directly.
//
// The first byte chooses what the rest is:
//   0-3  a whole workbook (.xlsx or .ods archive): its kind, its unreadable sentence, its
//        sheets' names and its first sheets as tables;
//   4-7  an .xlsx worksheet part, read against two shared strings, fed in pieces of 1 to 64
//        bytes (the byte's low bits and the second byte choose);
//   8-9  an .xlsx shared strings part;
//   10+  an .ods content part: its names, and sheet 0 or 1.
// Whatever the bytes, each fails with a RunError or gives a table that holds together: every
// row no wider than the table, no cell past a sheet's last row and column, a non-empty sheet.

#include "ods_sheet_reader.h"
#include "run_error.h"
#include "sheet_builder.h"
#include "workbook_reader.h"
#include "xlsx_sheet_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void check(bool property) {
    if (!property) {
        std::abort();
    }
}

void checkTable(const dissim::Table& table) {
    check(table.rows() <= dissim::SheetBuilder::kMaxRows);
    check(table.columns() <= dissim::SheetBuilder::kMaxColumns);
    std::size_t cells = 0;
    for (std::size_t row = 0; row < table.rows(); ++row) {
        check(table.cellsIn(row) <= table.columns());
        cells += table.cellsIn(row);
    }
    check(cells == table.cellCount());
    // The last cell of the last row holds a value: nothing empty trails.
    if (table.rows() > 0) {
        const std::size_t last = table.rows() - 1;
        check(table.cellsIn(last) > 0 && !table.cell(last, table.cellsIn(last) - 1).empty());
    }
}

template <typename Reader>
void feedInPieces(Reader& reader, std::string_view xml, std::size_t piece) {
    for (std::size_t at = 0; at < xml.size(); at += piece) {
        reader.feed(xml.substr(at, piece));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t mode = data[0];
    const std::size_t piece = 1 + data[1] % 64;
    const std::string_view rest(reinterpret_cast<const char*>(data) + 2, size - 2);
    try {
        if (mode < 4) {
            (void)dissim::workbookKind(rest);
            (void)dissim::unreadableSpreadsheet(rest);
            const std::size_t sheets = dissim::workbookSheetNames(rest).size();
            check(sheets > 0);
            for (std::size_t sheet = 0; sheet < std::min<std::size_t>(sheets, 2); ++sheet) {
                try {
                    checkTable(dissim::readWorkbookSheet(rest, sheet));
                } catch (const dissim::RunError&) {
                }
            }
        } else if (mode < 8) {
            dissim::XlsxSharedStringsReader strings("the strings");
            strings.feed("<sst><si><t>zero</t></si><si><t>one</t></si></sst>");
            const dissim::XlsxSharedStrings shared = strings.finish();
            dissim::XlsxSheetReader reader("the part", "the sheet", shared);
            feedInPieces(reader, rest, piece);
            bool empty = true;
            const dissim::Table table = reader.finish(empty);
            check(empty == (table.rows() == 0));
            checkTable(table);
        } else if (mode < 10) {
            dissim::XlsxSharedStringsReader reader("the strings");
            feedInPieces(reader, rest, piece);
            const dissim::XlsxSharedStrings shared = reader.finish();
            for (std::size_t i = 0; i < shared.size(); ++i) {
                (void)shared.at(i);
            }
        } else {
            dissim::OdsContentReader reader("the part", mode % 2);
            feedInPieces(reader, rest, piece);
            reader.finish();
            bool empty = true;
            const dissim::Table table = reader.takeTable(empty);
            check(empty == (table.rows() == 0));
            checkTable(table);
        }
    } catch (const dissim::RunError&) {
    }
    return 0;
}
