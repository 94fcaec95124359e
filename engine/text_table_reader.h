#pragma once

#include "table.h"

#include <string>
#include <string_view>

namespace dissim {

// Text tables as spreadsheets and statistics programs write them: cells separated by a comma,
// a semicolon or a tab, rows ended by CR LF, LF or CR; a cell in double quotes may hold the
// separator, a doubled quote and line breaks. Every failure throws RunError, with one line that
// names the row (and the cell) as a spreadsheet would.

// The file's text as UTF-8: a UTF-8 byte-order mark dropped, UTF-16 (LE or BE, with its mark)
// decoded. Fails for bytes that are not text (a binary file, a NUL byte, bytes that are no
// UTF-8, a control character other than tab, CR and LF: text as item_text.h's isText has it),
// naming the row they stand in and showing the first of them as escapes ("row 3 holds bytes
// that are not text: \x00\x01...").
std::string decodedTableText(std::string_view bytes);

// The separator the text's first rows (at most 50, in the first megabyte) use most
// consistently: of ',', ';' and '\t', the one for which the most rows hold the same number of
// cells, more than one; a tab, then a semicolon, where two are as consistent (a comma may be a
// decimal comma); ',' when none gives a sign (a table of one column). Quoted cells are looked
// past.
char guessSeparator(std::string_view text);

// The rows of the text, split at the separator: ',', ';' or '\t' (any other fails).
//  - A final line end adds no row; an empty line is a row of no cells; rows may differ in
//    length. Spaces around a cell are kept (the import trims them).
//  - A quote is special only as a cell's first character other than spaces (spaces before it
//    are dropped, as LibreOffice does): the cell then runs to the quote that closes it, a
//    doubled quote standing for one; separators and line breaks inside are the cell's text,
//    CR LF kept as it is. Elsewhere a quote is text (5" disk).
//  - Text after the closing quote, up to the separator or line end, is taken into the cell as
//    it stands ("ab"c reads as abc), leniently rather than failing the table.
//  - A quote that is never closed, a row of more than kMaxColumns cells or a cell of more than
//    kMaxCellBytes fails, naming the cell and its row. A cell fails as soon as it passes the
//    limit: a text of one 100 MB line fails at once, without taking room for its text first.
inline constexpr std::size_t kMaxColumns = 100000;
inline constexpr std::size_t kMaxCellBytes = 1 << 20;
Table readTextTable(std::string_view text, char separator);

} // namespace dissim
