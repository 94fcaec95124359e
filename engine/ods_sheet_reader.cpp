#include "ods_sheet_reader.h"

#include "run_error.h"
#include "sheet_builder.h"
#include "spreadsheet_number.h"
#include "xml_reader.h"

#include <algorithm>
#include <cstdint>

namespace dissim {
namespace {

// The ends of OpenDocument's namespaces (urn:oasis:names:tc:opendocument:xmlns:table:1.0) and
// of LibreOffice's extension
// (urn:org:documentfoundation:names:experimental:calc:xmlns:calcext:1.0).
constexpr std::string_view kOffice = ":office:1.0";
constexpr std::string_view kTable = ":table:1.0";
constexpr std::string_view kText = ":text:1.0";
constexpr std::string_view kCalcExtension = ":calcext:1.0";

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool is(const XmlName& name, std::string_view space, std::string_view local) {
    return name.local == local && endsWith(name.space, space);
}

constexpr std::uint64_t kMaxCount = std::uint64_t{1} << 40;

// A repeat count ("3"); 1 where there is none or it is no count.
std::uint64_t repeatCount(std::string_view text) {
    if (text.empty()) {
        return 1;
    }
    std::uint64_t count = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return 1;
        }
        count = std::min(count * 10 + static_cast<std::uint64_t>(c - '0'), kMaxCount);
    }
    return count == 0 ? 1 : count;
}

std::uint64_t add(std::uint64_t a, std::uint64_t b) {
    return std::min(a + b, kMaxCount);
}

// The most spaces one text:s stands for (a hostile count costs no more).
constexpr std::uint64_t kMaxSpaces = 1024;

} // namespace

// <office:document-content><office:body><office:spreadsheet>
//   <table:table table:name="Sheet1"><table:table-column .../>
//     <table:table-row table:number-rows-repeated="2">
//       <table:table-cell office:value-type="float" office:value="3"><text:p>3</text:p>
//       </table:table-cell>
//       <table:table-cell table:number-columns-repeated="2" office:value-type="string">
//         <text:p>a<text:s text:c="2"/>b</text:p><text:p>line 2</text:p></table:table-cell>
//       <table:covered-table-cell/>
struct OdsContentReader::Impl : XmlHandler {
    Impl(std::string what, std::size_t sheet) : target(sheet), reader(std::move(what), *this) {}

    void startElement(const XmlName& name, const XmlAttributes& attributes) override {
        ++depth;
        if (spreadsheetDepth == 0) {
            if (is(name, kOffice, "spreadsheet")) {
                spreadsheetDepth = depth;
            }
        } else if (tableDepth == 0) {
            if (depth == spreadsheetDepth + 1 && is(name, kTable, "table")) {
                startTable(attributes.get("name", kTable));
            }
        } else if (!reading) {
            // another sheet's
        } else if (cellDepth == 0) {
            if (rowDepth == 0) {
                if (is(name, kTable, "table-row")) {
                    rowDepth = depth;
                    rowRepeat = repeatCount(attributes.get("number-rows-repeated", kTable));
                    column = 0;
                    rowCells.clear();
                    rowText.clear();
                }
            } else if (is(name, kTable, "table-cell") || is(name, kTable, "covered-table-cell")) {
                startCell(name.local == "covered-table-cell", attributes);
            }
        } else if (ignoredDepth != 0) {
            // inside something that is not the cell's text
        } else if (paragraphDepth == 0) {
            if (depth == cellDepth + 1 && is(name, kText, "p")) {
                paragraphDepth = depth;
                if (wantText && paragraphs++ > 0) {
                    cellText.push_back('\n');
                }
            }
        } else if (!endsWith(name.space, kText) || name.local == "note") {
            ignoredDepth = depth; // a drawing, a note
        } else if (wantText) {
            if (name.local == "s") {
                const std::uint64_t spaces = repeatCount(attributes.get("c", kText));
                cellText.append(static_cast<std::size_t>(std::min(spaces, kMaxSpaces)), ' ');
            } else if (name.local == "tab") {
                cellText.push_back('\t');
            } else if (name.local == "line-break") {
                cellText.push_back('\n');
            }
            // text:span, text:a and the like: their text is the paragraph's
        }
    }

    void endElement(const XmlName&) override {
        if (depth == ignoredDepth) {
            ignoredDepth = 0;
        } else if (depth == paragraphDepth) {
            paragraphDepth = 0;
        } else if (depth == cellDepth) {
            cellDepth = 0;
            endCell();
        } else if (depth == rowDepth) {
            rowDepth = 0;
            endRow();
        } else if (depth == tableDepth) {
            tableDepth = 0;
            if (reading) {
                reading = false;
                finished = true;
            }
        } else if (depth == spreadsheetDepth) {
            spreadsheetDepth = 0;
        }
        --depth;
    }

    void text(std::string_view piece) override {
        if (paragraphDepth != 0 && ignoredDepth == 0 && wantText) {
            cellText.append(piece);
        }
    }

    bool done() const override { return finished; }

    void startTable(std::string_view name) {
        tableDepth = depth;
        names.emplace_back(name);
        if (names.size() - 1 == target) {
            reading = true;
            found = true;
            table.name = names.back();
            builder = std::make_unique<SheetBuilder>(table, "the sheet \"" + table.name + "\"");
            row = 0;
        }
    }

    void startCell(bool covered, const XmlAttributes& attributes) {
        cellDepth = depth;
        cellRepeat = repeatCount(attributes.get("number-columns-repeated", kTable));
        cellText.clear();
        paragraphs = 0;
        wantText = false;
        if (covered) {
            return; // merged over: empty, whatever it may hold
        }
        const std::string_view type = attributes.get("value-type", kOffice);
        if (attributes.get("value-type", kCalcExtension) == "error") {
            wantText = true; // "#DIV/0!", shown as text over a value of 0
        } else if (type == "float" || type == "percentage" || type == "currency") {
            cellText.assign(spreadsheetNumber(attributes.get("value", kOffice), number));
        } else if (type == "boolean") {
            const std::string_view value = attributes.get("boolean-value", kOffice);
            cellText = value == "true" || value == "1" ? "TRUE" : "FALSE";
        } else {
            wantText = true; // string, date, time, or none: the text shown
        }
    }

    void endCell() {
        if (!cellText.empty()) {
            const std::size_t begin = rowText.size();
            rowText.append(cellText);
            for (std::uint64_t i = 0; i < cellRepeat; ++i) {
                const std::uint64_t at = add(column, i);
                if (at >= SheetBuilder::kMaxColumns) {
                    builder->cell(row, at, cellText); // fails: past the last column
                }
                rowCells.push_back({at, begin, rowText.size()});
            }
        }
        column = add(column, cellRepeat);
    }

    void endRow() {
        if (!rowCells.empty()) {
            const std::string_view text(rowText);
            for (std::uint64_t i = 0; i < rowRepeat; ++i) {
                for (const RowCell& cell : rowCells) {
                    builder->cell(add(row, i), cell.column,
                                  text.substr(cell.begin, cell.end - cell.begin));
                }
            }
        }
        row = add(row, rowRepeat);
    }

    std::size_t target;
    XmlReader reader;
    std::vector<std::string> names;
    bool found = false;
    bool reading = false;
    bool finished = false;
    Table table;
    std::unique_ptr<SheetBuilder> builder;

    std::size_t depth = 0;
    std::size_t spreadsheetDepth = 0;
    std::size_t tableDepth = 0;
    std::size_t rowDepth = 0;
    std::size_t cellDepth = 0;
    std::size_t paragraphDepth = 0;
    std::size_t ignoredDepth = 0;

    std::uint64_t row = 0;
    std::uint64_t rowRepeat = 1;
    std::uint64_t column = 0;
    // The row's values: their columns and where their text lies in rowText (repeated cells
    // share one text).
    struct RowCell {
        std::uint64_t column;
        std::size_t begin;
        std::size_t end;
    };
    std::vector<RowCell> rowCells;
    std::string rowText;

    std::uint64_t cellRepeat = 1;
    bool wantText = false;
    std::size_t paragraphs = 0;
    std::string cellText;
    SpreadsheetNumberText number{};
};

OdsContentReader::OdsContentReader(std::string what, std::size_t sheet)
    : impl_(std::make_unique<Impl>(std::move(what), sheet)) {}
OdsContentReader::~OdsContentReader() = default;

void OdsContentReader::feed(std::string_view piece) {
    impl_->reader.feed(piece);
}

bool OdsContentReader::stopped() const {
    return impl_->reader.stopped();
}

void OdsContentReader::finish() {
    if (!impl_->reader.stopped()) {
        impl_->reader.finish();
    }
}

const std::vector<std::string>& OdsContentReader::sheetNames() const {
    return impl_->names;
}

Table OdsContentReader::takeTable(bool& empty) {
    if (!impl_->found) {
        const std::size_t count = impl_->names.size();
        throw RunError(count == 0 ? std::string("the workbook has no sheets")
                                  : "the workbook has " + std::to_string(count) +
                                        " sheets: it has no sheet number " +
                                        std::to_string(impl_->target + 1));
    }
    impl_->builder->finish();
    empty = impl_->builder->empty();
    return std::move(impl_->table);
}

} // namespace dissim
