#include "text_table_reader.h"

#include "table_literal.h"
#include "test_names.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>

namespace {

using dissim::kMaxCellBytes;
using dissim::kMaxColumns;
using testsupport::failureOf;
using testsupport::Rows;
using testsupport::utf16;

// ---- readTextTable ---------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string text;
    char separator;
    Rows rows;
    const char* failure = nullptr; // the whole text, or its start where it goes on with "..."
};

class ReadTextTable : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadTextTable, SplitsRowsAndCellsOrSaysWhereAndWhy) {
    const ReadCase& c = GetParam();
    if (c.failure != nullptr) {
        const std::string what = failureOf([&] { dissim::readTextTable(c.text, c.separator); });
        std::string_view expected = c.failure;
        if (expected.ends_with("...")) {
            expected.remove_suffix(3);
            EXPECT_TRUE(std::string_view(what).starts_with(expected)) << what;
        } else {
            EXPECT_EQ(what, expected);
        }
        return;
    }
    const dissim::Table table = dissim::readTextTable(c.text, c.separator);
    EXPECT_EQ(testsupport::rowsOf(table), c.rows);
    std::size_t widest = 0;
    for (const auto& row : c.rows) {
        widest = std::max(widest, row.size());
    }
    EXPECT_EQ(table.columns(), widest);
    EXPECT_EQ(table.name, "");
}

const std::string kLongCell(kMaxCellBytes + 1, 'x');

ReadCase failing(const char* name, std::string text, char separator, const char* failure) {
    return {name, std::move(text), separator, {}, failure};
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadTextTable,
    testing::Values(
        // Other separators are text; CR LF, LF and CR end rows; a final line end adds no row.
        ReadCase{"commaInSemicolonTable", "1,5;2\n", ';', {{"1,5", "2"}}},
        ReadCase{"lineEnds", "a,b\r\nc\nd\re\r", ',', {{"a", "b"}, {"c"}, {"d"}, {"e"}}},
        ReadCase{"emptyText", "", ',', {}}, ReadCase{"onlyLineEnd", "\n", ',', {{}}},
        ReadCase{"emptyLinesAndLfCr", "a\n\r\n\nb\n\rc", ',', {{"a"}, {}, {}, {"b"}, {}, {"c"}}},
        ReadCase{"emptyCells", ",a,,b,\n,", ',', {{"", "a", "", "b", ""}, {"", ""}}},
        ReadCase{"raggedRows", "a,b,c\n1\n1,2\n", ',', {{"a", "b", "c"}, {"1"}, {"1", "2"}}},
        ReadCase{"spacesAndUtf8Kept", " Müller , 中文😀 ", ',', {{" Müller ", " 中文😀 "}}},
        // Quotes: separators, doubled quotes and line breaks inside.
        ReadCase{"quotedSeparator", "\"a,b\",c\n", ',', {{"a,b", "c"}}},
        ReadCase{"quotedTab", "\"a\tb\"\tc\n1\t2", '\t', {{"a\tb", "c"}, {"1", "2"}}},
        ReadCase{"doubledQuote", "\"\"\"say \"\"hi\"\"\",x\n", ',', {{"\"say \"hi\"", "x"}}},
        ReadCase{"doubledQuoteAtTheEnd", "\"a\"\"\"", ',', {{"a\""}}},
        ReadCase{"emptyQuoted", "\"\",x,\"\"\n", ',', {{"", "x", ""}}},
        ReadCase{
            "lineBreaksInQuotes", "\"a\nb\",c\r\n\"d\r\ne\"\r\n", ',', {{"a\nb", "c"}, {"d\r\ne"}}},
        // A quote is special only at a cell's start, after spaces that are then dropped.
        ReadCase{"quoteInsideCell", "5\" disk,x\"y\"\n", ',', {{"5\" disk", "x\"y\""}}},
        ReadCase{"spaceBeforeQuote", "a, \"b,c\"  ,  \"d\"\n", ',', {{"a", "b,c  ", "d"}}},
        ReadCase{"spacesThenText", "  x\"y\" , 5\"\n", ',', {{"  x\"y\" ", " 5\""}}},
        // Text after a closing quote is taken into the cell as it stands.
        ReadCase{"textAfterQuote", "\"ab\"c,d\n", ',', {{"abc", "d"}}},
        ReadCase{"quotesAfterQuote", "\"a\"b\"c\",d\n", ',', {{"ab\"c\"", "d"}}},
        ReadCase{"rWriteCsv", "\"\",\"J1\"\n\"soap\",NA\n", ',', {{"", "J1"}, {"soap", "NA"}}},
        // Failures: the cell, or the row, and why.
        failing("unclosedQuote", "a,b\nc,\"d,e\nf,g\n", ',',
                "cell B2 (row 2) starts with a quote that is never closed: \"d,e\\x0Af,g\\x0A\""),
        failing("unclosedAfterDoubled", "\"a\"\"", ',',
                "cell A1 (row 1) starts with a quote that is never closed: \"a\"\"\""),
        failing("unclosedAfterSpacesInLaterRow", "\"a\nb\",c\nd\n  \"e", ',',
                "cell A3 (row 3) starts with a quote that is never closed: \"e\""),
        failing("tooManyCellsInRow3", "a\nb\n" + std::string(kMaxColumns, ';'), ';',
                "row 3 holds more than 100000 cells: this is no table of sort data"),
        failing("cellTooLong", "a\nb," + kLongCell + "\n", ',',
                "cell B2 (row 2) holds more than 1 MB of text: this is no table of sort data"),
        failing("quotedCellTooLong", "\"" + kLongCell + "\"", ',',
                "cell A1 (row 1) starts with a quote and runs on for more than 1 MB: its "
                "closing quote is missing, or this is no table of sort data"),
        failing("doubledQuotesTooLong", "\"" + std::string(2 * kMaxCellBytes + 2, '"') + "\"", ',',
                "cell A1 (row 1) starts with a quote and runs on for more than 1 MB..."),
        failing("textAfterQuoteTooLong", "\"a\"" + std::string(kMaxCellBytes, 'b'), ',',
                "cell A1 (row 1) starts with a quote and runs on for more than 1 MB..."),
        failing("spaceAsSeparator", "a b", ' ',
                "a text table's cells cannot be separated by \" \": only by a comma, a "
                "semicolon or a tab")),
    testsupport::ByName());

TEST(ReadTextTableLimits, TakesTheLargestCellAndRow) {
    const std::string cell(kMaxCellBytes, 'x');
    const dissim::Table table = dissim::readTextTable(cell + ",\"" + cell + "\"\n", ',');
    EXPECT_EQ(table.cell(0, 0).size(), kMaxCellBytes);
    EXPECT_EQ(table.cell(0, 1).size(), kMaxCellBytes);
    // Doubled quotes: the cell's text, not its bytes in the file, counts.
    const std::string quotes(2 * kMaxCellBytes, '"');
    EXPECT_EQ(dissim::readTextTable("\"" + quotes + "\"", ',').cell(0, 0).size(), kMaxCellBytes);
    const dissim::Table wide = dissim::readTextTable(std::string(kMaxColumns - 1, '\t'), '\t');
    EXPECT_EQ(wide.columns(), kMaxColumns);
}

// A line of 100 MB fails at once with the failure's text, taking no room for the whole line.
TEST(ReadTextTableLimits, HugeLineFailsQuickly) {
    constexpr std::size_t kHugeLine = std::size_t{100} << 20;
    for (const bool quoted : {false, true}) {
        const std::string text =
            quoted ? "1,\"" + std::string(kHugeLine, '7') : std::string(kHugeLine, '7');
        const auto start = std::chrono::steady_clock::now();
        const std::string what = failureOf([&] { dissim::readTextTable(text, ','); });
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_TRUE(what.starts_with(quoted ? "cell B1 (row 1) starts with a quote and runs on "
                                              "for more than 1 MB"
                                            : "cell A1 (row 1) holds more than 1 MB"))
            << what;
        EXPECT_LT(took, std::chrono::seconds(10)) << (quoted ? "quoted" : "unquoted");
    }
}

// ---- guessSeparator --------------------------------------------------------------------------

struct GuessCase {
    const char* name;
    std::string text;
    char separator;
};

class GuessSeparator : public testing::TestWithParam<GuessCase> {};

TEST_P(GuessSeparator, TakesTheMostConsistent) {
    EXPECT_EQ(dissim::guessSeparator(GetParam().text), GetParam().separator);
}

std::string repeated(const std::string& row, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += row;
    }
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Table, GuessSeparator,
    testing::Values(
        // No sign: a comma. Quoted separators and line breaks are text.
        GuessCase{"empty", "", ','}, GuessCase{"oneColumn", "1 2\nb\nc\n", ','},
        GuessCase{"quotedCommas", "\"a,b\";c\n\"d,e,f\";g\n", ';'},
        GuessCase{"quotedLineBreaks", "\"a\nb,c\nd,e\";f\ng;h\n", ';'},
        GuessCase{"spacesBeforeQuotes", "a; \"b,c\"; \"d,e\"\nf; \"g,h\"; i\n", ';'},
        // The most consistent count wins over the most cells; when as consistent, a tab, then a
        // semicolon, before a comma.
        GuessCase{"semicolonInSomeCells", "subject,group\n1,soap;clean\n2,G3\n3,G4\n", ','},
        GuessCase{"decimalCommas", "a;b;c\n1,5;2;3\n4;5,25;6\n", ';'},
        GuessCase{"evenDecimalCommas", "1,5;2,5\n3,5;4,5\n", ';'},
        GuessCase{"evenCommasInTabs", "a, b\tc\nd, e\tf\n", '\t'},
        GuessCase{"lineEnds", "a\tb\r\nc\td\re\tf", '\t'}, GuessCase{"oneRow", "a;b;c", ';'},
        // Only the first 50 rows count; a row cut where the look ends counts only on its own.
        GuessCase{"first50Rows", repeated("a;b\n", 50) + repeated("a,b,c\n", 100), ';'},
        GuessCase{"oneLongRow", repeated("abcdef;", 300000), ';'},
        GuessCase{"longLastRow", "a,b\nc,d\n" + repeated("x;", 600000), ','}),
    testsupport::ByName());

// ---- decodedTableText ------------------------------------------------------------------------

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string result; // the text, or the failure's text
};

class DecodedTableText : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodedTableText, DecodesTextOrSaysWhereItIsNot) {
    const DecodeCase& c = GetParam();
    std::string result;
    try {
        result = dissim::decodedTableText(c.bytes);
    } catch (const dissim::RunError& error) {
        result = error.what();
    }
    EXPECT_EQ(result, c.result);
}

std::string notText(const std::string& row, const std::string& shown, bool utf16 = false) {
    return row + " holds bytes that are not text" +
           (utf16 ? " (UTF-16 text by its byte-order mark)" : "") + ": " + shown +
           "; a table must be a workbook (.xlsx, .ods) or plain text, such as a spreadsheet "
           "saved as CSV or as Unicode text";
}

std::string manyQuotedRows() {
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "\"subject " + std::to_string(i) + "\",1,2,3\r\n";
    }
    return text + "x\x01";
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecodedTableText,
    testing::Values(
        DecodeCase{"empty", "", ""}, DecodeCase{"ascii", "a,b\r\n1\t2\r", "a,b\r\n1\t2\r"},
        DecodeCase{"utf8", "Müller;中文;😀\n", "Müller;中文;😀\n"},
        DecodeCase{"utf8Bom",
                   "\xEF\xBB\xBF"
                   "a,b\n",
                   "a,b\n"},
        DecodeCase{"onlyUtf8Bom", "\xEF\xBB\xBF", ""},
        // A byte-order mark after the first is a character of the text.
        DecodeCase{"secondBomKept",
                   "\xEF\xBB\xBF\xEF\xBB\xBF"
                   "a",
                   "\xEF\xBB\xBF"
                   "a"},
        DecodeCase{"utf16le", utf16(u"Müller\t中文\t😀\r\n", false), "Müller\t中文\t😀\r\n"},
        DecodeCase{"utf16be", utf16(u"Müller\t中文\t😀\r\n", true), "Müller\t中文\t😀\r\n"},
        DecodeCase{"onlyUtf16Bom", "\xFE\xFF", ""},
        // Bytes that are not text, named by the row they stand in.
        DecodeCase{"png", "\x89PNG\r\n\x1A\n", notText("row 1", "\\x89\\x50\\x4E\\x47")},
        DecodeCase{"nulInRow3", std::string("a,b\r\nc,d\ne\0f,g", 14),
                   notText("row 3", "\\x00\\x66\\x2C\\x67")},
        DecodeCase{"latin1", "Name\nM\xE9ller,1\n", notText("row 2", "\\xE9\\x6C\\x6C\\x65")},
        DecodeCase{"overlong", "a\n\xE0\x80\xAF", notText("row 2", "\\xE0\\x80\\xAF")},
        DecodeCase{"surrogateInUtf8", "\xED\xA0\x80", notText("row 1", "\\xED\\xA0\\x80")},
        DecodeCase{"beyondUnicode", "\xF4\x90\x80\x80", notText("row 1", "\\xF4\\x90\\x80\\x80")},
        DecodeCase{"cutAtTheEnd", "a,b\nc\xC3", notText("row 2", "\\xC3")},
        DecodeCase{"c1Control", "a\xC2\x85", notText("row 1", "\\xC2\\x85")},
        DecodeCase{"delete", "ab\x7F", notText("row 1", "\\x7F")},
        // Past eight plain bytes, past a quoted line break, far in.
        DecodeCase{"afterWords", "abcdefghijklmnopq\x01", notText("row 1", "\\x01")},
        DecodeCase{"pastQuotedLineBreak", std::string("\"a\nb\",c\nd\0", 10),
                   notText("row 2", "\\x00")},
        DecodeCase{"lateRow", manyQuotedRows(), notText("row 100001", "\\x01")},
        DecodeCase{"utf16Nul", utf16(std::u16string(u"a,b\nc\0d", 7), false),
                   notText("row 2", "\\x00\\x64", true)},
        DecodeCase{"utf16LoneSurrogate", utf16(u"a\n\xDC00z", false),
                   notText("row 2", "\\x00\\xDC\\x7A\\x00", true)},
        DecodeCase{"utf16HighSurrogateAlone", utf16(u"a\tb\n\xD83Dz", true),
                   notText("row 2", "\\xD8\\x3D\\x00\\x7A", true)},
        DecodeCase{"utf16OddByte", utf16(u"ab", false) + "c", notText("row 1", "\\x63", true)},
        DecodeCase{"utf16WithoutMark",
                   std::string("1\0,\0"
                               "2\0",
                               6),
                   notText("row 1", "\\x00\\x2C\\x00\\x32")}),
    testsupport::ByName());

} // namespace
