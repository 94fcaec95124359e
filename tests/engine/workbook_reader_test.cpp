// Workbooks read as tables: the files that LibreOffice, openpyxl and XlsxWriter wrote
// (tests/data/workbooks, made by make_workbooks.sh) show their cells as the spreadsheet does;
// the hand-made and hostile ones fail with a clear message; the sheet readers take their XML
// parts directly as well. Each a table of cases.

#include "ods_sheet_reader.h"
#include "run_error.h"
#include "temp_dir.h"
#include "workbook_reader.h"
#include "xlsx_sheet_reader.h"
#include "zip_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using dissim::RunError;
using dissim::Table;
using dissim::WorkbookKind;

std::string workbookFile(const std::string& name) {
    return testsupport::readFile(std::string(DISSIM_TEST_DATA_DIR) + "/data/workbooks/" + name);
}

// The table as text: cells between '|', rows on lines; a line feed in a cell as "\n".
std::string shown(const Table& table) {
    std::string text;
    for (std::size_t row = 0; row < table.rows(); ++row) {
        for (std::size_t column = 0; column < table.cellsIn(row); ++column) {
            if (column > 0) {
                text += '|';
            }
            for (const char c : table.cell(row, column)) {
                text += c == '\n' ? std::string("\\n") : std::string(1, c);
            }
        }
        text += '\n';
    }
    return text;
}

template <typename Fn> std::string failure(Fn fn) {
    try {
        fn();
    } catch (const RunError& error) {
        return error.what();
    }
    return {};
}

// The study of five subjects over twelve stimuli in each layout, as make_workbooks.py wrote it.
const char* const kSubjectRows =
    "subject|apple|banana|cherry|date|elderberry|fig|grape|honeydew|kiwi|lemon|mango|nectarine\n"
    "P01|1|1|2|2|3|3|1|4|4|2|3|1\n"
    "P02|7|7|7|8|8|9|9|9|7|8|9|7\n"
    "P03|1|2|3|4|5|6|7|8|9|10|11|12\n"
    "P04|-3|-3|-3|-3|-3|-3|-3|-3|-3|-3|-3|-3\n"
    "P05|2|1|2|1|2|1|2|1|2|1|2|1\n";

const char* const kStimulusWords = "stimulus|P01|P02|P03|P04|P05\n"
                                   "apple|red|sweet|sour|big|round\n"
                                   "banana|red|sweet|big|big|small\n"
                                   "cherry|sweet|sweet|small|big|round\n"
                                   "date|sweet|sour|round|big|small\n"
                                   "elderberry|sour|sour|long|big|round\n"
                                   "fig|sour|big|soft|big|small\n"
                                   "grape|red|big|hard|big|round\n"
                                   "honeydew|big|big|dry|big|small\n"
                                   "kiwi|big|sweet|juicy|big|round\n"
                                   "lemon|sweet|sour|green|big|small\n"
                                   "mango|sour|big|red|big|round\n"
                                   "nectarine|red|sweet|sweet|big|small\n";

// LibreOffice's cells.xlsx and cells.ods (from cells.fods): the same cells either way.
const char* const kLibreOfficeCells = "text|rich bold and italic|two\\nlines|a  b\n"
                                      "3|0.3|1E-20|3\n"
                                      "TRUE|FALSE|#DIV/0!|text!\n"
                                      "||7\n"
                                      "merged||0.25|-12.5\n"
                                      "same|same|same\n"
                                      "same|same|same\n"
                                      "same|same|same\n"
                                      "1.23456789012346E+17|0.000012345||D9\n";

struct SheetCase {
    const char* file;
    std::size_t sheet;
    const char* name;
    const char* table;
};

const SheetCase kSheets[] = {
    {"cells.xlsx", 0, "Cells", kLibreOfficeCells},
    {"cells.ods", 0, "Cells", kLibreOfficeCells},
    {"cells.xlsx", 1, "Second sheet", "second\n|2\n"},
    {"cells.ods", 1, "Second sheet", "second\n|2\n"},
    {"cells-openpyxl.xlsx", 0, "Data",
     "text|3|0.3|3|TRUE||1E-20\n"
     "|FALSE|-0.5|1.23456789012346E+19|\xC3\xBCn\xC3\xAF"
     "c\xC3\xB6"
     "d\xC3\xA9\n"
     "merged||7\n"},
    {"cells-openpyxl.xlsx", 1, "Zweite Seite", "\n|b2\n"},
    {"cells-xlsxwriter.xlsx", 0, "Values",
     "text|rich bold text\n"
     "3|0.3|ab|#DIV/0!|TRUE\n"
     "FALSE|merged||1E-20\n"},
    {"inline-xlsxwriter.xlsx", 0, "Inline", "subject|apple|banana\nP01|1|2\nP02|two words|2.5\n"},
    {"study-subject-rows.xlsx", 0, "study-subject-rows", kSubjectRows},
    {"study-subject-rows.ods", 0, "study-subject-rows", kSubjectRows},
    {"study-stimulus-words.xlsx", 0, "study-stimulus-words", kStimulusWords},
    {"study-stimulus-words.ods", 0, "study-stimulus-words", kStimulusWords},
    {"handmade/hand-made.xlsx", 3, "First",
     "plain||rich runs\n"
     "\xE6\xBC\xA2\xE5\xAD\x97|line\r\\nbreak _x0041_ & <tag> A|4.5\n"
     "\n"
     "\n"
     "|inline|#N/A|2024-03-15T00:00:00|TRUE||plain\n"},
    {"handmade/hand-made.xlsx", 0, "Later", "\n|0.3\n"},
    {"handmade/repeats.ods", 0, "Repeats", "a|||b|b|b\n\n\nc|2.5\nc|2.5\n"},
};

TEST(WorkbookReader, ShowsCellsAsTheSpreadsheetDoes) {
    for (const SheetCase& c : kSheets) {
        const std::string bytes = workbookFile(c.file);
        const Table table = dissim::readWorkbookSheet(bytes, c.sheet);
        EXPECT_EQ(table.name, c.name) << c.file;
        EXPECT_EQ(shown(table), c.table) << c.file << " sheet " << c.sheet;
    }
}

TEST(WorkbookReader, ReadsEveryLayoutOfTheStudyAlikeInBothKinds) {
    for (const char* study : {"study-subject-rows", "study-stimulus-rows", "study-stimulus-words",
                              "study-long", "study-group-rows"}) {
        const std::string xlsx = workbookFile(std::string(study) + ".xlsx");
        const std::string ods = workbookFile(std::string(study) + ".ods");
        EXPECT_EQ(dissim::workbookKind(xlsx), WorkbookKind::Xlsx) << study;
        EXPECT_EQ(dissim::workbookKind(ods), WorkbookKind::Ods) << study;
        EXPECT_EQ(dissim::workbookSheetNames(xlsx), std::vector<std::string>{study});
        const Table fromXlsx = dissim::readWorkbookSheet(xlsx, 0);
        EXPECT_EQ(shown(fromXlsx), shown(dissim::readWorkbookSheet(ods, 0))) << study;
        EXPECT_GE(fromXlsx.rows(), 6u) << study;
    }
}

struct NamesCase {
    const char* file;
    std::vector<std::string> names;
};

TEST(WorkbookReader, NamesSheetsInTheWorkbooksOrder) {
    const NamesCase cases[] = {
        {"cells.xlsx", {"Cells", "Second sheet", "Empty"}},
        {"cells.ods", {"Cells", "Second sheet", "Empty"}},
        {"cells-openpyxl.xlsx", {"Data", "Zweite Seite"}},
        {"handmade/hand-made.xlsx", {"Later", "Chart", "Macro", "First"}},
        {"handmade/repeats.ods", {"Repeats", "Blank"}},
    };
    for (const NamesCase& c : cases) {
        EXPECT_EQ(dissim::workbookSheetNames(workbookFile(c.file)), c.names) << c.file;
    }
}

struct FailureCase {
    const char* file;
    std::size_t sheet;
    WorkbookKind kind;
    const char* unreadable; // unreadableSpreadsheet's sentence ("" for none)
    const char* failure;    // readWorkbookSheet's message
};

const char* const kPassword =
    "the workbook is protected by a password: open it in your spreadsheet, remove the password "
    "and save it again";
const char* const kSheetPart = "the workbook's part \"xl/worksheets/sheet1.xml\" ";

const FailureCase kFailures[] = {
    {"cells.xlsx", 2, WorkbookKind::Xlsx, "",
     "the sheet \"Empty\" is empty: it has no cells with values"},
    {"cells.ods", 2, WorkbookKind::Ods, "",
     "the sheet \"Empty\" is empty: it has no cells with values"},
    {"cells.xlsx", 3, WorkbookKind::Xlsx, "",
     "the workbook has 3 sheets: it has no sheet number 4"},
    {"cells.ods", 3, WorkbookKind::Ods, "", "the workbook has 3 sheets: it has no sheet number 4"},
    {"handmade/hand-made.xlsx", 1, WorkbookKind::Xlsx, "",
     "the sheet \"Chart\" is a chart: it has no cells to read"},
    {"handmade/hand-made.xlsx", 2, WorkbookKind::Xlsx, "",
     "the sheet \"Macro\" is a macro sheet (Excel 4.0 macros): it has no cells to read"},
    {"handmade/chart-only.xlsx", 0, WorkbookKind::Xlsx, "",
     "the sheet \"Chart1\" is a chart: it has no cells to read"},
    {"handmade/no-sheets.xlsx", 0, WorkbookKind::Xlsx, "", "the workbook has no sheets"},
    {"handmade/no-sheets.ods", 0, WorkbookKind::Ods, "", "the workbook has no sheets"},
    {"handmade/repeats.ods", 1, WorkbookKind::Ods, "",
     "the sheet \"Blank\" is empty: it has no cells with values"},
    {"handmade/encrypted.ods", 0, WorkbookKind::Ods, kPassword, kPassword},
    {"handmade/encrypted.xlsx", 0, WorkbookKind::NotAWorkbook, kPassword, kPassword},
    {"handmade/old.xls", 0, WorkbookKind::NotAWorkbook,
     "the file is an old binary Excel workbook (.xls), which this program cannot read: open it "
     "in your spreadsheet and save it as .xlsx or .ods",
     "the file is an old binary Excel workbook (.xls), which this program cannot read: open it "
     "in your spreadsheet and save it as .xlsx or .ods"},
    {"handmade/numbers.numbers", 0, WorkbookKind::NotAWorkbook,
     "the file is an Apple Numbers document, which this program cannot read: export it from "
     "Numbers as .xlsx",
     "the file is an Apple Numbers document, which this program cannot read: export it from "
     "Numbers as .xlsx"},
    {"handmade/other.zip", 0, WorkbookKind::NotAWorkbook,
     "the file is a zip archive that holds no workbook: this program reads .xlsx and .ods "
     "workbooks",
     "the file is a zip archive that holds no workbook: this program reads .xlsx and .ods "
     "workbooks"},
    {"handmade/truncated.xlsx", 0, WorkbookKind::NotAWorkbook,
     "the file is a damaged zip archive (a workbook cut short?): save it again from your "
     "spreadsheet as .xlsx or .ods",
     "the file is a damaged zip archive (a workbook cut short?): save it again from your "
     "spreadsheet as .xlsx or .ods"},
    {"handmade/bomb-declared.xlsx", 0, WorkbookKind::Xlsx, "",
     "the workbook's part \"xl/worksheets/sheet1.xml\" inflates to more than 1 GB, far more than "
     "a table needs: the file is no workbook a spreadsheet saves (a zip bomb?)"},
    {"handmade/bomb-understated.xlsx", 0, WorkbookKind::Xlsx, "",
     "the workbook's part \"xl/worksheets/sheet1.xml\" is damaged: not well-formed (invalid "
     "token) (line 1, column 2)"},
    {"handmade/corrupt.xlsx", 0, WorkbookKind::Xlsx, "",
     "the workbook's part \"xl/worksheets/sheet1.xml\" is damaged: it does not inflate to what "
     "the archive says"},
    {"handmade/doctype.xlsx", 0, WorkbookKind::Xlsx, "",
     "the workbook's part \"xl/worksheets/sheet1.xml\" is damaged: it holds a document type "
     "declaration (<!DOCTYPE ...>), which a workbook's parts never have"},
    {"handmade/external-entity.xlsx", 0, WorkbookKind::Xlsx, "",
     "the workbook's part \"xl/worksheets/sheet1.xml\" is damaged: it holds a document type "
     "declaration (<!DOCTYPE ...>), which a workbook's parts never have"},
    {"handmade/deep.xlsx", 0, WorkbookKind::Xlsx, "",
     "the workbook's part \"xl/worksheets/sheet1.xml\" is damaged: its elements nest more than "
     "256 deep, far deeper than a workbook's"},
};

TEST(WorkbookReader, FailsClearly) {
    for (const FailureCase& c : kFailures) {
        const std::string bytes = workbookFile(c.file);
        EXPECT_EQ(dissim::workbookKind(bytes), c.kind) << c.file;
        EXPECT_EQ(dissim::unreadableSpreadsheet(bytes), c.unreadable) << c.file;
        EXPECT_EQ(failure([&] { dissim::readWorkbookSheet(bytes, c.sheet); }), c.failure) << c.file;
    }
}

TEST(WorkbookReader, LeavesOtherFilesToOthers) {
    for (const std::string& bytes :
         {std::string(), std::string("1 2 3\n4 5 6\n"), std::string("a;b\n\"c\";d\n"),
          std::string("\xFF\xFE"
                      "a\0b\0",
                      6),
          std::string("PK")}) {
        EXPECT_EQ(dissim::workbookKind(bytes), WorkbookKind::NotAWorkbook);
        EXPECT_EQ(dissim::unreadableSpreadsheet(bytes), "");
        EXPECT_EQ(failure([&] { dissim::workbookSheetNames(bytes); }),
                  "the file is no workbook (.xlsx or .ods)");
    }
}

// --- The sheet readers on their XML parts, as the fuzz target feeds them.

const char* const kMain = "http://schemas.openxmlformats.org/spreadsheetml/2006/main";

std::string xlsxSheet(const std::string& rows) {
    return std::string("<worksheet xmlns=\"") + kMain + "\"><sheetData>" + rows +
           "</sheetData><mergeCells><mergeCell ref=\"A1:B1\"/></mergeCells></worksheet>";
}

struct XlsxCase {
    std::string rows;
    std::string table;   // when it reads
    std::string failure; // when it fails
};

std::vector<XlsxCase> xlsxCases() {
    return {
        {"<row r=\"2\"><c r=\"B2\"><v>1</v></c></row>", "\n|1\n", ""},
        {"<row><c><v>1</v></c><c><v>2</v></c></row><row><c r=\"C2\"><v>3</v></c><c><v>4</v>"
         "</c></row>",
         "1|2\n||3|4\n", ""},
        {"<row><c t=\"s\"><v>1</v></c><c t=\"s\"><v>0</v></c></row>", "two|one\n", ""},
        {"<row><c t=\"b\"><v>0</v></c><c t=\"e\"><v>#REF!</v></c><c t=\"str\"><f>A1</f><v>a_x0009_b"
         "</v></c><c s=\"1\"/><c><f>1+1</f></c></row>",
         "FALSE|#REF!|a\tb\n", ""},
        {"<row><c t=\"inlineStr\"><is><r><t>a</t></r><r><t xml:space=\"preserve\"> b</t></r>"
         "</is></c></row>",
         "a b\n", ""},
        {"<row r=\"1048576\"><c r=\"XFD1048576\"><v>9</v></c></row>", "", ""},
        {"<row><c r=\"B1\"><v>1</v></c><c r=\"A1\"><v>2</v></c></row>", "",
         "the sheet \"S\" is damaged: its cell A1 comes after B1"},
        {"<row><c t=\"s\"><v>2</v></c></row>", "",
         "the sheet \"S\" is damaged: its cell A1 refers to shared string \"2\", of 2"},
        {"<row><c t=\"s\"><v>x</v></c></row>", "",
         "the sheet \"S\" is damaged: its cell A1 refers to shared string \"x\", of 2"},
        {"<row><c r=\"1A\"><v>1</v></c></row>", "",
         "the sheet \"S\" is damaged: it has a cell named \"1A\""},
        {"<row r=\"0\"/>", "", "the sheet \"S\" is damaged: it has a row numbered \"0\""},
        {"<row r=\"99999999\"><c><v>1</v></c></row>", "",
         "the sheet \"S\" is damaged: it has a row numbered \"99999999\""},
        {"<row r=\"1048577\"><c><v>1</v></c></row>", "",
         "the sheet \"S\" has a value past the last row a spreadsheet has"},
        {"<row><c r=\"XFE1\"><v>1</v></c></row>", "",
         "the sheet \"S\" has a value past the last column a spreadsheet has"},
    };
}

TEST(XlsxSheetReader, ReadsASheetPart) {
    dissim::XlsxSharedStringsReader strings("the strings");
    strings.feed(std::string("<sst xmlns=\"") + kMain +
                 "\"><si><t>one</t></si><si><r><t>tw</t></r><r><t>o</t></r></si></sst>");
    const dissim::XlsxSharedStrings shared = strings.finish();
    ASSERT_EQ(shared.size(), 2u);
    for (const XlsxCase& c : xlsxCases()) {
        dissim::XlsxSheetReader reader("the part", "the sheet \"S\"", shared);
        bool empty = true;
        const std::string message = failure([&] {
            reader.feed(xlsxSheet(c.rows));
            const Table table = reader.finish(empty);
            if (c.rows.find("XFD1048576") != std::string::npos) {
                // The last cell a sheet has: a million rows and 16,384 cells, all but one empty.
                EXPECT_EQ(table.rows(), 1048576u);
                EXPECT_EQ(table.cell(1048575, 16383), "9");
            } else {
                EXPECT_EQ(shown(table), c.table) << c.rows;
            }
        });
        EXPECT_EQ(message, c.failure) << c.rows;
    }
}

std::string odsContent(const std::string& tables) {
    return "<office:document-content xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:"
           "1.0\" xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" xmlns:text=\""
           "urn:oasis:names:tc:opendocument:xmlns:text:1.0\" xmlns:calcext=\"urn:org:"
           "documentfoundation:names:experimental:calc:xmlns:calcext:1.0\" xmlns:draw=\"urn:"
           "oasis:names:tc:opendocument:xmlns:drawing:1.0\"><office:body><office:spreadsheet>" +
           tables + "</office:spreadsheet></office:body></office:document-content>";
}

std::string odsCell(const std::string& attributes, const std::string& inside = {}) {
    return "<table:table-cell " + attributes + ">" + inside + "</table:table-cell>";
}

struct OdsCase {
    std::string rows;
    std::string table;
    std::string failure;
};

std::vector<OdsCase> odsCases() {
    const std::string text = "office:value-type=\"string\"";
    return {
        {"<table:table-row>" +
             odsCell(text, "<text:p>a<text:s/>b<text:s text:c=\"3\"/>c</text:p>"
                           "<text:p>d<text:tab/>e<text:line-break/>f</text:p>") +
             "</table:table-row>",
         "a b   c\\nd\te\\nf\n", ""},
        {"<table:table-row>" +
             odsCell(text, "<text:p><text:span>x</text:span><text:a>y</text:a><draw:frame>"
                           "<text:p>z</text:p></draw:frame></text:p><office:annotation><text:p>"
                           "note</text:p></office:annotation>") +
             "</table:table-row>",
         "xy\n", ""},
        {"<table:table-header-rows><table:table-row>" +
             odsCell("office:value-type=\"float\" office:value=\"0.30000000000000004\"",
                     "<text:p>0.30</text:p>") +
             odsCell("office:value-type=\"percentage\" office:value=\"0.5\"") +
             odsCell("office:value-type=\"currency\" office:value=\"-3\"") +
             odsCell("office:value-type=\"boolean\" office:boolean-value=\"true\"") +
             odsCell("office:value-type=\"date\" office:date-value=\"2024-03-15\"",
                     "<text:p>15/03/24</text:p>") +
             odsCell("office:value-type=\"float\" office:value=\"0\" calcext:value-type=\"error\"",
                     "<text:p>#N/A</text:p>") +
             "</table:table-row></table:table-header-rows>",
         "0.3|0.5|-3|TRUE|15/03/24|#N/A\n", ""},
        {"<table:table-row>" +
             odsCell(text + " table:number-columns-spanned=\"2\"", "<text:p>m</text:p>") +
             "<table:covered-table-cell office:value-type=\"string\"><text:p>hidden</text:p>"
             "</table:covered-table-cell>" +
             odsCell(text, "<text:p>n</text:p>") + "</table:table-row>",
         "m||n\n", ""},
        // Repeats expanded as far as values go, never further.
        {"<table:table-row table:number-rows-repeated=\"1048570\"><table:table-cell "
         "table:number-columns-repeated=\"16384\"/></table:table-row><table:table-row>" +
             odsCell(text + " table:number-columns-repeated=\"2\"", "<text:p>v</text:p>") +
             "<table:table-cell table:number-columns-repeated=\"16382\"/></table:table-row>"
             "<table:table-row table:number-rows-repeated=\"5\"><table:table-cell table:number-"
             "columns-repeated=\"16384\"/></table:table-row>",
         "", ""},
        {"<table:table-row table:number-rows-repeated=\"3\">" +
             odsCell(text + " table:number-columns-repeated=\"2\"", "<text:p>r</text:p>") +
             "</table:table-row>",
         "r|r\nr|r\nr|r\n", ""},
        {"<table:table-row>" +
             odsCell(text + " table:number-columns-repeated=\"99999999999\"",
                     "<text:p>w</text:p>") +
             "</table:table-row>",
         "", "the sheet \"T\" has a value past the last column a spreadsheet has"},
        {"<table:table-row table:number-rows-repeated=\"2000000\">" +
             odsCell(text, "<text:p>h</text:p>") + "</table:table-row>",
         "", "the sheet \"T\" has a value past the last row a spreadsheet has"},
    };
}

TEST(OdsContentReader, ReadsTheContentPart) {
    for (const OdsCase& c : odsCases()) {
        dissim::OdsContentReader reader("the part", 1);
        bool empty = true;
        const std::string message = failure([&] {
            reader.feed(
                odsContent("<table:table table:name=\"Before\"><table:table-row>" +
                           odsCell("office:value-type=\"string\"", "<text:p>no</text:p>") +
                           "</table:table-row></table:table><table:table table:name=\"T\">" +
                           c.rows + "</table:table><table:table table:name=\"After\"/>"));
            reader.finish();
            const Table table = reader.takeTable(empty);
            EXPECT_EQ(table.name, "T");
            if (c.table.empty()) {
                // 1,048,570 empty rows, then two values: nothing allocated for the empties
                // but the rows' ends.
                EXPECT_EQ(table.rows(), 1048571u);
                EXPECT_EQ(table.cellCount(), 2u);
                EXPECT_EQ(table.cell(1048570, 1), "v");
            } else {
                EXPECT_EQ(shown(table), c.table) << c.rows;
            }
        });
        EXPECT_EQ(message, c.failure) << c.rows;
        // Reading stopped after the sheet asked for.
        if (message.empty()) {
            EXPECT_EQ(reader.sheetNames(), (std::vector<std::string>{"Before", "T"}));
        }
    }
}

TEST(WorkbookReader, ReadsWorkbooksMadeInTheTest) {
    // Shared strings in a workbook made here, and the sheet's part damaged in each way.
    const std::string strings = std::string("<sst xmlns=\"") + kMain +
                                "\"><si><t>s0</t></si><si><t>s1</t><rPh><t>ph</t></rPh></si></sst>";
    const std::string bytes = testsupport::xlsxOf(
        xlsxSheet("<row><c t=\"s\"><v>1</v></c><c t=\"s\"><v>0</v></c></row>"), strings);
    EXPECT_EQ(shown(dissim::readWorkbookSheet(bytes, 0)), "s1|s0\n");
    EXPECT_EQ(failure([&] { dissim::readWorkbookSheet(testsupport::xlsxOf("<worksheet"), 0); }),
              std::string(kSheetPart) + "is damaged: unclosed token (line 1, column 1)");
    EXPECT_EQ(failure([&] { dissim::readWorkbookSheet(testsupport::xlsxOf(xlsxSheet("")), 0); }),
              "the sheet \"S\" is empty: it has no cells with values");
}

} // namespace
