#pragma once

#include "table.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace dissim {

// Spreadsheet workbooks read as tables: Office Open XML (.xlsx) and OpenDocument (.ods), both
// zip archives of XML parts. Recognised by content (the archive's signature and its manifest),
// never by a file's name. The archive and the XML are read by maintained libraries (zlib's
// minizip, expat); the limits on what they may inflate and nest keep a hostile file a failure
// with a clear message. Every failure throws RunError.

enum class WorkbookKind {
    NotAWorkbook, // not a zip archive, or one that holds neither kind of workbook
    Xlsx,
    Ods,
};

// What the bytes are, from the archive's entries; never throws.
WorkbookKind workbookKind(std::string_view bytes);

// For a spreadsheet the program cannot read (an old binary .xls, a password-protected workbook,
// a .numbers file, an archive that is no workbook of the two kinds): one sentence that says
// what it is and what to do ("... save it as .xlsx or .ods"). Empty for anything else, a
// workbook that can be read or a file that is no spreadsheet at all. Never throws.
std::string unreadableSpreadsheet(std::string_view bytes);

// The names of the workbook's sheets, in the workbook's order.
std::vector<std::string> workbookSheetNames(std::string_view bytes);

// One sheet (counted from 0) as a table, its cells as the spreadsheet shows them: shared,
// inline and rich-text strings; numbers as the General format shows them, in at most 15
// significant digits (0.1+0.2 as "0.3", spreadsheet_number.h), percentages and currencies
// included; booleans as TRUE/FALSE; errors as their text ("#DIV/0!"); a formula's cached value;
// dates in .ods as the text shown, in .xlsx as the serial number (no number format is applied
// there); empty cells empty, and merged cells empty but the first. The table ends
// with the last row and column that hold a value. The table's name is the sheet's. A sheet
// with no values (an empty sheet, a chart sheet) fails with a message that says so.
Table readWorkbookSheet(std::string_view bytes, std::size_t sheet);

} // namespace dissim
