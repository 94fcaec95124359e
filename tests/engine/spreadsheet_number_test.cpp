// The small conversions of the workbook readers, each as a table of cases: numbers as a
// spreadsheet's General format shows them, Office Open XML's escapes, cell references and the
// targets of relationships.

#include "spreadsheet_number.h"
#include "xlsx_sheet_reader.h"
#include "xlsx_workbook.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>

namespace {

struct NumberCase {
    const char* stored;
    const char* shown;
};

const NumberCase kNumbers[] = {
    // whole numbers as they are
    {"0", "0"},
    {"3", "3"},
    {"-3", "-3"},
    {"42", "42"},
    {"123456789012345", "123456789012345"},
    // whole numbers written as floats, and the float noise of sums
    {"3.0", "3"},
    {"3.0000000000000004", "3"},
    {"0.30000000000000004", "0.3"},
    {"0.1", "0.1"},
    {"2.5", "2.5"},
    {"-12.5", "-12.5"},
    {"-0", "0"},
    {"-0.0", "0"},
    {"007", "7"},
    {"0.99999999999999989", "1"},
    {"1.0000000000000002", "1"},
    {"12345678.900000001", "12345678.9"},
    {"100", "100"},
    {"1E2", "100"},
    // at most 15 significant digits
    {"3.14159265358979323846", "3.14159265358979"},
    {"0.123456789012345678", "0.123456789012346"},
    {"1234567890123456", "1.23456789012346E+15"},
    {"12345678901234567890", "1.23456789012346E+19"},
    {"999999999999999", "999999999999999"},
    {"9999999999999999", "1E+16"},
    // small and large: plain from 1E-5 up to 15 digits, the exponent form beyond
    {"0.00001", "0.00001"},
    {"0.000012345", "0.000012345"},
    {"0.0000012345", "1.2345E-06"},
    {"1E-20", "1E-20"},
    {"1.5E-20", "1.5E-20"},
    {"-2.5e-7", "-2.5E-07"},
    {"1E+15", "1E+15"},
    {"1E100", "1E+100"},
    {"1.7976931348623157E308", "1.79769313486232E+308"},
    {"4.9E-324", "4.94065645841247E-324"},
    // text that is no number stays as it is
    {"", ""},
    {"abc", "abc"},
    {"1,5", "1,5"},
    {"+3", "+3"},
    {" 3", " 3"},
    {"1E400", "1E400"},
    {"NaN", "NaN"},
};

TEST(SpreadsheetNumber, ShowsNumbersAsTheGeneralFormat) {
    for (const NumberCase& c : kNumbers) {
        dissim::SpreadsheetNumberText room;
        EXPECT_EQ(dissim::spreadsheetNumber(c.stored, room), c.shown) << c.stored;
    }
}

TEST(SpreadsheetNumber, ShowsValues) {
    EXPECT_EQ(dissim::spreadsheetNumber(0.1 + 0.2), "0.3");
    EXPECT_EQ(dissim::spreadsheetNumber(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(dissim::spreadsheetNumber(-0.0), "0");
    EXPECT_EQ(dissim::spreadsheetNumber(1e21), "1E+21");
    EXPECT_EQ(dissim::spreadsheetNumber(std::nan("")), "");
}

struct EscapeCase {
    std::string_view stored;
    std::string_view shown;
};

const EscapeCase kEscapes[] = {
    {"plain", "plain"},
    {"a_x000D_b", "a\rb"},
    {"_x0041__x0042_", "AB"},
    {"_x005F_x0041_", "_x0041_"},
    {"_x00e9_", "\xC3\xA9"},
    {"_xD83D__xDE00_", "\xF0\x9F\x98\x80"}, // a surrogate pair: U+1F600
    {"_xD83D_", "\xEF\xBF\xBD"},            // a lone surrogate: U+FFFD
    {"_x12_", "_x12_"},
    {"_xZZZZ_", "_xZZZZ_"},
    {"_x0041", "_x0041"},
};

TEST(SpreadsheetNumber, DecodesXlsxEscapes) {
    for (const EscapeCase& c : kEscapes) {
        std::string scratch;
        EXPECT_EQ(dissim::decodeXlsxEscapes(c.stored, scratch), c.shown) << c.stored;
    }
}

struct ReferenceCase {
    const char* reference;
    bool valid;
    std::size_t row;
    std::size_t column;
};

const ReferenceCase kReferences[] = {
    {"A1", true, 0, 0},
    {"B7", true, 6, 1},
    {"Z10", true, 9, 25},
    {"AA1", true, 0, 26},
    {"XFD1048576", true, 1048575, 16383},
    {"", false, 0, 0},
    {"A", false, 0, 0},
    {"7", false, 0, 0},
    {"A0", false, 0, 0},
    {"a1", false, 0, 0},
    {"A1B", false, 0, 0},
    {"$A$1", false, 0, 0},
    {"AAAAAAAAAAAAA1", false, 0, 0},
    {"A99999999999999999999", false, 0, 0},
};

TEST(SpreadsheetNumber, ParsesCellReferences) {
    for (const ReferenceCase& c : kReferences) {
        std::size_t row = 99;
        std::size_t column = 99;
        EXPECT_EQ(dissim::parseCellReference(c.reference, row, column), c.valid) << c.reference;
        if (c.valid) {
            EXPECT_EQ(row, c.row) << c.reference;
            EXPECT_EQ(column, c.column) << c.reference;
        }
    }
}

struct TargetCase {
    const char* source;
    const char* target;
    const char* part;
};

const TargetCase kTargets[] = {
    {"xl/workbook.xml", "worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
    {"xl/workbook.xml", "/xl/worksheets/sheet1.xml", "xl/worksheets/sheet1.xml"},
    {"xl/workbook.xml", "../xl/./worksheets/sheet2.xml", "xl/worksheets/sheet2.xml"},
    {"xl/workbook.xml", "../../../x.xml", "x.xml"},
    {"", "xl/workbook.xml", "xl/workbook.xml"},
    {"workbook.xml", "sheet.xml", "sheet.xml"},
};

TEST(SpreadsheetNumber, ResolvesRelationshipTargets) {
    for (const TargetCase& c : kTargets) {
        EXPECT_EQ(dissim::resolvePartTarget(c.source, c.target), c.part) << c.target;
    }
}

} // namespace
