#include "text_table_reader.h"

#include "run_error.h"
#include "test_names.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace {

using dissim::kMaxCellBytes;
using dissim::kMaxColumns;
using Rows = std::vector<std::vector<std::string>>;

Rows rowsOf(const dissim::Table& table) {
    Rows rows;
    for (std::size_t r = 0; r < table.rows(); ++r) {
        rows.emplace_back();
        for (std::size_t c = 0; c < table.cellsIn(r); ++c) {
            rows.back().emplace_back(table.cell(r, c));
        }
    }
    return rows;
}

// The failure's text, or "(no error)".
template <typename Call> std::string failureOf(Call call) {
    try {
        call();
    } catch (const dissim::RunError& error) {
        return error.what();
    }
    return "(no error)";
}

// Text as a file in UTF-16 holds it: the byte-order mark, then each unit in the byte order.
std::string utf16(std::u16string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

// ---- readTextTable ---------------------------------------------------------------------------

struct ReadCase {
    const char* name;
    std::string text;
    char separator;
    Rows rows;
};

class ReadTextTable : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadTextTable, SplitsRowsAndCells) {
    const ReadCase& c = GetParam();
    const dissim::Table table = dissim::readTextTable(c.text, c.separator);
    EXPECT_EQ(rowsOf(table), c.rows);
    std::size_t widest = 0;
    for (const auto& row : c.rows) {
        widest = std::max(widest, row.size());
    }
    EXPECT_EQ(table.columns(), widest);
    EXPECT_EQ(table.name, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadTextTable,
    testing::Values(
        ReadCase{"comma", "a,b,c\n1,2,3\n", ',', {{"a", "b", "c"}, {"1", "2", "3"}}},
        ReadCase{"semicolon", "a;b\n1;2\n", ';', {{"a", "b"}, {"1", "2"}}},
        ReadCase{"tab", "a\tb\n1\t2\n", '\t', {{"a", "b"}, {"1", "2"}}},
        // Other separators are text in the cell.
        ReadCase{"commaInSemicolonTable", "1,5;2\n", ';', {{"1,5", "2"}}},
        ReadCase{"noFinalLineEnd", "a,b\n1,2", ',', {{"a", "b"}, {"1", "2"}}},
        ReadCase{"crLf", "a,b\r\n1,2\r\n", ',', {{"a", "b"}, {"1", "2"}}},
        ReadCase{"crOnly", "a,b\r1,2\r", ',', {{"a", "b"}, {"1", "2"}}},
        ReadCase{"mixedLineEnds", "a\r\nb\nc\rd", ',', {{"a"}, {"b"}, {"c"}, {"d"}}},
        // A final line end adds no row; an empty line is a row of no cells.
        ReadCase{"emptyText", "", ',', {}},
        ReadCase{"onlyLineEnd", "\n", ',', {{}}},
        ReadCase{"emptyLines", "a\n\r\n\nb\n", ',', {{"a"}, {}, {}, {"b"}}},
        ReadCase{"lfCrIsTwoLineEnds", "a\n\rb", ',', {{"a"}, {}, {"b"}}},
        // Empty cells keep their places, at a row's start, middle and end.
        ReadCase{"emptyCells", ",a,,b,\n", ',', {{"", "a", "", "b", ""}}},
        ReadCase{"separatorAtTheEnd", "a,", ',', {{"a", ""}}},
        ReadCase{"onlySeparators", ";;\n", ';', {{"", "", ""}}},
        ReadCase{"raggedRows", "a,b,c\n1\n1,2\n", ',', {{"a", "b", "c"}, {"1"}, {"1", "2"}}},
        // Spaces around a cell are kept: the import trims them.
        ReadCase{"spacesKept", " a , b \n", ',', {{" a ", " b "}}},
        ReadCase{"utf8Kept", "Müller,中文,😀\n", ',', {{"Müller", "中文", "😀"}}},
        // Quotes: separators, doubled quotes and line breaks inside.
        ReadCase{"quotedSeparator", "\"a,b\",c\n", ',', {{"a,b", "c"}}},
        ReadCase{"quotedTab", "\"a\tb\"\tc\n", '\t', {{"a\tb", "c"}}},
        ReadCase{"doubledQuote", "\"say \"\"hi\"\"\",x\n", ',', {{"say \"hi\"", "x"}}},
        ReadCase{"onlyDoubledQuotes", "\"\"\"\"\"\"", ',', {{"\"\""}}},
        ReadCase{"doubledQuoteAtTheEnd", "\"a\"\"\"", ',', {{"a\""}}},
        ReadCase{"emptyQuoted", "\"\",x,\"\"\n", ',', {{"", "x", ""}}},
        ReadCase{"lineBreakInQuotes", "\"a\nb\",c\nd,e\n", ',', {{"a\nb", "c"}, {"d", "e"}}},
        ReadCase{"crLfInQuotesKept", "\"a\r\nb\"\r\nc\r\n", ',', {{"a\r\nb"}, {"c"}}},
        ReadCase{"quotedAtTheEnd", "a,\"b\"", ',', {{"a", "b"}}},
        ReadCase{"quotedNumbers", "\"1\";\"2\"\n", ';', {{"1", "2"}}},
        // A quote is special only at a cell's start.
        ReadCase{"quoteInsideCell", "5\" disk,x\"y\"\n", ',', {{"5\" disk", "x\"y\""}}},
        // Spaces before a cell's quote are dropped; after it, they are text after the quote.
        ReadCase{"spaceBeforeQuote", "a, \"b,c\"  ,  \"d\"\n", ',', {{"a", "b,c  ", "d"}}},
        ReadCase{"spacesThenText", "  x\"y\" , 5\"\n", ',', {{"  x\"y\" ", " 5\""}}},
        // Text after a closing quote is taken into the cell as it stands.
        ReadCase{"textAfterQuote", "\"ab\"c,d\n", ',', {{"abc", "d"}}},
        ReadCase{"spaceAfterQuote", "\"a\" ,b\n", ',', {{"a ", "b"}}},
        ReadCase{"quotesAfterQuote", "\"a\"b\"c\",d\n", ',', {{"ab\"c\"", "d"}}},
        ReadCase{"doubledThenText", "\"a\"\"b\"c\n", ',', {{"a\"bc"}}},
        // As R's write.csv writes a table with row names.
        ReadCase{"rWriteCsv", "\"\",\"J1\",\"J2\"\n\"soap\",\"G3\",NA\n", ',',
                 {{"", "J1", "J2"}, {"soap", "G3", "NA"}}},
        // As LibreOffice writes an empty first header cell.
        ReadCase{"libreOfficeCsv", ";\"J1\";\"J2\"\n\"S1\";1;2\n", ';',
                 {{"", "J1", "J2"}, {"S1", "1", "2"}}}),
    testsupport::ByName());

struct FailCase {
    const char* name;
    std::string text;
    char separator;
    const char* message; // the whole failure text, or its start where it goes on with "..."
};

class ReadTextTableFailure : public testing::TestWithParam<FailCase> {};

TEST_P(ReadTextTableFailure, SaysWhereAndWhy) {
    const FailCase& c = GetParam();
    const std::string what = failureOf([&] { dissim::readTextTable(c.text, c.separator); });
    std::string_view expected = c.message;
    if (expected.ends_with("...")) {
        expected.remove_suffix(3);
        EXPECT_TRUE(std::string_view(what).starts_with(expected)) << what;
    } else {
        EXPECT_EQ(what, expected);
    }
}

const std::string kLongCell(kMaxCellBytes + 1, 'x');

INSTANTIATE_TEST_SUITE_P(
    Table, ReadTextTableFailure,
    testing::Values(
        FailCase{"unclosedQuote", "a,b\nc,\"d,e\nf,g\n", ',',
                 "cell B2 (row 2) starts with a quote that is never closed: \"d,e\\x0Af,g\\x0A\""},
        FailCase{"unclosedAfterDoubled", "\"a\"\"", ',',
                 "cell A1 (row 1) starts with a quote that is never closed: \"a\"\"\""},
        FailCase{"unclosedInLaterRow", "\"a\nb\",c\nd\n\"e", ',',
                 "cell A3 (row 3) starts with a quote that is never closed: \"e\""},
        FailCase{"tooManyCells", std::string(kMaxColumns, ','), ',',
                 "row 1 holds more than 100000 cells: this is no table of sort data"},
        FailCase{"tooManyCellsInRow3", "a\nb\n" + std::string(kMaxColumns + 5, ';'), ';',
                 "row 3 holds more than 100000 cells: this is no table of sort data"},
        FailCase{"cellTooLong", "a\nb," + kLongCell + "\n", ',',
                 "cell B2 (row 2) holds more than 1 MB of text: this is no table of sort data"},
        FailCase{"lastCellTooLong", kLongCell, ',',
                 "cell A1 (row 1) holds more than 1 MB of text: this is no table of sort data"},
        FailCase{"quotedCellTooLong", "\"" + kLongCell + "\"", ',',
                 "cell A1 (row 1) starts with a quote and runs on for more than 1 MB: its "
                 "closing quote is missing, or this is no table of sort data"},
        FailCase{"doubledQuotesTooLong", "\"" + std::string(2 * kMaxCellBytes + 2, '"') + "\"",
                 ',', "cell A1 (row 1) starts with a quote and runs on for more than 1 MB..."},
        FailCase{"textAfterQuoteTooLong", "\"a\"" + std::string(kMaxCellBytes, 'b'), ',',
                 "cell A1 (row 1) starts with a quote and runs on for more than 1 MB..."},
        // A quote never closed in a long text: the cell runs on past what a table holds.
        FailCase{"unclosedQuoteInLongText", "a\n\"b\n" + std::string(2 * kMaxCellBytes, 'c'),
                 ',', "cell A2 (row 2) starts with a quote and runs on for more than 1 MB..."},
        FailCase{"quoteAsSeparator", "a", '"', "a text table's cells cannot be separated by..."},
        FailCase{"lineEndAsSeparator", "a", '\n',
                 "a text table's cells cannot be separated by..."},
        FailCase{"spaceAsSeparator", "a b", ' ',
                 "a text table's cells cannot be separated by \" \": only by a comma, a "
                 "semicolon or a tab"},
        FailCase{"unclosedAfterSpaces", "a;  \"b", ';',
                 "cell B1 (row 1) starts with a quote that is never closed: \"b\""}),
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
        const std::string text = quoted ? "1,\"" + std::string(kHugeLine, '7')
                                        : std::string(kHugeLine, '7');
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

std::string manyRows(const std::string& first, const std::string& row, int count,
                     const std::string& after = "") {
    std::string text = first;
    for (int i = 0; i < count; ++i) {
        text += row;
    }
    return text + after;
}

INSTANTIATE_TEST_SUITE_P(
    Table, GuessSeparator,
    testing::Values(
        GuessCase{"comma", "a,b,c\n1,2,3\n", ','}, GuessCase{"semicolon", "a;b;c\n1;2;3\n", ';'},
        GuessCase{"tab", "a\tb\tc\n1\t2\t3\n", '\t'},
        // No sign: a comma.
        GuessCase{"empty", "", ','}, GuessCase{"oneColumn", "a\nb\nc\n", ','},
        GuessCase{"spaces", "1 2 3\n4 5 6\n", ','},
        // Quoted cells are looked past: their separators and line breaks are text.
        GuessCase{"quotedCommas", "\"a,b\";c\n\"d,e,f\";g\n", ';'},
        GuessCase{"quotedSemicolons", "\"soap;clean\",1\n\"x;y;z\",2\n", ','},
        GuessCase{"quotedLineBreaks", "\"a\nb,c\nd,e\";f\ng;h\n", ';'},
        GuessCase{"spacesBeforeQuotes", "a; \"b,c\"; \"d,e\"\nf; \"g,h\"; i\n", ';'},
        // The most consistent count wins over the most cells.
        GuessCase{"semicolonInSomeCells", "subject,group\n1,soap;clean\n2,G3\n3,G4\n", ','},
        GuessCase{"decimalCommas", "a;b;c\n1,5;2;3\n4;5,25;6\n", ';'},
        GuessCase{"commaInNames", "name\tcode\nSmith, J\t1\nDoe, A\t2\n", '\t'},
        // As consistent: a tab, then a semicolon, before a comma.
        GuessCase{"evenDecimalCommas", "1,5;2,5\n3,5;4,5\n", ';'},
        GuessCase{"evenCommasInTabs", "a, b\tc\nd, e\tf\n", '\t'},
        GuessCase{"rWriteCsv", "\"\",\"J1\",\"J2\"\n\"s1\",1,2\n\"s2\",3,\"NA\"\n", ','},
        GuessCase{"libreOffice", ";\"J1\";\"J2\"\n\"s1\";1;2\n", ';'},
        GuessCase{"crLf", "a;b\r\nc;d\r\n", ';'}, GuessCase{"crOnly", "a\tb\rc\td\r", '\t'},
        GuessCase{"oneRow", "a;b;c", ';'},
        // Only the first rows are looked at.
        GuessCase{"first50Rows", manyRows("", "a;b\n", 50, manyRows("", "a,b,c\n", 100)), ';'},
        // A row longer than what is looked at counts where it is the only one.
        GuessCase{"oneLongRow", manyRows("", "abcdef;", 300000), ';'},
        GuessCase{"longLastRow", manyRows("a,b\nc,d\n", "x;", 600000), ','}),
    testsupport::ByName());

// ---- decodedTableText ------------------------------------------------------------------------

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::string text;    // when it decodes
    std::string message; // empty: it decodes; otherwise the failure's text
};

class DecodedTableText : public testing::TestWithParam<DecodeCase> {};

TEST_P(DecodedTableText, DecodesTextOrSaysWhereItIsNot) {
    const DecodeCase& c = GetParam();
    if (c.message.empty()) {
        EXPECT_EQ(dissim::decodedTableText(c.bytes), c.text);
    } else {
        EXPECT_EQ(failureOf([&] { dissim::decodedTableText(c.bytes); }), c.message);
    }
}

constexpr const char* kNotTextAdvice =
    "; a table must be a workbook (.xlsx, .ods) or plain text, such as a spreadsheet saved as "
    "CSV or as Unicode text";
std::string notText(const std::string& row, const std::string& shown, bool utf16 = false) {
    return row + " holds bytes that are not text" +
           (utf16 ? " (UTF-16 text by its byte-order mark)" : "") + ": " + shown + kNotTextAdvice;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DecodedTableText,
    testing::Values(
        DecodeCase{"empty", "", "", ""}, DecodeCase{"ascii", "a,b\r\n1\t2\r", "a,b\r\n1\t2\r", ""},
        DecodeCase{"utf8", "Müller;中文;😀\n", "Müller;中文;😀\n", ""},
        DecodeCase{"utf8Bom", "\xEF\xBB\xBF" "a,b\n", "a,b\n", ""},
        DecodeCase{"onlyUtf8Bom", "\xEF\xBB\xBF", "", ""},
        // A byte-order mark after the first is a character of the text.
        DecodeCase{"secondBomKept", "\xEF\xBB\xBF\xEF\xBB\xBF" "a", "\xEF\xBB\xBF" "a", ""},
        DecodeCase{"utf16le", utf16(u"Müller\t中文\t😀\r\n1\t2\r\n", false),
                   "Müller\t中文\t😀\r\n1\t2\r\n", ""},
        DecodeCase{"utf16be", utf16(u"Müller\t中文\t😀\r\n1\t2\r\n", true),
                   "Müller\t中文\t😀\r\n1\t2\r\n", ""},
        DecodeCase{"onlyUtf16Bom", "\xFE\xFF", "", ""},
        // Bytes that are not text: a binary file, a NUL, bytes that are no UTF-8, control
        // characters; named by the row they stand in.
        DecodeCase{"png", "\x89PNG\r\n\x1A\n", "", notText("row 1", "\\x89\\x50\\x4E\\x47")},
        DecodeCase{"nulInRow3", std::string("a,b\nc,d\ne\0f,g", 13), "",
                   notText("row 3", "\\x00\\x66\\x2C\\x67")},
        DecodeCase{"latin1", "Name\nM\xFCller,1\n", "", notText("row 2", "\\xFC\\x6C\\x6C\\x65")},
        DecodeCase{"overlong", "a\n\xC0\xAF", "", notText("row 2", "\\xC0\\xAF")},
        DecodeCase{"surrogateInUtf8", "\xED\xA0\x80", "", notText("row 1", "\\xED\\xA0\\x80")},
        DecodeCase{"beyondUnicode", "\xF4\x90\x80\x80", "",
                   notText("row 1", "\\xF4\\x90\\x80\\x80")},
        DecodeCase{"cutAtTheEnd", "a,b\nc\xC3", "", notText("row 2", "\\xC3")},
        DecodeCase{"c1Control", "a\xC2\x85", "", notText("row 1", "\\xC2\\x85")},
        DecodeCase{"delete", "ab\x7F", "", notText("row 1", "\\x7F")},
        DecodeCase{"formFeed", "a\n\n\f", "", notText("row 3", "\\x0C")},
        DecodeCase{"dosEndOfFile", "a,b\r\n\x1A", "", notText("row 2", "\\x1A")},
        // Where the bad byte stands past eight plain bytes, and past a quoted line break.
        DecodeCase{"afterWords", "abcdefghijklmnopq\x01", "", notText("row 1", "\\x01")},
        DecodeCase{"pastQuotedLineBreak", std::string("\"a\nb\",c\nd\0", 10), "",
                   notText("row 2", "\\x00")},
        DecodeCase{"utf16Nul", utf16(std::u16string(u"a,b\nc\0d", 7), false), "",
                   notText("row 2", "\\x00\\x64", true)},
        DecodeCase{"utf16LoneSurrogate", utf16(u"a\n\xDC00z", false), "",
                   notText("row 2", "\\x00\\xDC\\x7A\\x00", true)},
        DecodeCase{"utf16HighSurrogateAlone", utf16(u"a\tb\n\xD83Dz", true), "",
                   notText("row 2", "\\xD8\\x3D\\x00\\x7A", true)},
        DecodeCase{"utf16OddByte", utf16(u"ab", false) + "c", "",
                   notText("row 1", "\\x63", true)},
        // UTF-16 without its mark: NUL bytes.
        DecodeCase{"utf16WithoutMark", std::string("1\0,\0" "2\0", 6), "",
                   notText("row 1", "\\x00\\x2C\\x00\\x32")}),
    testsupport::ByName());

// Many rows of text with a bad byte far in: the row is still named.
TEST(DecodedTableTextRows, NamesALateRow) {
    std::string text;
    for (int i = 0; i < 100000; ++i) {
        text += "\"subject " + std::to_string(i) + "\",1,2,3\r\n";
    }
    text += "x\x01";
    EXPECT_EQ(failureOf([&] { dissim::decodedTableText(text); }),
              notText("row 100001", "\\x01"));
}

} // namespace
