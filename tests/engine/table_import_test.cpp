#include "table_import.h"

#include "table_literal.h"
#include "test_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using dissim::ImportSettings;
using dissim::MissingData;
using testsupport::groupRows;
using testsupport::longForm;
using testsupport::wide;
using Kind = dissim::ImportProblem::Kind;

constexpr auto kSubjectRows = dissim::TableLayout::SubjectRows;
constexpr auto kStimulusRows = dissim::TableLayout::StimulusRows;
constexpr auto kOwnGroup = MissingData::OwnGroup;
constexpr auto kLeaveOut = MissingData::LeaveOut;

// Tables of each layout, all holding (where they hold it whole) one study: subject J1 puts
// apple and pear together and plum apart, J2 pear alone.
const char* const kRStyle = "|J1|J2\napple|1|2\npear|1|1\nplum|2|2\n";
const char* const kLong = "subject|card|pile|time\n"
                          "J1|plum|7|3.5\nJ1|apple|5|1\nJ1|pear|5|2\n"
                          "J2|pear|12|1\nJ2|plum|11|2\nJ2|apple|11|9\n";
const char* const kGroups = "subject|pile|apple|pear|plum|size\n"
                            "J1|1|1|1|0|2\nJ1|2|0||1|1\nJ2|1|0|1|0|1\nJ2|2|1|0|1|2\n";

// The study as text: names joined by '|', codes as digits, problems as "kind:place" joined by
// ',' (U unsorted, C conflict, N no subject, R repeated subject, L layout).
struct ImportCase {
    const char* name;
    const char* table;
    ImportSettings settings;
    bool usable;
    const char* subjects;
    const char* stimuli;
    const char* codes;
    const char* problems = "";
    const char* leftOut = "";
};

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& name : names) {
        text += (text.empty() ? "" : "|") + name;
    }
    return text;
}

class Imports : public testing::TestWithParam<ImportCase> {};

TEST_P(Imports, GiveTheStudyAndItsProblems) {
    const ImportCase& c = GetParam();
    const dissim::ImportedStudy study =
        dissim::importStudy(testsupport::tableOf(c.table), c.settings);
    EXPECT_EQ(study.usable, c.usable) << study.refusal;
    EXPECT_EQ(study.refusal.empty(), c.usable);
    EXPECT_EQ(joined(study.subjects), c.subjects);
    EXPECT_EQ(joined(study.stimuli), c.stimuli);
    std::string codes;
    for (const std::int16_t code : study.codes) {
        codes += std::to_string(code);
    }
    EXPECT_EQ(codes, c.codes);
    std::string problems;
    for (const auto& problem : study.problems) {
        problems += std::string(problems.empty() ? "" : ",") +
                    "UCNRL"[static_cast<int>(problem.kind)] + ":" + problem.place;
        EXPECT_NE(problem.text.find(problem.place), std::string::npos) << problem.text;
    }
    EXPECT_EQ(problems, c.problems);
    EXPECT_EQ(study.problemCount, study.problems.size());
    EXPECT_EQ(joined(study.leftOut), c.leftOut);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, Imports,
    testing::Values(
        // The same study in every layout, with and without names.
        ImportCase{"plainRows", "1|1|2\n3|4|3\n", wide(kSubjectRows, false, false), true, "1|2",
                   "1|2|3", "112121"},
        ImportCase{"subjectRowsNamed", "subject|apple|pear|plum\nJ1|3|3|1\nJ2|1.0| 2 |1e0\n",
                   wide(kSubjectRows, true, true), true, "J1|J2", "apple|pear|plum", "112121"},
        ImportCase{"subjectRowsHeaderOnly", "apple|pear|plum\n1|1|2\nb|a|b\n",
                   wide(kSubjectRows, true, false), true, "1|2", "apple|pear|plum", "112121"},
        ImportCase{"stimulusRowsNamed", kRStyle, wide(kStimulusRows, true, true), true, "J1|J2",
                   "apple|pear|plum", "112121"},
        ImportCase{"stimulusRowsPlain", "1|2\n1|1\n2|2\n", wide(kStimulusRows, false, false), true,
                   "1|2", "1|2|3", "112121"},
        // Each subject's own words; the same word is another group for another subject.
        ImportCase{"labels", "|J1|J2\napple|sweet;fruity|G3\npear|sweet;fruity|old\nplum|G3|G3\n",
                   wide(kStimulusRows, true, true), true, "J1|J2", "apple|pear|plum", "112121"},
        // A decimal comma is text; blank names are numbered by position; empty rows and
        // columns at the ends are no subject.
        ImportCase{"textAndBlankNames", "|x| \napple|1,0|5\n |1,0|6\nplum|1|5\n|||\n",
                   wide(kStimulusRows, true, true), true, "x|2", "apple|2|plum", "112121"},
        ImportCase{"long", kLong, longForm(0, 1, 2), true, "J1|J2", "apple|pear|plum", "112121"},
        ImportCase{"longNaturalOrder",
                   "subject|card|group\nP|card 10|1\nP|card 2|2\nP|card 1|1\nQ|card 2|1\n"
                   "Q|card 10|1\nQ|card 1|2\n",
                   longForm(0, 1, 2), true, "P|Q", "card 1|card 2|card 10", "121122"},
        ImportCase{"longRepeatedRowAndEmptyRow",
                   "subject|card|pile\nJ1|apple|1\nJ1|pear|1\n||\nJ1|plum|2\nJ1|pear|1\n"
                   "J2|apple|1\nJ2|pear|2\nJ2|plum|1\n",
                   longForm(0, 1, 2), true, "J1|J2", "apple|pear|plum", "112121"},
        ImportCase{"groupRows", kGroups, groupRows(0, {2, 3, 4}), true, "J1|J2", "apple|pear|plum",
                   "112121"},
        ImportCase{"groupRowsUnnamed", "J1|1|1|0\nJ1|0|0|1\nJ2|1|0|1\nJ2|0|1|0\n",
                   [] {
                       ImportSettings s = groupRows(0, {1, 2, 3});
                       s.namesInFirstRow = false;
                       return s;
                   }(),
                   true, "J1|J2", "1|2|3", "112121"}),
    testsupport::ByName());

INSTANTIATE_TEST_SUITE_P(
    Problems, Imports,
    testing::Values(
        // An empty cell (a ragged row's missing end too), under each choice.
        ImportCase{"unsortedStops", "|J1|J2\napple|1|2\npear|1|1\nplum|2\n",
                   wide(kStimulusRows, true, true), false, "J1|J2", "apple|pear|plum", "", "U:C4"},
        ImportCase{"unsortedOwnGroup", "|J1|J2\napple|1|NA\npear|1|1\nplum|1\n",
                   wide(kStimulusRows, true, true, kOwnGroup), true, "J1|J2", "apple|pear|plum",
                   "111123", "U:C2,U:C4"},
        ImportCase{"unsortedLeaveOut", "|J1|J2\napple|1|2\npear|1|1\nplum|2\n",
                   wide(kStimulusRows, true, true, kLeaveOut), true, "J1", "apple|pear|plum", "112",
                   "U:C4", "J2"},
        ImportCase{"everyoneLeftOut", "1||2\n|1|1\n", wide(kSubjectRows, false, false, kLeaveOut),
                   false, "", "1|2|3", "", "U:B1,U:A2", "1|2"},
        // A subject named twice: both are left out, a group of its own mends nothing.
        ImportCase{"repeatedOwnGroup", "J1|1|1\nJ2|1|2\nJ1|2|2\n",
                   wide(kSubjectRows, false, true, kOwnGroup), false, "J1|J2|J1", "1|2", "",
                   "R:A3,R:A1"},
        ImportCase{"repeatedLeaveOut", "J1|1|1\nJ2|1|2\nJ1|2|2\n",
                   wide(kSubjectRows, false, true, kLeaveOut), true, "J2", "1|2", "12", "R:A3,R:A1",
                   "J1|J1"},
        // Long: a stimulus twice in different groups, a row with no subject, a stimulus
        // never listed, a listed one with no group.
        ImportCase{"longConflictOwnGroup", "s|c|g\nJ1|apple|1\nJ1|pear|1\nJ1|apple|2\n",
                   longForm(0, 1, 2, kOwnGroup), false, "J1", "apple|pear", "", "C:C4"},
        ImportCase{"longNoSubjectStops", "s|c|g\nJ1|apple|1\n|pear|1\nJ1|pear|2\n",
                   longForm(0, 1, 2), false, "J1", "apple|pear", "", "N:row 3"},
        ImportCase{"longNoSubjectSkipped", "s|c|g\nJ1|apple|1\n|pear|1\nJ1|pear|2\n",
                   longForm(0, 1, 2, kOwnGroup), true, "J1", "apple|pear", "12", "N:row 3"},
        ImportCase{"longMissingOwnGroup",
                   "s|c|g\nJ1|apple|1\nJ1|pear|1\nJ1|plum|1\nJ2|pear|4\nJ2|plum|\n",
                   longForm(0, 1, 2, kOwnGroup), true, "J1|J2", "apple|pear|plum", "111123",
                   "U:row 5,U:C6"},
        ImportCase{"longNoStimulusLeaveOut",
                   "s|c|g\nJ1|apple|1\nJ1|pear|1\nJ2||1\nJ2|apple|1\nJ2|pear|1\n",
                   longForm(0, 1, 2, kLeaveOut), true, "J1", "apple|pear", "11", "L:B4", "J2"},
        // Group rows: a stimulus in two groups, in none, and a cell that is no 0/1.
        ImportCase{"groupRowsProblems",
                   "s|a|b|c\nJ1|1|1|0\nJ1|0|1|1\nJ2|1|0|0\nJ3|1|x|1\nJ3|0|1|0\n",
                   groupRows(0, {1, 2, 3}, kLeaveOut), false, "", "a|b|c", "",
                   "C:C3,L:C5,U:column C,U:column D", "J1|J2|J3"},
        ImportCase{"groupRowsOwnGroup", "s|a|b|c\nJ1|1|0|0\n", groupRows(0, {1, 2, 3}, kOwnGroup),
                   true, "J1", "a|b|c", "123", "U:column C,U:column D"},
        // Settings that do not fit the table refuse whatever the choice.
        ImportCase{"oneCell", "5", wide(kSubjectRows, false, false, kLeaveOut), false, "", "", "",
                   "L:"},
        ImportCase{"noSubject", "a|b\n", wide(kSubjectRows, true, false), false, "", "", "", "L:"},
        ImportCase{"columnsMisfit", kLong, longForm(-1, 1, 9), false, "", "", "", "L:,L:column J"},
        ImportCase{"columnTwice", kGroups, groupRows(2, {2, 3}), false, "", "", "", "L:column C"}),
    testsupport::ByName());

TEST(ImportTexts, SayWhatWasFoundAndHowItIsRead) {
    const auto study =
        dissim::importStudy(testsupport::tableOf(kRStyle), wide(kStimulusRows, true, true));
    EXPECT_EQ(dissim::foundText(study), "2 subjects, 3 stimuli; groups given as numbers 1 to 2");
    EXPECT_EQ(dissim::readingText(wide(kStimulusRows, true, true), study),
              "rows are stimuli, the first row names the subjects, the first column names the "
              "stimuli: 2 subjects, 3 stimuli");
    EXPECT_EQ(dissim::stimulusListText(study), "apple\npear\nplum\n");

    const auto settings = longForm(0, 1, 2, MissingData::LeaveOut);
    const auto partial = dissim::importStudy(
        testsupport::tableOf("s|c|g\nJ1|a|x\nJ1|b|y\nJ3|a|-2.5\nJ7|a|1\n"), settings);
    EXPECT_EQ(dissim::foundText(partial), "1 subject, 2 stimuli; groups given as words; "
                                          "2 subjects left out");
    EXPECT_EQ(dissim::readingText(settings, partial),
              "one row per subject and stimulus (subject: column A, stimulus: column B, group: "
              "column C): 1 subject, 2 stimuli; left out: J3, J7");
    EXPECT_EQ(partial.problems[0].text, "No row of subject \"J3\" (first in row 4) lists "
                                        "stimulus \"b\".");

    const auto mended =
        dissim::importStudy(testsupport::tableOf("1|2.5\n|-1\n"),
                            wide(kSubjectRows, false, false, MissingData::OwnGroup));
    EXPECT_EQ(dissim::foundText(mended),
              "2 subjects, 2 stimuli; groups given as numbers -1 to 2.5");
    EXPECT_EQ(mended.problems[0].text, "A2 is empty: subject \"2\" did not sort stimulus \"1\"");
    EXPECT_EQ(
        dissim::readingText(wide(kSubjectRows, false, false, MissingData::OwnGroup), mended),
        "rows are subjects: 2 subjects, 2 stimuli; each unsorted stimulus a group of its own");

    const auto refused =
        dissim::importStudy(testsupport::tableOf("1||\n|1|1\n"), wide(kSubjectRows, false, false));
    EXPECT_EQ(refused.refusal, "The table has 3 problems: mend the table, or choose another way "
                               "to treat missing data.");
}

// A random study written in every layout imports as the codes of its partition: each
// subject's groups numbered from 1 in the order they first appear.
TEST(ImportedCodes, GiveThePartitionOfThePlainSortData) {
    constexpr int kSubjects = 6;
    constexpr int kStimuli = 9;
    std::mt19937 random(7);
    std::vector<std::vector<int>> codes(kSubjects, std::vector<int>(kStimuli));
    std::vector<std::int16_t> expected;
    std::string subjectRows;
    std::string longRows = "subject|stimulus|group\n";
    std::string groups = "subject";
    std::vector<int> stimulusColumns;
    for (int j = 1; j <= kStimuli; ++j) {
        groups += "|s" + std::to_string(j);
        stimulusColumns.push_back(j);
    }
    groups += "\n";
    for (int s = 0; s < kSubjects; ++s) {
        std::vector<int> renumbered(5, 0);
        std::int16_t next = 1;
        for (int j = 0; j < kStimuli; ++j) {
            codes[s][j] = static_cast<int>(random() % 4) + 1;
            renumbered[codes[s][j]] = renumbered[codes[s][j]] ? renumbered[codes[s][j]] : next++;
            expected.push_back(static_cast<std::int16_t>(renumbered[codes[s][j]]));
            subjectRows += (j ? "|" : "") + std::to_string(codes[s][j]);
        }
        subjectRows += "\n";
        for (int j = kStimuli - 1; j >= 0; --j) { // listed from the last, ids unique in the file
            longRows += "P" + std::to_string(s) + "|s" + std::to_string(j + 1) + "|" +
                        std::to_string(100 * s + codes[s][j]) + "\n";
        }
        for (int group = 1; group <= 4; ++group) {
            groups += "P" + std::to_string(s);
            for (int j = 0; j < kStimuli; ++j) {
                groups += codes[s][j] == group ? "|1" : "|0";
            }
            groups += "\n";
        }
    }
    // Stimulus rows: words that mean other groups for other subjects.
    std::string stimulusRows;
    for (int j = 0; j < kStimuli; ++j) {
        for (int s = 0; s < kSubjects; ++s) {
            stimulusRows +=
                (s ? "|" : "") + std::string(1, static_cast<char>('a' + codes[s][j] + s));
        }
        stimulusRows += "\n";
    }
    for (const auto& [text, settings] : std::vector<std::pair<std::string, ImportSettings>>{
             {subjectRows, wide(kSubjectRows, false, false)},
             {stimulusRows, wide(kStimulusRows, false, false)},
             {longRows, longForm(0, 1, 2)},
             {groups, groupRows(0, stimulusColumns)}}) {
        const auto study = dissim::importStudy(testsupport::tableOf(text), settings);
        EXPECT_TRUE(study.usable) << study.refusal;
        EXPECT_EQ(study.codes, expected) << text;
    }
}

// A long table whose every row names a subject and a stimulus of its own, as settings that take
// the wrong columns make of any export: a study of rows x rows cells, nearly all unsorted.
dissim::Table everyRowItsOwn(int rows) {
    dissim::Table table;
    for (const std::string_view cell : {"subject", "card", "pile"}) {
        table.addCell(cell);
    }
    table.endRow();
    for (int r = 0; r < rows; ++r) {
        table.addCell("s" + std::to_string(r));
        table.addCell("c" + std::to_string(r));
        table.addCell("1");
        table.endRow();
    }
    return table;
}

TEST(ImportLimits, ProblemsPastTheListedOnesAreOnlyCounted) {
    const dissim::ImportedStudy study =
        dissim::importStudy(everyRowItsOwn(2000), longForm(0, 1, 2));
    EXPECT_FALSE(study.usable);
    EXPECT_EQ(study.problems.size(), dissim::kMaxListedProblems);
    EXPECT_EQ(study.problemCount, std::size_t{2000} * 1999);
}

TEST(ImportLimits, AStudyTooLargeForAnyRunIsRefusedBeforeItTakesTheMemory) {
    const dissim::ImportedStudy study =
        dissim::importStudy(everyRowItsOwn(6000), longForm(0, 1, 2));
    EXPECT_FALSE(study.usable);
    ASSERT_EQ(study.problems.size(), 1u);
    EXPECT_EQ(study.problems[0].kind, Kind::Layout);
    EXPECT_NE(study.problems[0].text.find("more than a study can"), std::string::npos)
        << study.problems[0].text;
}

} // namespace
