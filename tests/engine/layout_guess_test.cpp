#include "table_import.h"

#include "table_literal.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using dissim::ImportSettings;
using dissim::TableLayout;

struct GuessCase {
    const char* name;
    std::string table;
    std::int64_t typedSubjects;
    std::int64_t typedStimuli;
    TableLayout layout;
    bool namesInFirstRow;
    bool namesInFirstColumn;
    int subjectColumn = -1;
    int stimulusColumn = -1;
    int groupColumn = -1;
    std::vector<int> stimulusColumns = {};
};

class Guesses : public testing::TestWithParam<GuessCase> {};

TEST_P(Guesses, FitTheTable) {
    const GuessCase& c = GetParam();
    const ImportSettings guess =
        dissim::guessImportSettings(testsupport::tableOf(c.table), c.typedSubjects, c.typedStimuli);
    EXPECT_EQ(guess.layout, c.layout);
    EXPECT_EQ(guess.namesInFirstRow, c.namesInFirstRow);
    EXPECT_EQ(guess.namesInFirstColumn, c.namesInFirstColumn);
    EXPECT_EQ(guess.subjectColumn, c.subjectColumn);
    EXPECT_EQ(guess.stimulusColumn, c.stimulusColumn);
    EXPECT_EQ(guess.groupColumn, c.groupColumn);
    EXPECT_EQ(guess.stimulusColumns, c.stimulusColumns);
    EXPECT_EQ(guess.missing, dissim::MissingData::Stop);
}

// A long table: three subjects, four cards each, shuffled, with an empty category name and a
// time; the group ids are unique over the file.
std::string longTable(const char* header) {
    return std::string(header) +
           "\nP1|card 3|101||3.2\nP1|card 1|101||4.0\nP1|card 4|102|fruit|1.1\nP1|card 2|102||0.5\n"
           "P2|card 2|201||2.2\nP2|card 4|201||7.1\nP2|card 1|202||1.9\nP2|card 3|203||0.1\n"
           "P3|card 1|301||2.3\nP3|card 2|302|x|1.8\nP3|card 3|302||9.9\nP3|card 4|302||4.4\n";
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Guesses,
    testing::Values(
        // The field's packages: stimuli by subjects, "" or nothing as the top-left cell.
        GuessCase{"stimulusRowsNumbers", "|J1|J2|J3\napple|1|2|1\npear|1|1|2\nplum|2|1|1\n", 0, 0,
                  TableLayout::StimulusRows, true, true},
        GuessCase{"stimulusRowsLabels",
                  "|S01|S02\nsoap|clean;fresh|G1\nlemon|sour|G2\nlime|sour|G2\n", 0, 0,
                  TableLayout::StimulusRows, true, true},
        GuessCase{"subjectRowsWithIds", "subject|apple|pear|plum|fig\n101|1|1|2|3\n102|1|2|2|1\n",
                  0, 0, TableLayout::SubjectRows, true, true},
        GuessCase{"plainSortData", "1|1|2|3\n1|2|2|1\n3|3|1|1\n", 0, 0, TableLayout::SubjectRows,
                  false, false},
        // The counts typed at step 1 tell the square-ish named table's orientation.
        GuessCase{"typedCountsSayStimulusRows", "|a|b\nx|1|2\ny|1|1\nz|2|2\n", 2, 3,
                  TableLayout::StimulusRows, true, true},
        GuessCase{"typedCountsSaySubjectRows", "|a|b\nx|1|2\ny|1|1\nz|2|2\n", 3, 2,
                  TableLayout::SubjectRows, true, true},
        GuessCase{"long", longTable("participant|card|group id|category|time"), 0, 0,
                  TableLayout::Long, true, false, 0, 1, 2},
        GuessCase{"longColumnsElsewhere",
                  "time|item|pile|judge\n1|b|1|A\n2|a|1|A\n3|c|2|A\n4|a|1|B\n5|c|1|B\n6|b|2|B\n"
                  "7|c|1|C\n8|b|1|C\n9|a|1|C\n",
                  0, 0, TableLayout::Long, true, false, 3, 1, 2},
        // No telling header: the subject's rows come in one block, the codes repeat.
        GuessCase{"longPlainHeader",
                  "who|what|code\nA|x|11\nA|y|11\nA|z|12\nB|x|21\nB|z|21\nB|y|22\nC|y|31\n"
                  "C|x|32\nC|z|32\n",
                  0, 0, TableLayout::Long, true, false, 0, 1, 2},
        GuessCase{"groupRows",
                  "subject|pile|apple|pear|plum|size|condition\nJ1|1|1|1|0|2|a\nJ1|2|0|0|1|1|a\n"
                  "J2|1|1||1|2|b\nJ2|2|0|1|0|1|b\n",
                  0,
                  0,
                  TableLayout::GroupRows,
                  true,
                  false,
                  0,
                  -1,
                  -1,
                  {2, 3, 4}},
        GuessCase{"oneCell", "7", 0, 0, TableLayout::SubjectRows, false, false},
        GuessCase{"empty", "", 0, 0, TableLayout::SubjectRows, false, false}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
