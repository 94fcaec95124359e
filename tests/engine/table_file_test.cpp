#include "table_file.h"

#include "files.h"
#include "run_error.h"
#include "temp_dir.h"
#include "test_names.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using dissim::InputKind;

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

template <typename Call> std::string failureOf(Call call) {
    try {
        call();
    } catch (const dissim::RunError& error) {
        return error.what();
    }
    return "(no error)";
}

std::string sourceFile(const char* dir, const std::string& name) {
    return testsupport::readFile(std::filesystem::path(dir) / name);
}

// ---- readWholeFile ---------------------------------------------------------------------------

struct WholeFileCase {
    const char* name;
    std::size_t size;     // of a file of random bytes
    std::uint64_t limit;
    const char* message;  // nullptr: read whole
};

class ReadWholeFile : public testing::TestWithParam<WholeFileCase> {};

TEST_P(ReadWholeFile, ReadsUpToTheLimit) {
    const WholeFileCase& c = GetParam();
    std::mt19937 random(7);
    std::string bytes(c.size, '\0');
    for (char& b : bytes) {
        b = static_cast<char>(random());
    }
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("table.csv"), bytes);
    dissim::InputFile file(dir.file("table.csv"));
    if (c.message == nullptr) {
        EXPECT_EQ(dissim::readWholeFile(file, c.limit), bytes);
    } else {
        EXPECT_EQ(failureOf([&] { dissim::readWholeFile(file, c.limit); }), c.message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadWholeFile,
    testing::Values(WholeFileCase{"empty", 0, 10, nullptr},
                    WholeFileCase{"emptyWithNoRoom", 0, 0, nullptr},
                    WholeFileCase{"small", 10, 1000, nullptr},
                    WholeFileCase{"atTheLimit", 10, 10, nullptr},
                    WholeFileCase{"pastTheLimit", 11, 10,
                                  "the file is larger than 10 bytes: too large for a table of sort "
                                  "data"},
                    WholeFileCase{"anyByteIsTooMany", 1, 0,
                                  "the file is larger than 0 bytes: too large for a table of sort "
                                  "data"},
                    // Past the first buffer, and at and past a limit of whole kilobytes.
                    WholeFileCase{"grown", 1000000, dissim::kMaxTableFileBytes, nullptr},
                    WholeFileCase{"atAKilobyteLimit", 65536, 65536, nullptr},
                    WholeFileCase{"pastAKilobyteLimit", 65537, 65536,
                                  "the file is larger than 64 kB: too large for a table of sort "
                                  "data"},
                    WholeFileCase{"pastAMegabyteLimit", 3 << 20, 2 << 20,
                                  "the file is larger than 2 MB: too large for a table of sort "
                                  "data"}),
    testsupport::ByName());

TEST(ReadWholeFileLimit, IsOneGigabyte) {
    EXPECT_EQ(dissim::kMaxTableFileBytes, std::uint64_t{1} << 30);
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("big.csv"), std::string((2 << 20) + 1, 'x'));
    dissim::InputFile file(dir.file("big.csv"));
    EXPECT_EQ(dissim::readWholeFile(file).size(), (2u << 20) + 1);
}

// ---- readTableFile -------------------------------------------------------------------------

struct TableFileCase {
    const char* name;
    std::string bytes;
    dissim::TableFileOptions options;
    char separator; // as used
    std::vector<std::vector<std::string>> rows;
};

class ReadTableFile : public testing::TestWithParam<TableFileCase> {};

TEST_P(ReadTableFile, ReadsTextTables) {
    const TableFileCase& c = GetParam();
    const dissim::TableFile file = dissim::readTableFile(c.bytes, c.options);
    EXPECT_EQ(file.format, dissim::TableFormat::Text);
    EXPECT_EQ(file.separator, c.separator);
    EXPECT_TRUE(file.sheets.empty());
    std::vector<std::vector<std::string>> rows;
    for (std::size_t r = 0; r < file.table.rows(); ++r) {
        rows.emplace_back();
        for (std::size_t col = 0; col < file.table.cellsIn(r); ++col) {
            rows.back().emplace_back(file.table.cell(r, col));
        }
    }
    EXPECT_EQ(rows, c.rows);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadTableFile,
    testing::Values(
        TableFileCase{"guessedComma", "a,b\n1,2\n", {}, ',', {{"a", "b"}, {"1", "2"}}},
        TableFileCase{"guessedSemicolon", "\xEF\xBB\xBF" "a;b\r\n1;2\r\n", {}, ';',
                      {{"a", "b"}, {"1", "2"}}},
        TableFileCase{"givenSeparator", "a;b\n1;2\n", {','}, ',', {{"a;b"}, {"1;2"}}},
        TableFileCase{"givenTab", "a,b\tc\n", {'\t'}, '\t', {{"a,b", "c"}}},
        TableFileCase{"utf16Tab", utf16(u"\"Müller\"\t2\r\n\"Łukasz\"\t3\r\n", false), {}, '\t',
                      {{"Müller", "2"}, {"Łukasz", "3"}}},
        TableFileCase{"utf16BigEndian", utf16(u"x;y\n", true), {}, ';', {{"x", "y"}}},
        TableFileCase{"empty", "", {}, ',', {}}),
    testsupport::ByName());

struct TableFileFailure {
    const char* name;
    std::string bytes;
    const char* message; // the failure's start
};

class ReadTableFileFailure : public testing::TestWithParam<TableFileFailure> {};

TEST_P(ReadTableFileFailure, FailsClearly) {
    const std::string what = failureOf([&] { dissim::readTableFile(GetParam().bytes, {}); });
    EXPECT_NE(what, "(no error)");
    EXPECT_TRUE(what.starts_with(GetParam().message)) << what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadTableFileFailure,
    testing::Values(
        TableFileFailure{"notText", std::string("a,b\n\0\0\0\0", 8),
                         "row 2 holds bytes that are not text: \\x00\\x00\\x00\\x00"},
        TableFileFailure{"unclosedQuote", "a,\"b\n", "cell B1 (row 1) starts with a quote"},
        // Spreadsheets that are no text: whatever the workbook reader says of them, a failure.
        TableFileFailure{"oldExcel", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), ""},
        TableFileFailure{"zipOfNoWorkbook", std::string("PK\x03\x04\x14\0\0\0", 8), ""}),
    testsupport::ByName());

TEST(ReadTableFileLimits, HugeLineFails) {
    const std::string bytes(std::size_t{100} << 20, ' ');
    EXPECT_EQ(failureOf([&] { dissim::readTableFile(bytes, {}); }),
              "cell A1 (row 1) holds more than 1 MB of text: this is no table of sort data");
}

// Workbooks (tests/data/workbooks, the workbook reader's own): read by content, a sheet chosen.
class WorkbookFile : public testing::TestWithParam<const char*> {};

TEST_P(WorkbookFile, ReadsTheChosenSheet) {
    const std::string bytes =
        sourceFile(DISSIM_TEST_DATA_DIR, std::string("data/workbooks/") + GetParam());
    const std::vector<std::string> sheets = {"Cells", "Second sheet", "Empty"};
    const dissim::TableFile first = dissim::readTableFile(bytes, {});
    EXPECT_EQ(first.format, std::string_view(GetParam()).ends_with(".ods")
                                ? dissim::TableFormat::Ods
                                : dissim::TableFormat::Xlsx);
    EXPECT_EQ(first.sheets, sheets);
    EXPECT_EQ(first.sheet, 0u);
    EXPECT_EQ(first.table.name, "Cells");
    dissim::TableFileOptions second;
    second.sheet = 1;
    second.separator = ';'; // a text table's only
    const dissim::TableFile file = dissim::readTableFile(bytes, second);
    EXPECT_EQ(file.sheet, 1u);
    EXPECT_EQ(file.table.name, "Second sheet");
    EXPECT_EQ(file.table.cell(0, 0), "second");
    dissim::TableFileOptions past;
    past.sheet = 3;
    EXPECT_EQ(failureOf([&] { dissim::readTableFile(bytes, past); }),
              "the workbook has 3 sheets: there is no sheet 4");
    // The input step takes it for a table, from its first bytes alone.
    EXPECT_EQ(dissim::inputKind(std::string_view(bytes).substr(0, 100), false, 2, 3),
              InputKind::Table);
}

INSTANTIATE_TEST_SUITE_P(Table, WorkbookFile, testing::Values("cells.xlsx", "cells.ods"));

// The sort data files a spreadsheet wrote read as tables too: five rows of twelve codes.
class SpreadsheetFileAsTable : public testing::TestWithParam<const char*> {};

TEST_P(SpreadsheetFileAsTable, HoldsFiveRowsOfTwelve) {
    const std::string bytes = sourceFile(DISSIM_TEST_DATA_DIR, std::string("data/spreadsheet/") +
                                                                   GetParam());
    const dissim::TableFile file = dissim::readTableFile(bytes, {});
    EXPECT_EQ(file.table.rows(), 5u);
    EXPECT_EQ(file.table.columns(), 12u);
    EXPECT_EQ(file.table.cell(1, 2), "7"); // quoted in the file
    EXPECT_EQ(file.table.cell(3, 11), "-3");
}

INSTANTIATE_TEST_SUITE_P(Table, SpreadsheetFileAsTable,
                         testing::Values("study_semicolon.csv", "study_utf16_tab.txt",
                                         "study_utf16le_tab_crlf.txt",
                                         "study_utf16be_tab_crlf.txt"));

// ---- inputKind -------------------------------------------------------------------------------

struct KindCase {
    const char* name;
    std::string bytes;
    bool wholeFile;
    std::int64_t subjects;
    std::int64_t stimuli;
    InputKind kind;
};

class InputKindOf : public testing::TestWithParam<KindCase> {};

TEST_P(InputKindOf, TellsPlainSortDataFromTables) {
    const KindCase& c = GetParam();
    EXPECT_EQ(dissim::inputKind(c.bytes, c.wholeFile, c.subjects, c.stimuli), c.kind);
}

constexpr InputKind kPlain = InputKind::Plain;
constexpr InputKind kTable = InputKind::Table;

INSTANTIATE_TEST_SUITE_P(
    Table, InputKindOf,
    testing::Values(
        // Plain sort data in its forms: numbers only.
        KindCase{"empty", "", true, 2, 3, kPlain},
        KindCase{"onlySpaces", " \r\n\t \n", true, 2, 3, kPlain},
        KindCase{"spaces", "1 1 2\n5 6 6\n", true, 2, 3, kPlain},
        KindCase{"noCounts", "1 1 2\n5 6 6\n", true, 0, 0, kPlain},
        KindCase{"commas", "1,1,2,\n5,6,6,\n", true, 2, 3, kPlain},
        KindCase{"semicolons", "1;1;2\r\n5;6;6\r\n", true, 2, 3, kPlain},
        KindCase{"quotedNumbers", "\"1\",\"1\",\"2\"\n", true, 1, 3, kPlain},
        KindCase{"utf8Bom", "\xEF\xBB\xBF" "1 2 3", true, 1, 3, kPlain},
        KindCase{"utf16", utf16(u"1\t2\t3\r\n", false), true, 1, 3, kPlain},
        KindCase{"onePerLine", "1\n2\n1\n1\n1\n2\n", true, 2, 3, kPlain},
        // Numbers the run refuses are still numbers: the run says what is wrong with them.
        KindCase{"fraction", "1.5 2 3", true, 1, 3, kPlain},
        KindCase{"tooLarge", "40000 2 3", true, 1, 3, kPlain},
        KindCase{"exponent", "1e1 -2 +3 2.0", true, 1, 4, kPlain},
        KindCase{"tooFewCodes", "1 2", true, 5, 12, kPlain},
        // Bytes that are not text: the run says so.
        KindCase{"binary", std::string("\x00\x01\x02\x03", 4), true, 2, 3, kPlain},
        KindCase{"nulAfterNames", std::string("name\0", 5), true, 2, 3, kPlain},
        KindCase{"latin1Names", "M\xFCller 1 2", true, 2, 3, kPlain},
        KindCase{"utf16LoneSurrogate", utf16(u"a \xDC00", false), true, 2, 3, kPlain},
        // Names, labels, headers, missing values: a table.
        KindCase{"header", "S1,S2,S3\n1,2,3\n", true, 1, 3, kTable},
        KindCase{"rowNames", "apple 1 2\npear 1 1\n", true, 2, 2, kTable},
        KindCase{"rWriteCsv", "\"\",\"J1\",\"J2\"\n\"soap\",1,2\n", true, 2, 1, kTable},
        KindCase{"libreOfficeCsv", ";\"J1\";\"J2\"\n\"S1\";1;2\n", true, 2, 1, kTable},
        KindCase{"notAvailable", "1,2,NA\n", true, 1, 3, kTable},
        KindCase{"wordsAsGroups", "G3 G1 G3\n", true, 1, 3, kTable},
        KindCase{"utf16Names", utf16(u"\"Müller\"\t1\r\n", true), true, 1, 1, kTable},
        KindCase{"quotedText", "\"1 2\" 3", true, 1, 2, kTable},
        KindCase{"emptyQuoted", "1,\"\",3", true, 1, 3, kTable},
        KindCase{"emptyCell", "1,,3\n", true, 1, 3, kTable},
        KindCase{"leadingComma", ",1,3\n", true, 1, 2, kTable},
        KindCase{"twoTrailingCommas", "1,2,,\n", true, 1, 2, kTable},
        KindCase{"quotedLineBreak", "\"a\nb\",1\n", true, 1, 1, kTable},
        KindCase{"textAfterQuote", "\"1\"x 2", true, 1, 2, kTable},
        KindCase{"unclosedQuote", "1 2 \"3", true, 1, 3, kTable},
        // Spreadsheets that are no text at all: the dialog says what they are.
        KindCase{"xlsx", std::string("PK\x03\x04\x14\0\x06\0", 8), false, 2, 3, kTable},
        KindCase{"emptyZip", std::string("PK\x05\x06\0\0", 6), true, 2, 3, kTable},
        KindCase{"oldExcel", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), false, 2, 3,
                 kTable},
        // One line per stimulus with a code per subject, for counts that tell the layouts apart.
        KindCase{"transposed", "1 2 1\n1 1 2\n", true, 3, 2, kTable},
        KindCase{"transposedCrLf", "1,2,1\r\n1,1,2\r\n", true, 3, 2, kTable},
        KindCase{"transposedCr", "1 2 1\r1 1 2", true, 3, 2, kTable},
        KindCase{"transposedBlankLines", "\n1 2 1\n\n\n1 1 2\n\n", true, 3, 2, kTable},
        KindCase{"transposedUtf16", utf16(u"1\t2\t1\r\n1\t1\t2\r\n", false), true, 3, 2, kTable},
        KindCase{"subjectLines", "1 2 1\n1 1 2\n", true, 2, 3, kPlain},
        KindCase{"countsAlike", "1 2 1\n1 1 2\n1 1 1\n", true, 3, 3, kPlain},
        KindCase{"oneSubject", "1 2\n", true, 1, 2, kPlain},
        KindCase{"oneStimulus", "1\n2\n", true, 2, 1, kPlain},
        KindCase{"noCountsTyped", "1 2 1\n1 1 2\n", true, 0, 0, kPlain},
        KindCase{"fewerLinesThanStimuli", "1 2 1\n1 1 2\n", true, 3, 4, kPlain},
        KindCase{"linesDiffer", "1 2 1\n1 1\n", true, 3, 2, kPlain},
        KindCase{"moreAfterTheLines", "1 2 1\n1 1 2\n1\n", true, 3, 2, kPlain},
        // The start of a larger file: complete lines only, no more of them than stimuli.
        KindCase{"startOfTransposed", "1 2 1\n1 1 2\n1 2", false, 3, 4, kTable},
        KindCase{"startWithMoreLines", "1 2 1\n1 1 2\n1 2 2\n2 2 2\n1 1 1\n1", false, 3, 4,
                 kPlain},
        KindCase{"startOfOneLine", "1 2 1 1 2 1 1", false, 3, 4, kPlain},
        // The end of the start may cut an item, a quote or a character.
        KindCase{"startCutsAnItem", "1 2 1\n1 2 1e", false, 2, 3, kPlain},
        KindCase{"startCutsAQuote", "1 2 1\n1 2 \"1", false, 2, 3, kPlain},
        KindCase{"startCutsAQuotedItem", "1 2 1\n1 2 \"1\"", false, 2, 3, kPlain},
        KindCase{"startCutsUtf8", "Müller 1 2 \xC3", false, 2, 3, kTable},
        KindCase{"wholeFileCutUtf8", "Müller 1 2 \xC3", true, 2, 3, kPlain},
        KindCase{"startCutsUtf16Unit", utf16(u"a 1 2", false) + "3", false, 2, 3, kTable},
        KindCase{"startCutsUtf16Pair", utf16(u"a 1 2\xD83D", false), false, 2, 3, kTable},
        KindCase{"startCutsUtf16PairBigEndian", utf16(u"a 1 2\xD83D", true), false, 2, 3,
                 kTable},
        KindCase{"wholeFileCutUtf16", utf16(u"a 1 2", false) + "3", true, 2, 3, kPlain}),
    testsupport::ByName());

// The plain sort data kept in the tree stays plain, for the counts it holds and for none.
struct TreeFile {
    const char* name;
    std::string path;
    std::int64_t subjects;
    std::int64_t stimuli;
};

class TreeSortData : public testing::TestWithParam<TreeFile> {};

TEST_P(TreeSortData, StaysPlain) {
    const TreeFile& f = GetParam();
    const std::string bytes = testsupport::readFile(f.path);
    EXPECT_EQ(dissim::inputKind(bytes, true, f.subjects, f.stimuli), kPlain);
    EXPECT_EQ(dissim::inputKind(bytes, true, 0, 0), kPlain);
    // And as the start of a larger file, cut anywhere.
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        EXPECT_EQ(dissim::inputKind(std::string_view(bytes).substr(0, cut), false, f.subjects,
                                    f.stimuli),
                  kPlain)
            << "cut at " << cut;
    }
}

const std::string kData = std::string(DISSIM_TEST_DATA_DIR) + "/data/spreadsheet/";
const std::string kE2e = std::string(DISSIM_TEST_DATA_DIR) + "/e2e/data/";

INSTANTIATE_TEST_SUITE_P(
    Table, TreeSortData,
    testing::Values(
        TreeFile{"example", std::string(DISSIM_EXAMPLES_DIR) + "/example-sort-data.txt", 10, 12},
        TreeFile{"semicolonCsv", kData + "study_semicolon.csv", 5, 12},
        TreeFile{"utf16Tab", kData + "study_utf16_tab.txt", 5, 12},
        TreeFile{"utf16LittleEndianCrLf", kData + "study_utf16le_tab_crlf.txt", 5, 12},
        TreeFile{"utf16BigEndianCrLf", kData + "study_utf16be_tab_crlf.txt", 5, 12},
        TreeFile{"fiveSubjects", kE2e + "five_subjects_twelve_stimuli.txt", 5, 12},
        TreeFile{"twoSubjects", kE2e + "two_subjects_three_stimuli.txt", 2, 3}),
    testsupport::ByName());

// Past the look the dialog takes (a megabyte), a long plain file is looked at only so far.
TEST(InputKindStart, LooksAtAMegabyte) {
    std::string bytes;
    while (bytes.size() < dissim::kInputLookBytes + 100) {
        bytes += "1 2 3 4 5 6 7 8 9 10 11 12\n";
    }
    const std::string_view start = std::string_view(bytes).substr(0, dissim::kInputLookBytes);
    EXPECT_EQ(dissim::inputKind(start, false, 40000, 12), kPlain);
    EXPECT_EQ(dissim::inputKind(start, false, 12, 40000), kTable);
}

} // namespace
