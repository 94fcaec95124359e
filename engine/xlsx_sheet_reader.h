#pragma once

#include "table.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dissim {

// The shared strings of an Office Open XML workbook (xl/sharedStrings.xml), in one block of
// text: each string is its plain text, rich-text runs joined, phonetic hints left out.
class XlsxSharedStrings {
public:
    std::size_t size() const { return ends_.size(); }
    std::string_view at(std::size_t index) const;

    // Reading: a string's text comes in pieces between begin and end.
    void begin();
    void append(std::string_view piece) { text_.append(piece); }
    void end();

private:
    std::string text_;
    std::vector<std::size_t> ends_;
    std::size_t begin_ = 0;
};

// Reads a shared strings part whose XML comes in pieces. what names it in messages.
class XlsxSharedStringsReader {
public:
    explicit XlsxSharedStringsReader(std::string what);
    ~XlsxSharedStringsReader();
    void feed(std::string_view piece);
    XlsxSharedStrings finish();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Reads a worksheet part (xl/worksheets/sheet1.xml) whose XML comes in pieces, into a table
// of the cells as the spreadsheet shows them. what names the part in messages, sheet the
// sheet ("the sheet \"Data\""); the strings must outlive the reader.
class XlsxSheetReader {
public:
    XlsxSheetReader(std::string what, std::string sheet, const XlsxSharedStrings& strings);
    ~XlsxSheetReader();
    void feed(std::string_view piece);
    // Whether the cells have all been read (what follows them is not).
    bool stopped() const;
    // The table, and whether any cell had a value.
    Table finish(bool& empty);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Office Open XML's escapes of characters in strings, _xHHHH_ for UTF-16 code unit HHHH
// ("_x000D_" for a carriage return, "_x005F_" for "_"), decoded; text without them comes back
// as it is, text with them in scratch.
std::string_view decodeXlsxEscapes(std::string_view text, std::string& scratch);

// A cell reference ("B7") as row and column from 0; false if it is none.
bool parseCellReference(std::string_view reference, std::size_t& row, std::size_t& column);

} // namespace dissim
