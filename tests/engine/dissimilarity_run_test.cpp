#include "dissimilarity_run.h"

#include "matrix16.h"
#include "run_state.h"

#include "disk_room.h"
#include "full_disk.h"
#include "recording_observer.h"
#include "reference_matrices.h"
#include "run_settings.h"
#include "temp_dir.h"
#include "test_names.h"
#include "worked_example.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

namespace {

using testsupport::Codes;
using testsupport::kBlock112;
using testsupport::kBlock566;
using testsupport::kCountsOfBoth;
using testsupport::kDone;
using testsupport::kFailed;
using testsupport::kMatricesOfBoth;
using testsupport::kProcessing;
using testsupport::kSortData;
using testsupport::kWriting;
using testsupport::randomCodes;
using testsupport::referenceBlock;
using testsupport::subjectMatrixOf;
using Statuses = std::vector<std::string>;

struct RunCase {
    const char* name;
    const char* subjects;
    const char* stimuli;
    std::string input;
    bool done;
    std::string output;
    Statuses statuses;
    const char* description; // a piece of the failure's description
};

struct Outcome {
    dissim::RunResult result;
    testsupport::RecordingObserver observer;
    std::string output;
    std::string inputAfter;
};

Outcome run(const testsupport::TempDir& dir, const char* subjects, const char* stimuli,
            const std::string& input, dissim::RunState* kept = nullptr) {
    testsupport::writeFile(dir.file("sort.txt"), input);
    dissim::RunState local;
    dissim::RunState& state = kept ? *kept : local;
    state =
        testsupport::runSettings(subjects, stimuli, dir.file("sort.txt"), dir.file("matrices.txt"));
    Outcome outcome;
    outcome.result = dissim::runDissimilarity(state, outcome.observer);
    if (std::filesystem::exists(state.outputFile)) {
        outcome.output = testsupport::readFile(state.outputFile);
    }
    outcome.inputAfter = testsupport::readFile(dir.file("sort.txt"));
    return outcome;
}

class Runs : public testing::TestWithParam<RunCase> {};

TEST_P(Runs, WriteTheExpectedFileAndStatuses) {
    const RunCase& c = GetParam();
    testsupport::TempDir dir;
    const Outcome outcome = run(dir, c.subjects, c.stimuli, c.input);
    EXPECT_EQ(outcome.result.done, c.done) << outcome.result.description;
    EXPECT_EQ(outcome.output, c.output);
    EXPECT_EQ(outcome.observer.statuses, c.statuses);
    EXPECT_EQ(outcome.inputAfter, c.input) << "the input file must never change";
    EXPECT_EQ(outcome.result.note, "");
    if (c.done) {
        EXPECT_TRUE(outcome.observer.failures.empty());
    } else {
        ASSERT_EQ(outcome.observer.failures.size(), 1u);
        EXPECT_EQ(outcome.observer.failures[0], outcome.result.description);
        EXPECT_EQ(outcome.observer.statusesAtFailure + 1, outcome.observer.statuses.size())
            << "the failure is announced right before its text";
        EXPECT_NE(outcome.result.description.find(c.description), std::string::npos)
            << outcome.result.description;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Runs,
    testing::Values(
        RunCase{"workedExample", "2", "3", kSortData, true, kMatricesOfBoth,
                Statuses{kProcessing, kWriting, kWriting, kDone}, ""},
        RunCase{"oneCodePerLine", "2", "3", "1\r\n1\r\n2\r\n5\r\n6\r\n6\r\n", true, kMatricesOfBoth,
                Statuses{kProcessing, kWriting, kWriting, kDone}, ""},
        RunCase{"extraItemsAreNotRead", "2", "3", kSortData + "7 8 9 x y", true, kMatricesOfBoth,
                Statuses{kProcessing, kWriting, kWriting, kDone}, ""},
        // One stimulus: nothing is compared, every block is the line of the diagonal.
        RunCase{"oneStimulus", "3", "1", "4\n7\n4\n", true, "  0 \r\n  0 \r\n  0 \r\n  0 \r\n",
                Statuses{kProcessing, kWriting, kWriting, kWriting, kDone}, ""},
        // All codes equal: a block of zeros, and every count one lower.
        RunCase{"allCodesEqual", "2", "3", "2 2 2\n1 1 2\n", true,
                "  0 \r\n  0  0 \r\n  0  0  0 \r\n" + kBlock112 +
                    "  0 \r\n  0  0 \r\n  1  1  0 \r\n",
                Statuses{kProcessing, kWriting, kWriting, kDone}, ""},
        RunCase{"countsOfTenAndMore", "12", "2", "1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 1 2 3 3",
                true,
                [] {
                    std::string out;
                    for (int s = 0; s < 11; ++s) {
                        out += "  0 \r\n  1  0 \r\n";
                    }
                    return out + "  0 \r\n  0  0 \r\n" + "  0 \r\n  11  0 \r\n";
                }(),
                [] {
                    Statuses s{kProcessing};
                    s.insert(s.end(), 12, kWriting);
                    s.push_back(kDone);
                    return s;
                }(),
                ""},
        // No counts entered: nothing is read, and the count block has its one line.
        RunCase{"noCounts", "", "", "whatever is here is not read", true, "  0 \r\n",
                Statuses{kProcessing, kDone}, ""},
        // The blocks of the subjects read in full, then nothing.
        RunCase{"cutShort", "3", "3", kSortData + "7 7", false, kBlock112 + kBlock566,
                Statuses{kProcessing, kWriting, kWriting, kFailed},
                "subject 3, stimulus 3, line 3: the sort data file ends here, after 8 codes"},
        RunCase{"codeAboveTheRange", "2", "3", "1 1 2\n5 32768 6\n", false, kBlock112,
                Statuses{kProcessing, kWriting, kFailed},
                "subject 2, stimulus 2, line 2: \"32768\" does not fit"},
        // Letters would otherwise all read as one group and give a block of zeros.
        RunCase{"letterCodes", "1", "3", "A B A\n", false, "", Statuses{kProcessing, kFailed},
                "subject 1, stimulus 1, line 1: \"A\" is not a number"},
        RunCase{"fractionalCode", "1", "3", "1 1.5 2\n", false, "", Statuses{kProcessing, kFailed},
                "\"1.5\" is not a whole number"},
        RunCase{"emptyItemBetweenCommas", "1", "3", "1,,2,3\n", false, "",
                Statuses{kProcessing, kFailed}, "stimulus 2, line 1: an empty item"},
        // Before eight one-digit codes, which the reader takes in one step where it can.
        RunCase{"semicolonBeforeTheFirstCode", "1", "9", ";1;2;3;4;5;6;7;8;9\n", false, "",
                Statuses{kProcessing, kFailed},
                "stimulus 1, line 1: an empty item stands before this semicolon"},
        // A subject count beyond the count matrix's 16 bits fails once the files are open.
        RunCase{"subjectCount32768", "32768", "2", "1 2\n", false, "",
                Statuses{kProcessing, kFailed}, "32767"},
        // With no stimuli too: otherwise every one of its subjects would get a block.
        RunCase{"subjectCountBeyond16BitsWithoutStimuli", "1000000000000000", "", "1\n", false, "",
                Statuses{kProcessing, kFailed}, "32767"},
        RunCase{"subjectCountBeyond16BitsWithZeroStimuli", "40000", "0", "1\n", false, "",
                Statuses{kProcessing, kFailed}, "32767"},
        RunCase{"negativeStimulusCount", "1", "-1", "1\n", false, "", Statuses{kFailed}, "below 0"},
        RunCase{"stimulusCountBeyond32Bits", "1", "3000000000", "1\n", false, "", Statuses{kFailed},
                "32-bit"},
        RunCase{"stimulusCountTooLargeForMemory", "1", "1000000", "1\n", false, "",
                Statuses{kFailed}, "of memory"}),
    testsupport::ByName());

// A file laid out the other way round (one line per stimulus, one code per subject) reads
// without fault: the run does all it does for any other layout of the same codes (the same
// statuses and bytes as over the codes on one line) and only its note tells. No note where the
// lines do not show that layout.
struct LayoutCase {
    const char* name;
    const char* subjects;
    const char* stimuli;
    std::string input;
    const char* note; // a piece of the note; "" for none
};

class LayoutNote : public testing::TestWithParam<LayoutCase> {};

TEST_P(LayoutNote, IsGivenOnlyForOneLinePerStimulusAndChangesNothingElse) {
    const LayoutCase& c = GetParam();
    testsupport::TempDir dir;
    const Outcome outcome = run(dir, c.subjects, c.stimuli, c.input);
    std::string oneLine = c.input;
    std::replace_if(
        oneLine.begin(), oneLine.end(), [](char b) { return b == '\r' || b == '\n'; }, ' ');
    testsupport::TempDir otherDir;
    const Outcome plain = run(otherDir, c.subjects, c.stimuli, oneLine);
    ASSERT_TRUE(outcome.result.done) << outcome.result.description;
    EXPECT_EQ(outcome.output, plain.output);
    EXPECT_EQ(outcome.observer.statuses, plain.observer.statuses);
    EXPECT_EQ(plain.result.note, "");
    if (*c.note == '\0') {
        EXPECT_EQ(outcome.result.note, "");
    } else {
        EXPECT_NE(outcome.result.note.find(c.note), std::string::npos) << outcome.result.note;
        EXPECT_NE(outcome.result.note.find("laid out the other way round"), std::string::npos);
    }
}

constexpr const char* kFourByThree = "Each of the file's 4 lines holds 3 codes, one per subject";

INSTANTIATE_TEST_SUITE_P(
    Table, LayoutNote,
    testing::Values(
        LayoutCase{"oneLinePerStimulus", "3", "4", "1 1 2\n1 2 2\n2 1 1\n3 3 1\n", kFourByThree},
        LayoutCase{"asSpreadsheetsWriteIt", "3", "4",
                   "1\t1\t2\r\n1\t\"2\"\t2\r\n2\t1\t1\r\n3\t3\t1\r\n\r\n \r\n", kFourByThree},
        LayoutCase{"semicolonsAndNoLastLineEnd", "3", "4", "1;1;2;\n1;2;2;\n\n2;1;1;\n3;3;1;",
                   kFourByThree},
        LayoutCase{"fiveLinesOfTwo", "2", "5", "1 2\r\n1 2\r\n2 1\r\n3 3\r\n1 4\r\n",
                   "Each of the file's 5 lines holds 2 codes, one per subject"},
        // No false alarms.
        LayoutCase{"oneLinePerSubject", "3", "4", "1 1 2 1\n2 2 2 1\n1 3 3 1\n", ""},
        LayoutCase{"oneCodePerLine", "3", "4", "1\n1\n2\n1\n2\n2\n2\n1\n1\n3\n3\n1\n", ""},
        LayoutCase{"wrappedAtSix", "3", "4", "1 1 2 1 2 2\n2 1 1 3 3 1\n", ""},
        LayoutCase{"linesOfOtherLengths", "3", "4", "1 1 2 1 2\n2 2 1 1 3\n3 1\n", ""},
        LayoutCase{"moreOnTheLastLine", "3", "4", "1 1 2\n1 2 2\n2 1 1\n3 3 1 9\n", ""},
        LayoutCase{"textAfterTheCodes", "3", "4", "1 1 2\n1 2 2\n2 1 1\n3 3 1\nend\n", ""},
        // As many subjects as stimuli: one line per subject, the right layout, has the same
        // shape, and a note would be a false alarm on every such study.
        LayoutCase{"square", "3", "3", "1 1 2\n1 2 2\n2 1 1\n", ""},
        // One subject or one stimulus: both layouts hold the codes in the same order.
        LayoutCase{"oneSubject", "1", "4", "1\n1\n2\n3\n", ""},
        LayoutCase{"oneStimulus", "4", "1", "1 1 2 3\n", ""}),
    testsupport::ByName());

TEST(Run, FractionalCountsRoundForSizingAndTruncateForLoops) {
    testsupport::TempDir dir;
    dissim::RunState state;
    // 3.5 subjects: every count starts at 4 while subjects 1 to 3 are read; 2.5 stimuli:
    // arrays for indices 0 to 2, stimuli 1 and 2 processed.
    const Outcome outcome = run(dir, "3.5", "2.5", "1 1\n1 2\n3 3\n", &state);
    ASSERT_TRUE(outcome.result.done) << outcome.result.description;
    EXPECT_EQ(state.subjectMatrix.size(), 3u);
    EXPECT_EQ(state.countMatrix.size(), 3u);
    EXPECT_EQ(state.groupCodes.size(), 3u);
    EXPECT_EQ(state.countMatrix(2, 1), 4 - 2);
    EXPECT_EQ(outcome.output,
              "  0 \r\n  0  0 \r\n  0 \r\n  1  0 \r\n  0 \r\n  0  0 \r\n  0 \r\n  2  0 \r\n");
}

// A fractional stimulus count sizes the arrays by rounding (a half to even) but processes
// stimuli up to its whole part, so the run writes what the whole part gives. Where rounding goes
// above the whole part, the arrays hold one more code than the loop reads.
class FractionalStimulusCount : public testing::TestWithParam<const char*> {};

TEST_P(FractionalStimulusCount, RunsAsItsWholePart) {
    const std::string count = GetParam();
    const std::string wholePart = std::to_string(static_cast<int>(std::stod(count)));
    const std::string input = "1 1 2 3 3 4\n2 2 1 1 3 3\n";
    testsupport::TempDir fractional;
    testsupport::TempDir whole;
    dissim::RunState state;
    const Outcome got = run(fractional, "2", count.c_str(), input, &state);
    const Outcome expected = run(whole, "2", wholePart.c_str(), input);
    ASSERT_TRUE(got.result.done) << got.result.description;
    EXPECT_EQ(got.output, expected.output);
    EXPECT_EQ(state.groupCodes.size(),
              static_cast<std::size_t>(std::nearbyint(std::stod(count))) + 1);
}

INSTANTIATE_TEST_SUITE_P(Table, FractionalStimulusCount,
                         testing::Values("0.6", "1.5", "2.5", "2.7", "3.5", "5.5"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             std::string name = info.param;
                             name[name.find('.')] = '_';
                             return "count" + name;
                         });

// Up to the count matrix's limit, a run with no stimuli writes its one-line blocks as before.
TEST(Run, TheLargestSubjectCountWithoutStimuliWritesEveryBlock) {
    testsupport::TempDir dir;
    const Outcome outcome = run(dir, "32767", "", "");
    ASSERT_TRUE(outcome.result.done) << outcome.result.description;
    std::string expected;
    for (int block = 0; block < 32768; ++block) {
        expected += "  0 \r\n";
    }
    EXPECT_TRUE(outcome.output == expected) << "output differs";
}

TEST(Run, LeavesTheLastSubjectsMatrixInTheRunState) {
    testsupport::TempDir dir;
    dissim::RunState state;
    ASSERT_TRUE(run(dir, "2", "3", kSortData, &state).result.done);
    // The last subject (5 6 6): 1 wherever the stimuli were apart, and 1 off the lower triangle.
    EXPECT_TRUE(testsupport::equalUpTo(
        state.subjectMatrix,
        testsupport::matrixOf({{0, 0, 0, 0}, {0, 1, 1, 1}, {0, 1, 1, 1}, {0, 1, 0, 1}}), 3));
    EXPECT_EQ(state.countMatrix(3, 1), 2);
    EXPECT_EQ(state.countMatrix(3, 2), 1);
    EXPECT_EQ(state.countMatrix(2, 1), 1);
}

TEST(Run, ASecondRunRewritesTheFileFromTheStart) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("matrices.txt"), std::string(10000, 'x'));
    dissim::RunState state;
    ASSERT_TRUE(run(dir, "2", "3", kSortData, &state).result.done);
    testsupport::RecordingObserver again;
    ASSERT_TRUE(dissim::runDissimilarity(state, again).done);
    EXPECT_EQ(testsupport::readFile(dir.file("matrices.txt")), kMatricesOfBoth);
}

TEST(Run, MissingFilesFailBeforeProcessing) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("sort.txt"), "1\n");
    const std::pair<std::string, std::string> cases[] = {
        {"", dir.file("out.txt")},
        {dir.file("missing.txt"), dir.file("out.txt")},
        {dir.file("sort.txt"), ""},
    };
    for (const auto& [input, output] : cases) {
        dissim::RunState state;
        state.inputFile = input;
        state.outputFile = output;
        testsupport::RecordingObserver observer;
        EXPECT_FALSE(dissim::runDissimilarity(state, observer).done) << input << " " << output;
        EXPECT_EQ(observer.statuses, Statuses{kFailed});
        EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")))
            << "a missing input must not create the output";
    }
}

// Whole runs large enough to fill the output buffer many times.
struct LargeRunCase {
    const char* name;
    std::string tail; // what follows the codes of the complete subjects
    std::size_t completeSubjects;
    bool done;
};

class LargeRuns : public testing::TestWithParam<LargeRunCase> {};

TEST_P(LargeRuns, KeepWholeBlocksOnlyAndLeaveTheArraysOfTheCompleteSubjects) {
    const LargeRunCase& c = GetParam();
    constexpr std::size_t kStimuli = 400;
    constexpr std::size_t kSubjects = 9;
    std::mt19937 random(11);
    std::vector<Codes> subjects;
    std::string input;
    for (std::size_t s = 0; s < c.completeSubjects; ++s) {
        subjects.push_back(randomCodes(kStimuli, 2 + s % 7, 1, random));
        for (std::size_t k = 1; k <= kStimuli; ++k) {
            input += std::to_string(subjects.back()[k]) + (k < kStimuli ? " " : "\r\n");
        }
    }
    input += c.tail;

    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("sort.txt"), input);
    dissim::RunState state =
        testsupport::runSettings(std::to_string(kSubjects), std::to_string(kStimuli),
                                 dir.file("sort.txt"), dir.file("matrices.txt"));
    testsupport::RecordingObserver observer;
    const dissim::RunResult result = dissim::runDissimilarity(state, observer);

    dissim::Matrix16 counts;
    counts.resize(kStimuli + 1);
    std::string expected;
    for (const Codes& codes : subjects) {
        const dissim::Matrix16 m = subjectMatrixOf(codes);
        expected += referenceBlock(m, kStimuli);
        for (std::size_t i = 1; i <= kStimuli; ++i) {
            for (std::size_t j = 1; j < i; ++j) {
                counts(i, j) = static_cast<std::int16_t>(counts(i, j) + m(i, j));
            }
        }
    }
    Statuses statuses{kProcessing};
    statuses.insert(statuses.end(), c.completeSubjects, kWriting);
    if (c.done) {
        expected += referenceBlock(counts, kStimuli);
        statuses.push_back(kDone);
    } else {
        statuses.push_back(kFailed);
    }
    EXPECT_EQ(result.done, c.done) << result.description;
    EXPECT_EQ(observer.statuses, statuses);
    EXPECT_TRUE(testsupport::readFile(state.outputFile) == expected) << "output differs";
    // The file takes no disk room beyond what was written.
    EXPECT_LE(testsupport::allocatedBytes(state.outputFile),
              expected.size() + testsupport::kAllocationSlack);

    // The arrays as the subject-by-subject steps leave them after the last complete subject.
    if (!subjects.empty()) {
        ASSERT_TRUE(testsupport::equalUpTo(state.subjectMatrix, subjectMatrixOf(subjects.back()),
                                           kStimuli));
    }
    for (std::size_t i = 2; i <= kStimuli; ++i) {
        for (std::size_t j = 1; j < i; ++j) {
            // Separated by counts(i, j) of the complete subjects, together for the others read.
            const auto together = static_cast<int>(c.completeSubjects) - counts(i, j);
            ASSERT_EQ(state.countMatrix(i, j), static_cast<int>(kSubjects) - together)
                << i << "," << j;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, LargeRuns,
    testing::Values(LargeRunCase{"complete", "", 9, true},
                    LargeRunCase{"failsAtTheFirstItem", "x", 0, false},
                    LargeRunCase{"endsBetweenSubjects", "", 6, false},
                    LargeRunCase{"endsWithinASubject", "1 2 3 1 2 3\r\n", 6, false},
                    LargeRunCase{"letterWithinASubject", "1 2 x 1\r\n", 4, false},
                    LargeRunCase{"codeOutOfRange", "4 32768\r\n", 3, false}),
    testsupport::ByName());

TEST(LargeRuns, AFullDiskAfterManyBufferFillsFailsAndIsNeverDone) {
    SKIP_WITHOUT_FULL_DISK();
    testsupport::TempDir dir;
    std::string input;
    for (int s = 0; s < 20; ++s) {
        for (int k = 0; k < 500; ++k) {
            input += std::to_string((k * (s + 3)) % 5) + " ";
        }
    }
    testsupport::writeFile(dir.file("sort.txt"), input);
    dissim::RunState state =
        testsupport::runSettings("20", "500", dir.file("sort.txt"), testsupport::kFullDisk);
    testsupport::RecordingObserver observer;
    const dissim::RunResult result = dissim::runDissimilarity(state, observer);
    EXPECT_FALSE(result.done);
    EXPECT_NE(result.description.find("writing the output file"), std::string::npos)
        << result.description;
    ASSERT_FALSE(observer.statuses.empty());
    EXPECT_EQ(observer.statuses.front(), kProcessing);
    EXPECT_EQ(observer.statuses.back(), kFailed);
    for (std::size_t i = 1; i + 1 < observer.statuses.size(); ++i) {
        EXPECT_EQ(observer.statuses[i], kWriting);
    }
}

} // namespace
