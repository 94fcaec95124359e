// The example study in examples/, shipped with the sources and the Debian package: its sort
// data is what the README has a researcher enter (10 subjects, 12 stimuli, one line each), and
// its matrix file is byte for byte what a run over that sort data writes.

#include "dissimilarity_run.h"
#include "matrix16.h"
#include "run_state.h"

#include "recording_observer.h"
#include "reference_matrices.h"
#include "run_settings.h"
#include "temp_dir.h"
#include "test_names.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kSubjects = 10;
constexpr std::size_t kStimuli = 12;

// The files themselves, where CMake says the folder is, not copies of them: a copy could
// pass while the shipped file is wrong.
std::filesystem::path examplePath(const char* name) {
    return std::filesystem::path(DISSIM_EXAMPLES_DIR) / name;
}
const std::filesystem::path kSortDataFile = examplePath("example-sort-data.txt");
const std::filesystem::path kMatrixFile = examplePath("example-matrices.txt");

std::vector<std::string> linesOf(const std::string& text, const std::string& end) {
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t at = text.find(end, from);
        if (at == std::string::npos) {
            lines.push_back(text.substr(from)); // a last line without its end
            break;
        }
        lines.push_back(text.substr(from, at - from));
        from = at + end.size();
    }
    return lines;
}

std::vector<std::string> itemsOf(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> items;
    for (std::string item; in >> item;) {
        items.push_back(item);
    }
    return items;
}

// Each subject's codes, index 0 unused as in the run state. Only for the sort data that
// SortDataIsOneLineOfTwelveCodesPerSubject accepts.
std::vector<testsupport::Codes> subjectCodes() {
    std::vector<testsupport::Codes> subjects;
    for (const std::string& line : linesOf(testsupport::readFile(kSortDataFile), "\n")) {
        testsupport::Codes codes{0};
        for (const std::string& item : itemsOf(line)) {
            codes.push_back(static_cast<std::int16_t>(std::stoi(item)));
        }
        subjects.push_back(codes);
    }
    return subjects;
}

TEST(ExampleStudy, SortDataIsOneLineOfTwelveCodesPerSubject) {
    const std::string text = testsupport::readFile(kSortDataFile);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "the last line ends like the others";
    const std::vector<std::string> lines = linesOf(text, "\n");
    ASSERT_EQ(lines.size(), kSubjects);
    for (std::size_t s = 0; s < lines.size(); ++s) {
        const std::string& line = lines[s];
        SCOPED_TRACE("subject " + std::to_string(s + 1) + ": \"" + line + "\"");
        // Digits with one space between codes: what the README shows, readable as it is.
        EXPECT_EQ(line.find_first_not_of("0123456789 "), std::string::npos);
        EXPECT_EQ(line.find("  "), std::string::npos);
        const std::vector<std::string> items = itemsOf(line);
        ASSERT_EQ(items.size(), kStimuli);
        // A sort as a person makes one: 2 to 6 groups, numbered from 1 with none left out.
        std::set<int> groups;
        for (const std::string& item : items) {
            groups.insert(std::stoi(item));
        }
        EXPECT_GE(groups.size(), 2u);
        EXPECT_LE(groups.size(), 6u);
        EXPECT_EQ(*groups.begin(), 1);
        EXPECT_EQ(*groups.rbegin(), static_cast<int>(groups.size()));
    }
}

TEST(ExampleStudy, RunWritesTheShippedMatrixFile) {
    testsupport::TempDir dir;
    dissim::RunState state =
        testsupport::runSettings("10", "12", kSortDataFile.string(), dir.file("matrices.txt"));
    testsupport::RecordingObserver observer;
    const dissim::RunResult result = dissim::runDissimilarity(state, observer);
    ASSERT_TRUE(result.done) << result.description;
    EXPECT_EQ(testsupport::readFile(dir.file("matrices.txt")), testsupport::readFile(kMatrixFile));
}

// Worked out from the file format alone, without the run: catches a shipped file that was
// made by a faulty run or whose line ends were changed on the way.
TEST(ExampleStudy, MatrixFileHoldsTheBlocksOfItsSortData) {
    const std::vector<testsupport::Codes> subjects = subjectCodes();
    ASSERT_EQ(subjects.size(), kSubjects);
    std::string expected;
    dissim::Matrix16 counts;
    counts.resize(kStimuli + 1);
    for (const testsupport::Codes& codes : subjects) {
        ASSERT_EQ(codes.size(), kStimuli + 1);
        const dissim::Matrix16 subject = testsupport::subjectMatrixOf(codes);
        expected += testsupport::referenceBlock(subject, kStimuli);
        for (std::size_t r = 1; r <= kStimuli; ++r) {
            for (std::size_t c = 1; c < r; ++c) {
                counts(r, c) = static_cast<std::int16_t>(counts(r, c) + subject(r, c));
            }
        }
    }
    expected += testsupport::referenceBlock(counts, kStimuli);
    EXPECT_EQ(testsupport::readFile(kMatrixFile), expected);
}

// Entries of the count block counted by hand from the sort data, among them the ones the
// README explains.
struct CountEntry {
    const char* name;
    std::size_t stimulus;      // the row
    std::size_t otherStimulus; // the column, below the diagonal
    int subjectsWhoSeparated;
};

class ExampleCounts : public testing::TestWithParam<CountEntry> {};

TEST_P(ExampleCounts, AreWhatTheSubjectsDid) {
    const CountEntry& e = GetParam();
    const std::vector<std::string> lines = linesOf(testsupport::readFile(kMatrixFile), "\r\n");
    ASSERT_EQ(lines.size(), (kSubjects + 1) * kStimuli);
    const std::vector<std::string> row = itemsOf(lines[kSubjects * kStimuli + e.stimulus - 1]);
    ASSERT_EQ(row.size(), e.stimulus) << "the entries before the diagonal, and its 0";
    EXPECT_EQ(row.back(), "0");
    EXPECT_EQ(row[e.otherStimulus - 1], std::to_string(e.subjectsWhoSeparated));
}

INSTANTIATE_TEST_SUITE_P(
    Table, ExampleCounts,
    testing::Values(
        // Only subject 4 put stimulus 2 into another group than stimulus 1.
        CountEntry{"onlyOneSubjectSeparated", 2, 1, 1},
        // Subjects 6 and 10 put stimuli 7 and 8 together, the other eight did not.
        CountEntry{"eightOfTenSeparated", 8, 7, 8}, CountEntry{"everySubjectSeparated", 12, 1, 10},
        CountEntry{"noSubjectSeparated", 12, 11, 0}),
    testsupport::ByName());

} // namespace
