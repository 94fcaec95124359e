#include "table_import.h"

#include "table_literal.h"
#include "test_names.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using dissim::ImportSettings;
using dissim::TableLayout;
using testsupport::wide;

struct GuessCase {
    const char* name;
    std::string table;
    std::int64_t typedSubjects;
    std::int64_t typedStimuli;
    ImportSettings guess;
};

class Guesses : public testing::TestWithParam<GuessCase> {};

TEST_P(Guesses, FitTheTable) {
    const GuessCase& c = GetParam();
    const ImportSettings guess =
        dissim::guessImportSettings(testsupport::tableOf(c.table), c.typedSubjects, c.typedStimuli);
    EXPECT_EQ(guess.layout, c.guess.layout);
    EXPECT_EQ(guess.namesInFirstRow, c.guess.namesInFirstRow);
    EXPECT_EQ(guess.namesInFirstColumn, c.guess.namesInFirstColumn);
    EXPECT_EQ(guess.subjectColumn, c.guess.subjectColumn);
    EXPECT_EQ(guess.stimulusColumn, c.guess.stimulusColumn);
    EXPECT_EQ(guess.groupColumn, c.guess.groupColumn);
    EXPECT_EQ(guess.stimulusColumns, c.guess.stimulusColumns);
    EXPECT_EQ(guess.missing, dissim::MissingData::Stop);
}

const ImportSettings kStimulusRows = wide(TableLayout::StimulusRows, true, true);
const ImportSettings kNamedSubjectRows = wide(TableLayout::SubjectRows, true, true);
const ImportSettings kSubjectRows = wide(TableLayout::SubjectRows, false, false);

INSTANTIATE_TEST_SUITE_P(
    Shapes, Guesses,
    testing::Values(
        // The field's packages: stimuli by subjects, "" or nothing as the top-left cell.
        GuessCase{"stimulusRowsNumbers", "|J1|J2|J3\napple|1|2|1\npear|1|1|2\nplum|2|1|1\n", 0, 0,
                  kStimulusRows},
        GuessCase{"stimulusRowsLabels",
                  "|S01|S02\nsoap|clean;fresh|G1\nlemon|sour|G2\nlime|sour|G2\n", 0, 0,
                  kStimulusRows},
        GuessCase{"subjectRowsWithIds", "subject|apple|pear|plum|fig\n101|1|1|2|3\n102|1|2|2|1\n",
                  0, 0, kNamedSubjectRows},
        GuessCase{"plainSortData", "1|1|2|3\n1|2|2|1\n3|3|1|1\n", 0, 0, kSubjectRows},
        // The counts typed at step 1 tell the square-ish named table's orientation.
        GuessCase{"typedCountsSayStimulusRows", "|a|b\nx|1|2\ny|1|1\nz|2|2\n", 2, 3, kStimulusRows},
        GuessCase{"typedCountsSaySubjectRows", "|a|b\nx|1|2\ny|1|1\nz|2|2\n", 3, 2,
                  kNamedSubjectRows},
        // Long: shuffled rows, an empty category, a time; group ids unique over the file.
        GuessCase{
            "long",
            "participant|card|group id|category|time\n"
            "P1|card 3|101||3.2\nP1|card 1|101||4.0\nP1|card 4|102|fruit|1.1\n"
            "P1|card 2|102||0.5\nP2|card 2|201||2.2\nP2|card 4|201||7.1\nP2|card 1|202||1.9\n"
            "P2|card 3|203||0.1\nP3|card 1|301||2.3\nP3|card 2|302|x|1.8\nP3|card 3|302||9.9\n"
            "P3|card 4|302||4.4\n",
            0, 0, testsupport::longForm(0, 1, 2)},
        GuessCase{"longColumnsElsewhere",
                  "time|item|pile|judge\n1|b|1|A\n2|a|1|A\n3|c|2|A\n4|a|1|B\n5|c|1|B\n6|b|2|B\n"
                  "7|c|1|C\n8|b|1|C\n9|a|1|C\n",
                  0, 0, testsupport::longForm(3, 1, 2)},
        // No telling header: the subject's rows come in one block, the codes repeat.
        GuessCase{"longPlainHeader",
                  "who|what|code\nA|x|11\nA|y|11\nA|z|12\nB|x|21\nB|z|21\nB|y|22\nC|y|31\n"
                  "C|x|32\nC|z|32\n",
                  0, 0, testsupport::longForm(0, 1, 2)},
        GuessCase{"groupRows",
                  "subject|pile|apple|pear|plum|size|condition\nJ1|1|1|1|0|2|a\nJ1|2|0|0|1|1|a\n"
                  "J2|1|1||1|2|b\nJ2|2|0|1|0|1|b\n",
                  0, 0, testsupport::groupRows(0, {2, 3, 4})},
        GuessCase{"oneCell", "7", 0, 0, kSubjectRows}, GuessCase{"empty", "", 0, 0, kSubjectRows}),
    testsupport::ByName());

} // namespace
