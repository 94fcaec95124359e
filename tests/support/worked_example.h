#pragma once

// The worked example: two subjects over three stimuli, one with codes 1 1 2 and one with
// 5 6 6, the blocks a run over them writes, and the status texts a run shows.

#include "dissimilarity_run.h"

#include <string>

namespace testsupport {

inline const std::string kSortData = "1 1 2\n5,6,6\n";

inline const std::string kBlock112 = "  0 \r\n  0  0 \r\n  1  1  0 \r\n";
inline const std::string kBlock566 = "  0 \r\n  1  0 \r\n  1  0  0 \r\n";
inline const std::string kCountsOfBoth = "  0 \r\n  1  0 \r\n  2  1  0 \r\n";
// The whole matrix file of a run over both subjects.
inline const std::string kMatricesOfBoth = kBlock112 + kBlock566 + kCountsOfBoth;

inline const std::string kProcessing(dissim::kStatusProcessing);
inline const std::string kWriting(dissim::kStatusWriting);
inline const std::string kDone(dissim::kStatusDone);
inline const std::string kFailed(dissim::kStatusFailed);

} // namespace testsupport
