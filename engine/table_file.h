#pragma once

#include "table.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dissim {

class InputFile;

// A file read as a table: a text table or a workbook's sheet. Every failure throws RunError.

enum class TableFormat { Text, Xlsx, Ods };

struct TableFileOptions {
    char separator = 0;    // a text table's: ',', ';' or '\t'; 0: guessed from the text
    std::size_t sheet = 0; // a workbook's sheet, from 0
    bool operator==(const TableFileOptions&) const = default;
};

struct TableFile {
    TableFormat format = TableFormat::Text;
    Table table;
    char separator = ',';            // a text table's, as used (guessed or given)
    std::vector<std::string> sheets; // a workbook's sheets by name, in order
    std::size_t sheet = 0;           // the sheet read
};

// The largest file read as a table: past it a file is no table a study fills, and reading it
// whole would take the memory the run needs.
inline constexpr std::uint64_t kMaxTableFileBytes = std::uint64_t{1} << 30;

// The whole file, failing past limit bytes with a message that says how large it is.
std::string readWholeFile(InputFile& file, std::uint64_t limit = kMaxTableFileBytes);

// The bytes as a table, by their content: a workbook (.xlsx, .ods) or a text table.
TableFile readTableFile(std::string_view bytes, const TableFileOptions& options);

// How the input step takes a file, from its first bytes and the counts typed at step 1 (0 where
// none were typed):
//   Plain: sort data as the run reads it today (numbers only, not laid out one line per
//   stimulus for those counts), and anything that is no table at all (the run tells what);
//   Table: a workbook or a spreadsheet of a kind that cannot be read, or text whose items
//   include names or labels, or whose lines each hold as many codes as there are subjects
//   where the subjects and the stimuli differ in number.
enum class InputKind { Plain, Table };
inline constexpr std::size_t kInputLookBytes = std::size_t{1} << 20;
InputKind inputKind(std::string_view start, bool wholeFile, std::int64_t subjects,
                    std::int64_t stimuli);

} // namespace dissim
