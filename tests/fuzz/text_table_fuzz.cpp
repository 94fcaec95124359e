// Fuzz target: bytes read as the Import dialog reads a text table (data[0]: the separator given
// or none and the typed counts; data[1]: where a start is cut). A zip or OLE2 signature is a
// table; decodedTableText fails exactly where a line is not text, naming a row no later; the
// guess is ',', ';' or '\t'; readTextTable and readTableFile agree with a plain reading, and fail
// only at a quote never closed, naming its cell. (Importing tables: table_import_fuzz.cpp.)

#include "item_text.h"
#include "run_error.h"
#include "table.h"
#include "table_file.h"
#include "text_table_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void check(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "FINDING: %s\n", what);
        std::abort();
    }
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The position after the line end at t[i]: CR LF is one.
std::size_t afterLineEnd(std::string_view t, std::size_t i) {
    return i + (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n' ? 2 : 1);
}

// Whether every line is text; badLine counts the line ends before the first that is not.
bool linesAreText(std::string_view text, std::size_t& badLine) {
    badLine = 0;
    for (std::size_t begin = 0, i = 0; i <= text.size(); ++i) {
        if (i == text.size() || isLineEnd(text[i])) {
            if (!dissim::isText(text.substr(begin, i - begin))) {
                return false;
            }
            badLine += i < text.size() && !(text[i] == '\n' && i > 0 && text[i - 1] == '\r');
            begin = i + 1;
        }
    }
    return true;
}

// A plain reading of a text table; unclosed names the cell of a quote never closed.
struct PlainTable {
    std::vector<std::vector<std::string>> rows;
    bool unclosed = false;
    std::size_t row = 0;
    std::size_t column = 0;
};

PlainTable readPlainly(std::string_view t, char separator) {
    PlainTable table;
    for (std::size_t i = 0; i < t.size();) {
        std::vector<std::string>& row = table.rows.emplace_back();
        if (isLineEnd(t[i])) {
            i = afterLineEnd(t, i);
            continue;
        }
        for (;;) {
            std::string cell;
            if (const std::size_t q = t.find_first_not_of(' ', i); q < t.size() && t[q] == '"') {
                for (i = q + 1;;) {
                    if (i == t.size()) {
                        table.unclosed = true;
                        table.row = table.rows.size() - 1;
                        table.column = row.size();
                        return table;
                    }
                    if (t[i] == '"' && t.substr(i, 2) != "\"\"") {
                        ++i;
                        break;
                    }
                    cell += t[i];
                    i += t[i] == '"' ? 2 : 1;
                }
            }
            while (i < t.size() && t[i] != separator && !isLineEnd(t[i])) {
                cell += t[i++];
            }
            row.push_back(cell);
            if (i == t.size()) {
                break;
            }
            if (t[i] == separator) {
                ++i;
                continue;
            }
            i = afterLineEnd(t, i);
            break;
        }
    }
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    constexpr std::int64_t kCounts[8] = {0, 1, 2, 3, 4, 5, 7, 12};
    const char given = "\0,;\t"[data[0] & 0x03];
    const std::int64_t subjects = kCounts[(data[0] >> 2) & 0x07];
    const std::int64_t stimuli = kCounts[(data[0] >> 5) & 0x07];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);

    const dissim::InputKind kind = dissim::inputKind(bytes, true, subjects, stimuli);
    (void)dissim::inputKind(bytes.substr(0, bytes.size() * data[1] / 255), false, subjects,
                            stimuli);
    if (bytes.substr(0, 4) == "PK\x03\x04" || bytes.substr(0, 4) == "\xD0\xCF\x11\xE0") {
        check(kind == dissim::InputKind::Table, "a spreadsheet's signature is not a table");
    }

    const bool utf16 = bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
    const std::string_view plain = bytes.substr(bytes.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0);
    std::string text;
    std::size_t badLine = 0;
    try {
        text = dissim::decodedTableText(bytes);
        check(utf16 ? linesAreText(text, badLine) : text == plain && linesAreText(plain, badLine),
              "decodedTableText gave what is not the text, or not text");
    } catch (const dissim::RunError& error) {
        const std::string what = error.what();
        check(what.starts_with("row ") &&
                  what.find(" holds bytes that are not text") != std::string::npos,
              "the failure of bytes that are not text does not name a row");
        if (!utf16) {
            const std::size_t row = std::strtoull(what.c_str() + 4, nullptr, 10);
            check(!linesAreText(plain, badLine) && row >= 1 && row <= badLine + 1,
                  "decodedTableText failed on text, or named a row past the bad bytes");
        }
        try {
            (void)dissim::readTableFile(bytes, {}); // a workbook, or a failure as RunError
        } catch (const dissim::RunError&) {
        }
        return 0;
    }

    const char guessed = dissim::guessSeparator(text);
    check(guessed == ',' || guessed == ';' || guessed == '\t', "guessed an odd separator");
    const char separator = given != 0 ? given : guessed;
    const PlainTable expected = readPlainly(text, separator);
    dissim::Table table;
    try {
        table = dissim::readTextTable(text, separator);
    } catch (const dissim::RunError& error) {
        const std::string place = "cell " + dissim::cellName(expected.row, expected.column) + " (" +
                                  dissim::rowName(expected.row) + ") starts with a quote";
        check(expected.unclosed && std::string_view(error.what()).starts_with(place),
              "the reader failed where a plain reading does not, or named another cell");
        return 0;
    }
    std::vector<std::vector<std::string>> rows(table.rows());
    std::size_t widest = 0;
    for (std::size_t r = 0; r < table.rows(); ++r) {
        for (std::size_t c = 0; c < table.cellsIn(r); ++c) {
            rows[r].emplace_back(table.cell(r, c));
        }
        widest = std::max(widest, rows[r].size());
    }
    check(!expected.unclosed && rows == expected.rows && table.columns() == widest,
          "the reader read another table than a plain reading, or its columns are not the widest");

    try {
        const dissim::TableFile file = dissim::readTableFile(bytes, {given});
        check(file.format != dissim::TableFormat::Text ||
                  (file.separator == separator && file.table.cellCount() == table.cellCount()),
              "readTableFile read another table");
    } catch (const dissim::RunError&) {
        // A workbook's failure: its own fuzzing is the workbook reader's.
    }
    return 0;
}
