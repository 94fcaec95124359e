#include "table_file.h"

#include "files.h"
#include "layout_note.h"
#include "run_error.h"
#include "sort_data_reader.h"
#include "text_table_reader.h"
#include "workbook_reader.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace dissim {
namespace {

// "1 GB" for 1 << 30; a limit as a person reads it.
std::string sizeText(std::uint64_t bytes) {
    struct Unit {
        unsigned shift;
        const char* name;
    };
    for (const Unit unit : {Unit{30, " GB"}, Unit{20, " MB"}, Unit{10, " kB"}}) {
        const std::uint64_t size = std::uint64_t{1} << unit.shift;
        if (bytes >= size && bytes % size == 0) {
            return std::to_string(bytes >> unit.shift) + unit.name;
        }
    }
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

bool startsWith(std::string_view bytes, std::string_view start) {
    return bytes.substr(0, start.size()) == start;
}

// A zip archive (an .xlsx, an .ods, a .numbers file, or any other) or an OLE2 compound file (an
// old binary .xls, a password-protected workbook): spreadsheets, whatever else the file holds.
bool isSpreadsheetContainer(std::string_view bytes) {
    using namespace std::string_view_literals;
    return startsWith(bytes, "PK\x03\x04"sv) || startsWith(bytes, "PK\x05\x06"sv) ||
           startsWith(bytes, "PK\x07\x08"sv) || startsWith(bytes, "\xD0\xCF\x11\xE0"sv);
}

// The start of a file without the bytes of a character cut by its end.
std::string_view wholeCharacters(std::string_view start) {
    const auto byte = [&start](std::size_t i) { return static_cast<unsigned char>(start[i]); };
    if (start.size() >= 2 &&
        ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        // UTF-16: whole units, and no high surrogate without the low one after it.
        std::size_t size = start.size() - (start.size() - 2) % 2;
        if (size >= 4) {
            const unsigned char high = byte(0) == 0xFE ? byte(size - 2) : byte(size - 1);
            if (high >= 0xD8 && high <= 0xDB) {
                size -= 2;
            }
        }
        return start.substr(0, size);
    }
    // UTF-8: a lead byte among the last three whose sequence the end cuts.
    for (std::size_t back = 1; back <= 3 && back <= start.size(); ++back) {
        const unsigned char b = byte(start.size() - back);
        if ((b & 0xC0) == 0x80) {
            continue; // a continuation byte: look further back
        }
        const std::size_t length = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
        return length > back ? start.substr(0, start.size() - back) : start;
    }
    return start;
}

bool endsItem(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r' || c == '\n';
}

// Whether an item of the sort data file is a number as the run reads one: whole and within
// range or not (the run says what is wrong with those), but a number.
bool isNumber(std::string_view item) {
    const ParsedCode parsed = parseGroupCode(item);
    return parsed.error == nullptr || std::strcmp(parsed.error, "is not a number") != 0;
}

} // namespace

std::string readWholeFile(InputFile& file, std::uint64_t limit) {
    const std::size_t cap = static_cast<std::size_t>(
        std::min<std::uint64_t>(limit, std::numeric_limits<std::size_t>::max() - 1));
    std::string bytes;
    std::size_t size = 0;
    bytes.resize(std::min<std::size_t>(cap, 64 * 1024));
    for (;;) {
        if (size == bytes.size()) {
            if (size == cap) {
                // The limit reached: one byte more makes the file too large.
                char more = 0;
                if (file.read(&more, 1) == 0) {
                    break;
                }
                throw RunError("the file is larger than " + sizeText(limit) +
                               ": too large for a table of sort data");
            }
            bytes.resize(size > cap / 2 ? cap : std::max<std::size_t>(2 * size, 64 * 1024));
        }
        const std::size_t got = file.read(bytes.data() + size, bytes.size() - size);
        if (got == 0) {
            break;
        }
        size += got;
    }
    bytes.resize(size);
    return bytes;
}

TableFile readTableFile(std::string_view bytes, const TableFileOptions& options) {
    TableFile file;
    const WorkbookKind kind = workbookKind(bytes);
    if (kind != WorkbookKind::NotAWorkbook) {
        file.format = kind == WorkbookKind::Xlsx ? TableFormat::Xlsx : TableFormat::Ods;
        file.sheets = workbookSheetNames(bytes);
        if (options.sheet >= file.sheets.size()) {
            throw RunError("the workbook has " + std::to_string(file.sheets.size()) +
                           (file.sheets.size() == 1 ? " sheet" : " sheets") +
                           ": there is no sheet " + std::to_string(options.sheet + 1));
        }
        file.sheet = options.sheet;
        file.table = readWorkbookSheet(bytes, options.sheet);
        return file;
    }
    const std::string unreadable = unreadableSpreadsheet(bytes);
    if (!unreadable.empty()) {
        throw RunError(unreadable);
    }
    const std::string text = decodedTableText(bytes);
    file.format = TableFormat::Text;
    file.separator = options.separator != 0 ? options.separator : guessSeparator(text);
    file.table = readTextTable(text, file.separator);
    return file;
}

InputKind inputKind(std::string_view start, bool wholeFile, std::int64_t subjects,
                    std::int64_t stimuli) {
    if (start.empty()) {
        return InputKind::Plain;
    }
    if (isSpreadsheetContainer(start)) {
        return InputKind::Table;
    }
    std::string text;
    try {
        text = decodedTableText(wholeFile ? start : wholeCharacters(start));
    } catch (const RunError&) {
        return InputKind::Plain; // not text: the run says so
    }

    // The items as the sort data reader takes them (see sort_data_reader.h), and how many codes
    // each line holds. Where the start is not the whole file, an item or a line that reaches
    // its end may go on beyond it and is not looked at.
    const std::size_t n = text.size();
    std::size_t p = 0;
    bool commaAllowed = false;
    bool lastWasCr = false;
    std::int64_t lineCodes = 0;
    std::int64_t lines = 0;
    std::int64_t codesPerLine = 0;
    bool even = true;
    const auto endLine = [&] {
        if (lineCodes > 0) {
            if (lines == 0) {
                codesPerLine = lineCodes;
            } else if (lineCodes != codesPerLine) {
                even = false;
            }
            ++lines;
        }
        lineCodes = 0;
    };
    while (p < n) {
        const char c = text[p];
        if (c == '\r' || c == '\n') {
            if (c == '\r' || !lastWasCr) {
                endLine();
            }
            lastWasCr = c == '\r';
            commaAllowed = false;
            ++p;
            continue;
        }
        lastWasCr = false;
        if (c == ' ' || c == '\t') {
            ++p;
            continue;
        }
        if (c == ',' || c == ';') {
            if (!commaAllowed) {
                return InputKind::Table; // an empty cell
            }
            commaAllowed = false;
            ++p;
            continue;
        }
        std::string_view item;
        if (c == '"') {
            std::size_t q = p + 1;
            while (q < n && text[q] != '"' && text[q] != '\r' && text[q] != '\n') {
                ++q;
            }
            if (q == n && !wholeFile) {
                break;
            }
            if (q == n || text[q] != '"') {
                return InputKind::Table; // a quote never closed, or a cell of several lines
            }
            item = std::string_view(text).substr(p + 1, q - p - 1);
            p = q + 1;
            if (p < n && !endsItem(text[p])) {
                return InputKind::Table; // text after the quote
            }
        } else {
            const std::size_t begin = p;
            while (p < n && !endsItem(text[p])) {
                ++p;
            }
            item = std::string_view(text).substr(begin, p - begin);
        }
        if (p == n && !wholeFile) {
            break;
        }
        if (!isNumber(item)) {
            return InputKind::Table; // a name, a label, a header
        }
        ++lineCodes;
        commaAllowed = true;
    }
    if (wholeFile) {
        endLine();
    }
    // One line per stimulus, one code per subject on each: what the layout note would say after
    // a run, the table's import reads right.
    if (layoutCanBeTold(subjects, stimuli) && lines > 0 && even && codesPerLine == subjects &&
        (wholeFile ? lines == stimuli : lines <= stimuli)) {
        return InputKind::Table;
    }
    return InputKind::Plain;
}

} // namespace dissim
