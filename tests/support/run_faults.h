#pragma once

// Shared by the tests of faults around a run: the run's events in order, the failure paths,
// and the table-driven check of paths that cannot be used.

#include "dissimilarity_run.h"
#include "process_resources.h"
#include "run_settings.h"
#include "run_state.h"
#include "temp_dir.h"
#include "worked_example.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace testsupport {

inline const std::string kFailing = "<failing>";

// The failure paths: before the files are open (sizing, opening), and after "Processing...".
inline const std::vector<std::string> kFailsBeforeProcessing = {kFailing, kFailed};
inline const std::vector<std::string> kFailsWhileProcessing = {kProcessing, kFailing, kFailed};

// Records the statuses in order, a failure report as kFailing.
class Recorder : public dissim::RunObserver {
public:
    void statusChanged(std::string_view text) override { events.emplace_back(text); }
    void runFailing(std::string_view) override { events.push_back(kFailing); }
    std::vector<std::string> events;
};

struct Outcome {
    bool done = false;
    std::string description;
    std::vector<std::string> events;
};

inline Outcome run(dissim::RunState& state) {
    Recorder recorder;
    const dissim::RunResult result = dissim::runDissimilarity(state, recorder);
    return {result.done, result.description, recorder.events};
}

// A path that cannot be used: each case prepares its paths in a fresh folder.
struct PathFault {
    const char* name;
    // Sets up the folder and returns {input path, output path}.
    std::pair<std::string, std::string> (*prepare)(const TempDir& dir);
    std::vector<std::string> events;
    // Whether the output path may exist after the run (as it was before, or emptied).
    bool outputCreated;
};

inline std::string inputIn(const TempDir& dir) {
    writeFile(dir.file("in.txt"), kSortData);
    return dir.file("in.txt");
}

inline void PrintTo(const PathFault& fault, std::ostream* out) {
    *out << fault.name;
}

// Runs with the fault's paths: the run fails on the expected path, with a one-line reason,
// leaves no file open, leaves the input as it was and creates no output it should not.
inline void expectFailsWithoutTouchingTheInput(const PathFault& fault) {
    namespace fs = std::filesystem;
    const TempDir dir;
    const auto [input, output] = fault.prepare(dir);
    const bool inputIsFile = !input.empty() && fs::is_regular_file(input);
    const bool outputExisted = !output.empty() && fs::exists(fs::symlink_status(output));
    const int descriptors = openDescriptors();

    dissim::RunState state = testsupport::runSettings("2", "3", input, output);
    const Outcome outcome = run(state);

    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(outcome.events, fault.events);
    EXPECT_FALSE(outcome.description.empty());
    EXPECT_EQ(outcome.description.find('\n'), std::string::npos) << outcome.description;
    EXPECT_EQ(openDescriptors(), descriptors);
    if (inputIsFile) {
        EXPECT_EQ(readFile(input), kSortData);
    }
    if (!output.empty() && !outputExisted && !fault.outputCreated) {
        EXPECT_FALSE(fs::exists(fs::symlink_status(output))) << output;
    }
    if (fs::is_directory(output)) {
        EXPECT_TRUE(fs::is_empty(output));
    }
}

} // namespace testsupport
