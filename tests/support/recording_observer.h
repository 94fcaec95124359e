#pragma once

// A run observer that records what a run reports, for comparison with the expected sequence.

#include "dissimilarity_run.h"

#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

struct RecordingObserver : dissim::RunObserver {
    void statusChanged(std::string_view text) override { statuses.emplace_back(text); }
    void runFailing(std::string_view description) override {
        failures.emplace_back(description);
        // The failure is announced before its status text is set.
        statusesAtFailure = statuses.size();
    }

    std::vector<std::string> statuses;
    std::vector<std::string> failures;
    std::size_t statusesAtFailure = 0;
};

} // namespace testsupport
