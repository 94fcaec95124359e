#include "table_file.h"

#include "files.h"
#include "table_literal.h"
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
using testsupport::failureOf;
using testsupport::utf16;

// ---- readWholeFile ---------------------------------------------------------------------------

struct WholeFileCase {
    const char* name;
    std::size_t size; // of a file of random bytes
    std::uint64_t limit;
    const char* tooLarge; // nullptr: read whole; otherwise the limit as the failure says it
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
    const auto read = [&] {
        return c.limit == dissim::kMaxTableFileBytes ? dissim::readWholeFile(file)
                                                     : dissim::readWholeFile(file, c.limit);
    };
    if (c.tooLarge == nullptr) {
        EXPECT_EQ(read(), bytes);
    } else {
        EXPECT_EQ(failureOf(read), std::string("the file is larger than ") + c.tooLarge +
                                       ": too large for a table of sort data");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadWholeFile,
    testing::Values(WholeFileCase{"empty", 0, 10, nullptr},
                    WholeFileCase{"emptyWithNoRoom", 0, 0, nullptr},
                    WholeFileCase{"atTheLimit", 10, 10, nullptr},
                    WholeFileCase{"pastTheLimit", 11, 10, "10 bytes"},
                    WholeFileCase{"anyByteIsTooMany", 1, 0, "0 bytes"},
                    // Past the first buffer (the default limit), at and past whole kB and MB.
                    WholeFileCase{"grown", (2 << 20) + 1, dissim::kMaxTableFileBytes, nullptr},
                    WholeFileCase{"atAKilobyteLimit", 65536, 65536, nullptr},
                    WholeFileCase{"pastAKilobyteLimit", 65537, 65536, "64 kB"},
                    WholeFileCase{"pastAMegabyteLimit", 3 << 20, 2 << 20, "2 MB"}),
    testsupport::ByName());

static_assert(dissim::kMaxTableFileBytes == std::uint64_t{1} << 30);

// ---- readTableFile -------------------------------------------------------------------------

struct TableFileCase {
    const char* name;
    std::string bytes;
    char given;
    char separator; // as used
    testsupport::Rows rows;
    const char* failure = nullptr; // its start
};

class ReadTableFile : public testing::TestWithParam<TableFileCase> {};

TEST_P(ReadTableFile, ReadsTextTablesOrFailsClearly) {
    const TableFileCase& c = GetParam();
    if (c.failure != nullptr) {
        const std::string what = failureOf([&] { dissim::readTableFile(c.bytes, {c.given}); });
        EXPECT_NE(what, "(no error)");
        EXPECT_TRUE(what.starts_with(c.failure)) << what;
        return;
    }
    const dissim::TableFile file = dissim::readTableFile(c.bytes, {c.given});
    EXPECT_EQ(file.format, dissim::TableFormat::Text);
    EXPECT_EQ(file.separator, c.separator);
    EXPECT_TRUE(file.sheets.empty());
    EXPECT_EQ(testsupport::rowsOf(file.table), c.rows);
}

TableFileCase failing(const char* name, std::string bytes, const char* failure) {
    return {name, std::move(bytes), 0, 0, {}, failure};
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReadTableFile,
    testing::Values(
        TableFileCase{"guessedSemicolon",
                      "\xEF\xBB\xBF"
                      "a;b\r\n1;2\r\n",
                      0,
                      ';',
                      {{"a", "b"}, {"1", "2"}}},
        TableFileCase{"givenSeparator", "a;b\n1;2\n", ',', ',', {{"a;b"}, {"1;2"}}},
        TableFileCase{"utf16Tab",
                      utf16(u"\"Müller\"\t2\r\n\"Łukasz\"\t3\r\n", false),
                      0,
                      '\t',
                      {{"Müller", "2"}, {"Łukasz", "3"}}},
        TableFileCase{"empty", "", 0, ',', {}},
        failing("notText", std::string("a,b\n\0\0\0\0", 8),
                "row 2 holds bytes that are not text: \\x00\\x00\\x00\\x00"),
        failing("unclosedQuote", "a,\"b\n", "cell B1 (row 1) starts with a quote"),
        failing("longLine", std::string(std::size_t{2} << 20, ' '),
                "cell A1 (row 1) holds more than 1 MB of text: this is no table"),
        // Spreadsheets that are no text: whatever the workbook reader says of them, a failure.
        failing("oldExcel", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0", 10), ""),
        failing("zipOfNoWorkbook", std::string("PK\x03\x04\x14\0\0\0", 8), "")),
    testsupport::ByName());

// Workbooks (tests/data/workbooks, the workbook reader's own): read by content, a sheet chosen.
class WorkbookFile : public testing::TestWithParam<const char*> {};

TEST_P(WorkbookFile, ReadsTheChosenSheet) {
    const std::string bytes = testsupport::readFile(std::filesystem::path(DISSIM_TEST_DATA_DIR) /
                                                    "data/workbooks" / GetParam());
    const dissim::TableFile first = dissim::readTableFile(bytes, {});
    EXPECT_EQ(first.format, std::string_view(GetParam()).ends_with(".ods")
                                ? dissim::TableFormat::Ods
                                : dissim::TableFormat::Xlsx);
    EXPECT_EQ(first.sheets, (std::vector<std::string>{"Cells", "Second sheet", "Empty"}));
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
        // Plain sort data in its forms: numbers only, those the run refuses too.
        KindCase{"empty", "", true, 2, 3, kPlain},
        KindCase{"onlySpaces", " \r\n\t \n", true, 2, 3, kPlain},
        KindCase{"spaces", "1 1 2\n5 6 6\n", true, 2, 3, kPlain},
        KindCase{"separators", "1,1;2,\r\n5;6,6,\r\n", true, 2, 3, kPlain},
        KindCase{"quotedNumbers", "\"1\",\"1\",\"2\"\n", true, 1, 3, kPlain},
        KindCase{"utf8Bom",
                 "\xEF\xBB\xBF"
                 "1 2 3",
                 true, 1, 3, kPlain},
        KindCase{"utf16", utf16(u"1\t2\t3\r\n", false), true, 1, 3, kPlain},
        KindCase{"refusedNumbers", "1.5 40000 1e1 -2 +3 2.0", true, 1, 6, kPlain},
        // Bytes that are not text: the run says so.
        KindCase{"binary", std::string("\x00\x01\x02\x03", 4), true, 2, 3, kPlain},
        KindCase{"latin1Names", "M\xFCller 1 2", true, 2, 3, kPlain},
        // Names, missing values, empty cells, quotes that are no plain number: a table.
        KindCase{"header", "S1,S2,S3\n1,2,3\n", true, 1, 3, kTable},
        KindCase{"rWriteCsv", "\"\",\"J1\",\"J2\"\n\"soap\",1,2\n", true, 2, 1, kTable},
        KindCase{"libreOfficeCsv", ";\"J1\";\"J2\"\n\"S1\";1;2\n", true, 2, 1, kTable},
        KindCase{"twoTrailingCommas", "1,2,,\n", true, 1, 2, kTable},
        KindCase{"quotedText", "\"1 2\" 3", true, 1, 2, kTable},
        KindCase{"quotedLineBreak", "\"a\nb\",1\n", true, 1, 1, kTable},
        KindCase{"textAfterQuote", "\"1\"x 2", true, 1, 2, kTable},
        KindCase{"unclosedQuote", "1 2 \"3", true, 1, 3, kTable},
        // Spreadsheets that are no text at all: the dialog says what they are.
        KindCase{"xlsx", std::string("PK\x03\x04\x14\0\x06\0", 8), false, 2, 3, kTable},
        KindCase{"emptyZip", std::string("PK\x05\x06\0\0", 6), true, 2, 3, kTable},
        KindCase{"oldExcel", std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8), false, 2, 3,
                 kTable},
        // One line per stimulus with a code per subject, for counts that tell the layouts apart.
        KindCase{"transposed", "\n1 2 1\n\n\n1 1 2\n\n", true, 3, 2, kTable},
        KindCase{"transposedCrLfCr", "1,2,1\r\n1,1,2\r", true, 3, 2, kTable},
        KindCase{"subjectLines", "1 2 1\n1 1 2\n", true, 2, 3, kPlain},
        KindCase{"countsAlike", "1 2 1\n1 1 2\n1 1 1\n", true, 3, 3, kPlain},
        KindCase{"fewerLinesThanStimuli", "1 2 1\n1 1 2\n", true, 3, 4, kPlain},
        KindCase{"linesDiffer", "1 2 1\n1 1\n", true, 3, 2, kPlain},
        KindCase{"moreAfterTheLines", "1 2 1\n1 1 2\n1\n", true, 3, 2, kPlain},
        // The start of a larger file: complete lines only, no more of them than stimuli; its
        // end may cut an item, a quote or a character.
        KindCase{"startOfTransposed", "1 2 1\n1 1 2\n1 2", false, 3, 4, kTable},
        KindCase{"startWithMoreLines", "1 2 1\n1 1 2\n1 2 2\n2 2 2\n1 1 1\n1", false, 3, 4, kPlain},
        KindCase{"startOfOneLine", "1 2 1 1 2 1 1", false, 3, 4, kPlain},
        KindCase{"startCutsAnItem", "1 2 1\n1 2 1e", false, 2, 3, kPlain},
        KindCase{"startCutsAQuote", "1 2 1\n1 2 \"1", false, 2, 3, kPlain},
        KindCase{"startCutsAQuotedItem", "1 2 1\n1 2 \"1\"", false, 2, 3, kPlain},
        KindCase{"startCutsUtf8", "Müller 1 2 \xC3", false, 2, 3, kTable},
        KindCase{"wholeFileCutUtf8", "Müller 1 2 \xC3", true, 2, 3, kPlain},
        KindCase{"startCutsUtf16Unit", utf16(u"a 1 2", false) + "3", false, 2, 3, kTable},
        KindCase{"startCutsUtf16Pair", utf16(u"a 1 2\xD83D", false), false, 2, 3, kTable},
        KindCase{"startCutsUtf16PairBigEndian", utf16(u"a 1 2\xD83D", true), false, 2, 3, kTable}),
    testsupport::ByName());

// The plain sort data kept in the tree stays plain, for its counts and for none, cut anywhere;
// those a spreadsheet wrote read as tables of a row per subject too.
struct TreeFile {
    const char* name;
    std::string path;
    std::int64_t subjects;
    std::int64_t stimuli;
    bool spreadsheet = false;
};

class TreeSortData : public testing::TestWithParam<TreeFile> {};

TEST_P(TreeSortData, StaysPlain) {
    const TreeFile& f = GetParam();
    const std::string bytes = testsupport::readFile(f.path);
    EXPECT_EQ(dissim::inputKind(bytes, true, f.subjects, f.stimuli), kPlain);
    EXPECT_EQ(dissim::inputKind(bytes, true, 0, 0), kPlain);
    for (std::size_t cut = 0; cut <= bytes.size(); ++cut) {
        EXPECT_EQ(
            dissim::inputKind(std::string_view(bytes).substr(0, cut), false, f.subjects, f.stimuli),
            kPlain)
            << "cut at " << cut;
    }
    if (f.spreadsheet) {
        const dissim::TableFile file = dissim::readTableFile(bytes, {});
        EXPECT_EQ(file.table.rows(), 5u);
        EXPECT_EQ(file.table.columns(), 12u);
        EXPECT_EQ(file.table.cell(1, 2), "7"); // quoted in the file
        EXPECT_EQ(file.table.cell(3, 11), "-3");
    }
}

const std::string kData = std::string(DISSIM_TEST_DATA_DIR) + "/data/spreadsheet/";
const std::string kE2e = std::string(DISSIM_TEST_DATA_DIR) + "/e2e/data/";

INSTANTIATE_TEST_SUITE_P(
    Table, TreeSortData,
    testing::Values(
        TreeFile{"example", std::string(DISSIM_EXAMPLES_DIR) + "/example-sort-data.txt", 10, 12},
        TreeFile{"semicolonCsv", kData + "study_semicolon.csv", 5, 12, true},
        TreeFile{"utf16Tab", kData + "study_utf16_tab.txt", 5, 12, true},
        TreeFile{"utf16LittleEndianCrLf", kData + "study_utf16le_tab_crlf.txt", 5, 12, true},
        TreeFile{"utf16BigEndianCrLf", kData + "study_utf16be_tab_crlf.txt", 5, 12, true},
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
