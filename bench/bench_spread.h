#pragma once

#include <algorithm>
#include <vector>

namespace bench {

// One measurement's values over the rounds: their median, least and most.
struct Spread {
    std::vector<double> values;
    double median() const {
        std::vector<double> sorted = values;
        std::sort(sorted.begin(), sorted.end());
        return sorted.empty() ? 0.0 : sorted[sorted.size() / 2];
    }
    double least() const {
        return values.empty() ? 0.0 : *std::min_element(values.begin(), values.end());
    }
    double most() const {
        return values.empty() ? 0.0 : *std::max_element(values.begin(), values.end());
    }
};

} // namespace bench
