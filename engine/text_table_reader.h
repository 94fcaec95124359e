#pragma once

#include "table.h"

#include <string>
#include <string_view>

namespace dissim {

// Text tables as spreadsheets and statistics programs write them: cells separated by a comma,
// a semicolon or a tab, rows ended by CR LF, LF or CR; a cell in double quotes may hold the
// separator, a doubled quote and line breaks. Every failure throws RunError.

// The file's text as UTF-8: a UTF-8 byte-order mark dropped, UTF-16 (LE or BE, with its mark)
// decoded. Fails for bytes that are not text (a binary file, a NUL byte, bytes that are no
// UTF-8), naming where.
std::string decodedTableText(std::string_view bytes);

// The separator the text's first rows use most consistently: ',', ';' or '\t'; ',' when they
// give no sign (a table of one column). Quoted cells are looked past.
char guessSeparator(std::string_view text);

// The rows of the text, split at the separator. A quote that is never closed, a row of more
// than kMaxColumns cells or a cell of more than kMaxCellBytes fails, named by its row.
inline constexpr std::size_t kMaxColumns = 100000;
inline constexpr std::size_t kMaxCellBytes = 1 << 20;
Table readTextTable(std::string_view text, char separator);

} // namespace dissim
