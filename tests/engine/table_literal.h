#pragma once

// Tables and failures in tests: a table written as text (rows end at line feeds, cells at '|';
// a final line feed starts no row), a table's cells as rows, a failure's text, UTF-16 bytes.

#include "run_error.h"
#include "table.h"
#include "table_import.h"

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

using Rows = std::vector<std::vector<std::string>>;

inline dissim::Table tableOf(std::string_view text) {
    dissim::Table table;
    if (text.empty()) {
        return table;
    }
    std::size_t start = 0;
    if (text.back() == '\n') {
        text.remove_suffix(1);
    }
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '|' || text[i] == '\n') {
            table.addCell(text.substr(start, i - start));
            start = i + 1;
            if (i == text.size() || text[i] == '\n') {
                table.endRow();
            }
        }
    }
    return table;
}

inline Rows rowsOf(const dissim::Table& table) {
    Rows rows(table.rows());
    for (std::size_t r = 0; r < table.rows(); ++r) {
        for (std::size_t c = 0; c < table.cellsIn(r); ++c) {
            rows[r].emplace_back(table.cell(r, c));
        }
    }
    return rows;
}

// The RunError's text, or "(no error)".
template <typename Call> std::string failureOf(Call call) {
    try {
        call();
    } catch (const dissim::RunError& error) {
        return error.what();
    }
    return "(no error)";
}

// Text as a UTF-16 file holds it: the byte-order mark, then each unit in that byte order.
inline std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// Import settings: a wide layout, a long one (columns of subject, stimulus, group) and group
// rows (a subject column and 0/1 columns), the last two with names in the first row.
inline dissim::ImportSettings wide(dissim::TableLayout layout, bool firstRow, bool firstColumn,
                                   dissim::MissingData missing = dissim::MissingData::Stop) {
    dissim::ImportSettings settings;
    settings.layout = layout;
    settings.namesInFirstRow = firstRow;
    settings.namesInFirstColumn = firstColumn;
    settings.missing = missing;
    return settings;
}

inline dissim::ImportSettings longForm(int subject, int stimulus, int group,
                                       dissim::MissingData missing = dissim::MissingData::Stop) {
    dissim::ImportSettings settings = wide(dissim::TableLayout::Long, true, false, missing);
    settings.subjectColumn = subject;
    settings.stimulusColumn = stimulus;
    settings.groupColumn = group;
    return settings;
}

inline dissim::ImportSettings groupRows(int subject, std::vector<int> stimuli,
                                        dissim::MissingData missing = dissim::MissingData::Stop) {
    dissim::ImportSettings settings = wide(dissim::TableLayout::GroupRows, true, false, missing);
    settings.subjectColumn = subject;
    settings.stimulusColumns = std::move(stimuli);
    return settings;
}

} // namespace testsupport
