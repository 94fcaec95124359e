// Fuzz target: arbitrary bytes as a text table, read as the Import dialog reads a file.
//
// The first byte chooses the separator (guessed, or one of the three given) and the counts
// typed at step 1; the rest is the file. Whatever the bytes, nothing may crash, trip a
// sanitizer or throw anything but RunError, and:
//  - inputKind decides for the whole file and for a start of it cut anywhere (the second byte
//    says where, and chooses the layout below); a zip or OLE2 signature is a table;
//  - decodedTableText succeeds exactly where every line of the text (after a UTF-8 byte-order
//    mark) is text as item_text.h defines it, and a UTF-16 file decodes to such lines; its
//    failure names a row no later than the line of the bad bytes;
//  - guessSeparator gives ',', ';' or '\t';
//  - readTextTable gives the same rows and cells as a plain reading of the text character by
//    character, and fails where that reading finds a quote never closed, naming the same cell;
//  - the table goes through guessImportSettings and importStudy (under the guessed settings and
//    under a layout the second byte chooses): a usable study holds a code per subject and stimulus, numbered from 1
//    per subject in the order the groups first appear;
//  - readTableFile reads the bytes as the dialog does, or fails with RunError.

#include "item_text.h"
#include "run_error.h"
#include "table.h"
#include "table_file.h"
#include "table_import.h"
#include "text_table_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr char kSeparators[4] = {0, ',', ';', '\t'};
constexpr std::int64_t kCounts[8] = {0, 1, 2, 3, 4, 5, 7, 12};

[[noreturn]] void finding(const char* what) {
    std::fprintf(stderr, "FINDING: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) {
        finding(what);
    }
}

bool startsUtf16(std::string_view bytes) {
    return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Whether every line of the text is text (item_text.h), and the line of the first that is not.
bool linesAreText(std::string_view text, std::size_t& badLine) {
    std::size_t begin = 0;
    badLine = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || isLineEnd(text[i])) {
            if (!dissim::isText(text.substr(begin, i - begin))) {
                return false;
            }
            if (i < text.size()) {
                // CR LF is one line end, as the reader counts rows.
                if (!(text[i] == '\n' && i > 0 && text[i - 1] == '\r')) {
                    ++badLine;
                }
            }
            begin = i + 1;
        }
    }
    return true;
}

// A plain reading of a text table, a character at a time.
struct PlainTable {
    std::vector<std::vector<std::string>> rows;
    bool unclosed = false;
    std::size_t row = 0; // where the quote never closed opened
    std::size_t column = 0;
};

PlainTable readPlainly(std::string_view t, char separator) {
    PlainTable table;
    std::size_t i = 0;
    const auto lineEnd = [&] { i += t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n' ? 2 : 1; };
    while (i < t.size()) {
        std::vector<std::string> row;
        if (isLineEnd(t[i])) {
            lineEnd();
            table.rows.push_back(row);
            continue;
        }
        for (;;) {
            std::string cell;
            std::size_t q = i;
            while (q < t.size() && t[q] == ' ') {
                ++q;
            }
            if (q < t.size() && t[q] == '"') {
                i = q + 1;
                for (;;) {
                    if (i == t.size()) {
                        table.unclosed = true;
                        table.row = table.rows.size();
                        table.column = row.size();
                        return table;
                    }
                    if (t[i] == '"') {
                        if (i + 1 < t.size() && t[i + 1] == '"') {
                            cell += '"';
                            i += 2;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    cell += t[i++];
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
            lineEnd();
            break;
        }
        table.rows.push_back(row);
    }
    return table;
}

void checkStudy(const dissim::Table& table, const dissim::ImportSettings& settings) {
    const dissim::ImportedStudy study = dissim::importStudy(table, settings);
    (void)dissim::foundText(study);
    (void)dissim::readingText(settings, study);
    (void)dissim::stimulusListText(study);
    check(study.usable == study.refusal.empty(), "usable does not match the refusal");
    if (!study.usable) {
        return;
    }
    const std::size_t n = study.stimuli.size();
    check(study.codes.size() == study.subjects.size() * n,
          "a usable study does not hold a code per subject and stimulus");
    for (std::size_t s = 0; s < study.subjects.size(); ++s) {
        std::int16_t highest = 0;
        for (std::size_t j = 0; j < n; ++j) {
            const std::int16_t code = study.codes[s * n + j];
            check(code >= 1 && code <= highest + 1,
                  "a subject's codes are not numbered from 1 in the order they appear");
            highest = std::max(highest, code);
        }
    }
}

void checkImport(const dissim::Table& table, std::int64_t subjects, std::int64_t stimuli,
                 std::uint8_t layoutChoice) {
    checkStudy(table, dissim::guessImportSettings(table, subjects, stimuli));
    // And one layout, chosen, with names in the first row and column, each column in its place.
    dissim::ImportSettings settings;
    settings.layout = static_cast<dissim::TableLayout>(layoutChoice & 0x03);
    settings.namesInFirstRow = true;
    settings.namesInFirstColumn = settings.layout != dissim::TableLayout::Long;
    settings.subjectColumn = 0;
    settings.stimulusColumn = 1;
    settings.groupColumn = 2;
    for (std::size_t c = 1; c < std::min<std::size_t>(table.columns(), 64); ++c) {
        settings.stimulusColumns.push_back(static_cast<int>(c));
    }
    settings.missing = static_cast<dissim::MissingData>((layoutChoice >> 2) % 3);
    checkStudy(table, settings);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::uint8_t choice = data[0];
    const std::uint8_t cutAt = data[1];
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
    const char given = kSeparators[choice & 0x03];
    const std::int64_t subjects = kCounts[(choice >> 2) & 0x07];
    const std::int64_t stimuli = kCounts[(choice >> 5) & 0x07];

    // The input step's decision, for the whole file and for a start of it.
    const dissim::InputKind kind = dissim::inputKind(bytes, true, subjects, stimuli);
    (void)dissim::inputKind(bytes.substr(0, bytes.size() * cutAt / 255), false, subjects, stimuli);
    if (bytes.substr(0, 4) == "PK\x03\x04" || bytes.substr(0, 4) == "\xD0\xCF\x11\xE0") {
        check(kind == dissim::InputKind::Table, "a spreadsheet's signature is not a table");
    }

    // The text.
    std::string text;
    bool decoded = true;
    std::string failure;
    try {
        text = dissim::decodedTableText(bytes);
    } catch (const dissim::RunError& error) {
        decoded = false;
        failure = error.what();
    }
    std::size_t badLine = 0;
    if (!startsUtf16(bytes)) {
        const std::string_view plain =
            bytes.substr(0, 3) == "\xEF\xBB\xBF" ? bytes.substr(3) : bytes;
        check(decoded == linesAreText(plain, badLine),
              "decodedTableText and item_text.h differ on what is text");
        if (decoded) {
            check(text == plain, "decodedTableText changed UTF-8 text");
        }
    } else if (decoded) {
        check(linesAreText(text, badLine), "a UTF-16 file decoded to what is not text");
    }
    if (!decoded) {
        check(failure.rfind("row ", 0) == 0 &&
                  failure.find(" holds bytes that are not text") != std::string::npos,
              "the failure of bytes that are not text does not name a row");
        if (!startsUtf16(bytes)) {
            const std::size_t row = std::strtoull(failure.c_str() + 4, nullptr, 10);
            check(row >= 1 && row <= badLine + 1, "the row named lies past the bad bytes");
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
        check(expected.unclosed, "the reader failed where a plain reading does not");
        const std::string place = "cell " + dissim::cellName(expected.row, expected.column) +
                                  " (" + dissim::rowName(expected.row) + ")";
        check(std::string_view(error.what()).rfind(place + " starts with a quote", 0) == 0,
              "the reader names another cell than a plain reading");
        return 0;
    }
    check(!expected.unclosed, "the reader read a table where a quote is never closed");
    check(table.rows() == expected.rows.size(), "the reader read another number of rows");
    std::size_t widest = 0;
    for (std::size_t r = 0; r < table.rows(); ++r) {
        const std::vector<std::string>& row = expected.rows[r];
        widest = std::max(widest, row.size());
        check(table.cellsIn(r) == row.size(), "the reader read another number of cells");
        for (std::size_t c = 0; c < row.size(); ++c) {
            check(table.cell(r, c) == row[c], "the reader read another cell");
        }
    }
    check(table.columns() == widest, "the table's columns are not its widest row");

    checkImport(table, subjects, stimuli, cutAt);

    dissim::TableFileOptions options;
    options.separator = given;
    try {
        const dissim::TableFile file = dissim::readTableFile(bytes, options);
        if (file.format == dissim::TableFormat::Text) {
            check(file.separator == separator, "readTableFile used another separator");
            check(file.table.cellCount() == table.cellCount(), "readTableFile read another table");
        }
    } catch (const dissim::RunError&) {
        // A workbook's failure: its own fuzzing is the workbook reader's.
    }
    return 0;
}
