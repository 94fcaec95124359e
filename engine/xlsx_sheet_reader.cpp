#include "xlsx_sheet_reader.h"

#include "item_text.h"
#include "run_error.h"
#include "sheet_builder.h"
#include "spreadsheet_number.h"
#include "xml_reader.h"

#include <cstdint>
#include <limits>

namespace dissim {
namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// The UTF-16 code unit of an escape "_xHHHH_" at text[at], or -1.
long escapeAt(std::string_view text, std::size_t at) {
    if (text.size() - at < 7 || text[at] != '_' || text[at + 1] != 'x' || text[at + 6] != '_') {
        return -1;
    }
    long unit = 0;
    for (std::size_t i = at + 2; i < at + 6; ++i) {
        const int digit = hexValue(text[i]);
        if (digit < 0) {
            return -1;
        }
        unit = unit * 16 + digit;
    }
    return unit;
}

void appendUtf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// A whole number of digits only, below limit; false for anything else.
bool parseWhole(std::string_view text, std::uint64_t limit, std::uint64_t& value) {
    if (text.empty()) {
        return false;
    }
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value >= limit) {
            return false;
        }
    }
    return true;
}

enum class CellType { Number, Shared, Inline, FormulaText, Boolean, Other };

CellType cellType(std::string_view t) {
    if (t.empty() || t == "n") {
        return CellType::Number;
    }
    if (t == "s") {
        return CellType::Shared;
    }
    if (t == "inlineStr") {
        return CellType::Inline;
    }
    if (t == "str") {
        return CellType::FormulaText;
    }
    if (t == "b") {
        return CellType::Boolean;
    }
    return CellType::Other; // "e": an error's text ("#DIV/0!"); "d": a date as ISO 8601 text
}

} // namespace

std::string_view decodeXlsxEscapes(std::string_view text, std::string& scratch) {
    if (text.find("_x") == std::string_view::npos) {
        return text;
    }
    scratch.clear();
    std::size_t at = 0;
    while (at < text.size()) {
        long unit = escapeAt(text, at);
        if (unit < 0) {
            scratch.push_back(text[at++]);
            continue;
        }
        at += 7;
        unsigned long code = static_cast<unsigned long>(unit);
        if (code >= 0xD800 && code < 0xDC00) {
            const long low = at < text.size() ? escapeAt(text, at) : -1;
            if (low >= 0xDC00 && low < 0xE000) {
                code =
                    0x10000 + ((code - 0xD800) << 10) + (static_cast<unsigned long>(low) - 0xDC00);
                at += 7;
            } else {
                code = 0xFFFD;
            }
        } else if (code >= 0xDC00 && code < 0xE000) {
            code = 0xFFFD;
        }
        appendUtf8(scratch, code);
    }
    return scratch;
}

bool parseCellReference(std::string_view reference, std::size_t& row, std::size_t& column) {
    std::size_t at = 0;
    std::uint64_t letters = 0;
    for (; at < reference.size() && reference[at] >= 'A' && reference[at] <= 'Z'; ++at) {
        letters = letters * 26 + static_cast<std::uint64_t>(reference[at] - 'A' + 1);
        if (letters > SheetBuilder::kMaxColumns * 64) {
            return false;
        }
    }
    std::uint64_t number = 0;
    if (at == 0 || !parseWhole(reference.substr(at), SheetBuilder::kMaxRows * 64, number) ||
        number == 0) {
        return false;
    }
    row = static_cast<std::size_t>(number - 1);
    column = static_cast<std::size_t>(letters - 1);
    return true;
}

std::string_view XlsxSharedStrings::at(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(text_).substr(begin, ends_[index] - begin);
}

void XlsxSharedStrings::begin() {
    begin_ = text_.size();
}

void XlsxSharedStrings::end() {
    const std::string_view added = std::string_view(text_).substr(begin_);
    if (added.find("_x") != std::string_view::npos) {
        std::string scratch;
        const std::string decoded(decodeXlsxEscapes(added, scratch));
        text_.resize(begin_);
        text_.append(decoded);
    }
    ends_.push_back(text_.size());
}

// <sst><si><t>text</t></si><si><r><t>rich</t></r><r><t> text</t></r><rPh><t>hint</t></rPh></si>
struct XlsxSharedStringsReader::Impl : XmlHandler {
    explicit Impl(std::string what) : reader(std::move(what), *this) {}

    void startElement(const XmlName& name, const XmlAttributes&) override {
        ++depth;
        if (siDepth == 0) {
            if (name.local == "si") {
                siDepth = depth;
                strings.begin();
            }
        } else if (phoneticDepth == 0) {
            if (name.local == "rPh") {
                phoneticDepth = depth;
            } else if (name.local == "t") {
                textDepth = depth;
            }
        }
    }
    void endElement(const XmlName&) override {
        if (depth == textDepth) {
            textDepth = 0;
        } else if (depth == phoneticDepth) {
            phoneticDepth = 0;
        } else if (depth == siDepth) {
            siDepth = 0;
            strings.end();
        }
        --depth;
    }
    void text(std::string_view piece) override {
        if (textDepth != 0) {
            strings.append(piece);
        }
    }

    XlsxSharedStrings strings;
    XmlReader reader;
    std::size_t depth = 0;
    std::size_t siDepth = 0;
    std::size_t phoneticDepth = 0;
    std::size_t textDepth = 0;
};

XlsxSharedStringsReader::XlsxSharedStringsReader(std::string what)
    : impl_(std::make_unique<Impl>(std::move(what))) {}
XlsxSharedStringsReader::~XlsxSharedStringsReader() = default;

void XlsxSharedStringsReader::feed(std::string_view piece) {
    impl_->reader.feed(piece);
}

XlsxSharedStrings XlsxSharedStringsReader::finish() {
    impl_->reader.finish();
    return std::move(impl_->strings);
}

// <worksheet><sheetData><row r="1"><c r="A1" t="s"><v>0</v></c>
//   <c r="B1" t="inlineStr"><is><t>text</t></is></c><c r="C1" t="str"><f>..</f><v>x</v></c>
// </row></sheetData><mergeCells>...</mergeCells></worksheet>
struct XlsxSheetReader::Impl : XmlHandler {
    Impl(std::string what, std::string sheetName, const XlsxSharedStrings& strings)
        : strings(strings), sheet(std::move(sheetName)), builder(table, sheet),
          reader(std::move(what), *this) {}

    void startElement(const XmlName& name, const XmlAttributes& attributes) override {
        ++depth;
        if (sheetDataDepth == 0) {
            if (name.local == "sheetData") {
                sheetDataDepth = depth;
            }
        } else if (cellDepth == 0) {
            if (name.local == "row") {
                startRow(attributes.get("r"));
            } else if (name.local == "c") {
                startCell(attributes.get("r"), attributes.get("t"));
            }
        } else if (phoneticDepth != 0) {
            // a phonetic hint's text is no part of the cell's
        } else if (depth == cellDepth + 1 && name.local == "v") {
            captureDepth = depth;
            capture = &value;
            hasValue = true;
        } else if (depth == cellDepth + 1 && name.local == "is") {
            inlineDepth = depth;
            hasInline = true;
        } else if (inlineDepth != 0 && name.local == "rPh") {
            phoneticDepth = depth;
        } else if (inlineDepth != 0 && name.local == "t") {
            captureDepth = depth;
            capture = &inlineText;
        }
    }

    void endElement(const XmlName&) override {
        if (depth == captureDepth) {
            captureDepth = 0;
            capture = nullptr;
        } else if (depth == phoneticDepth) {
            phoneticDepth = 0;
        } else if (depth == inlineDepth) {
            inlineDepth = 0;
        } else if (depth == cellDepth) {
            cellDepth = 0;
            endCell();
        } else if (depth == sheetDataDepth) {
            sheetDataDepth = 0;
            finished = true; // what follows (merged cells, layout) is no part of the table
        }
        --depth;
    }

    void text(std::string_view piece) override {
        if (capture != nullptr) {
            capture->append(piece);
        }
    }

    bool done() const override { return finished; }

    void startRow(std::string_view r) {
        if (r.empty()) {
            row = row == kNone ? 0 : row + 1;
        } else {
            std::uint64_t number = 0;
            if (!parseWhole(r, SheetBuilder::kMaxRows * 64, number) || number == 0) {
                throw RunError(sheet + " is damaged: it has a row numbered " + inQuotes(r));
            }
            row = static_cast<std::size_t>(number - 1);
        }
        nextColumn = 0;
    }

    void startCell(std::string_view r, std::string_view t) {
        if (r.empty()) {
            cellRow = row == kNone ? 0 : row;
            cellColumn = nextColumn;
        } else if (!parseCellReference(r, cellRow, cellColumn)) {
            throw RunError(sheet + " is damaged: it has a cell named " + inQuotes(r));
        }
        nextColumn = cellColumn + 1;
        type = cellType(t);
        cellDepth = depth;
        value.clear();
        inlineText.clear();
        hasValue = false;
        hasInline = false;
    }

    void endCell() {
        std::string_view shown;
        switch (type) {
        case CellType::Number:
            shown = hasValue ? spreadsheetNumber(value, number)
                             : decodeXlsxEscapes(inlineText, scratch);
            break;
        case CellType::Shared: {
            std::uint64_t index = 0;
            if (!parseWhole(value, std::numeric_limits<std::uint64_t>::max() / 16, index) ||
                index >= strings.size()) {
                throw RunError(sheet + " is damaged: its cell " + cellName(cellRow, cellColumn) +
                               " refers to shared string " + inQuotes(value) + ", of " +
                               std::to_string(strings.size()));
            }
            shown = strings.at(static_cast<std::size_t>(index));
            break;
        }
        case CellType::Inline:
            shown = decodeXlsxEscapes(hasInline ? inlineText : value, scratch);
            break;
        case CellType::FormulaText:
            shown = decodeXlsxEscapes(value, scratch);
            break;
        case CellType::Boolean:
            shown = value == "1" ? "TRUE" : value == "0" ? "FALSE" : std::string_view(value);
            break;
        case CellType::Other:
            shown = value;
            break;
        }
        builder.cell(cellRow, cellColumn, shown);
    }

    static constexpr std::size_t kNone = ~std::size_t{0};

    const XlsxSharedStrings& strings;
    std::string sheet;
    Table table;
    SheetBuilder builder;
    XmlReader reader;
    bool finished = false;
    std::size_t depth = 0;
    std::size_t sheetDataDepth = 0;
    std::size_t cellDepth = 0;
    std::size_t inlineDepth = 0;
    std::size_t phoneticDepth = 0;
    std::size_t captureDepth = 0;
    std::string* capture = nullptr;
    std::size_t row = kNone;
    std::size_t nextColumn = 0;
    std::size_t cellRow = 0;
    std::size_t cellColumn = 0;
    CellType type = CellType::Number;
    std::string value;
    std::string inlineText;
    bool hasValue = false;
    bool hasInline = false;
    std::string scratch;
    SpreadsheetNumberText number{};
};

XlsxSheetReader::XlsxSheetReader(std::string what, std::string sheet,
                                 const XlsxSharedStrings& strings)
    : impl_(std::make_unique<Impl>(std::move(what), std::move(sheet), strings)) {}
XlsxSheetReader::~XlsxSheetReader() = default;

void XlsxSheetReader::feed(std::string_view piece) {
    impl_->reader.feed(piece);
}

bool XlsxSheetReader::stopped() const {
    return impl_->reader.stopped();
}

Table XlsxSheetReader::finish(bool& empty) {
    if (!impl_->reader.stopped()) {
        impl_->reader.finish();
    }
    impl_->builder.finish();
    empty = impl_->builder.empty();
    return std::move(impl_->table);
}

} // namespace dissim
