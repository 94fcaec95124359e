// The example study in examples/, shipped with the sources and the Debian package: its sort
// data is what the README has a researcher enter (10 subjects, 12 stimuli, one line each), and
// its matrix file is byte for byte what a run over that sort data writes.

#include "dissimilarity_run.h"
#include "run_state.h"

#include "recording_observer.h"
#include "run_settings.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cstddef>
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

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < text.size();) {
        const std::size_t at = text.find('\n', from);
        if (at == std::string::npos) {
            lines.push_back(text.substr(from)); // a last line without its end
            break;
        }
        lines.push_back(text.substr(from, at - from));
        from = at + 1;
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

TEST(ExampleStudy, SortDataIsOneLineOfTwelveCodesPerSubject) {
    const std::string text = testsupport::readFile(kSortDataFile);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << "the last line ends like the others";
    const std::vector<std::string> lines = linesOf(text);
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

} // namespace
