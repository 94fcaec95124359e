#include "bench_sort_data.h"

#include <algorithm>
#include <random>
#include <vector>

namespace bench {
namespace {

// A number in [0, bound); mt19937_64 is the same everywhere, the standard distributions are not.
std::uint64_t below(std::mt19937_64& random, std::uint64_t bound) {
    return random() % bound;
}

} // namespace

std::string makeSortData(std::int64_t subjects, std::int64_t stimuli, std::uint64_t seed) {
    std::mt19937_64 random(seed);
    std::string text;
    text.reserve(static_cast<std::size_t>(subjects * (stimuli * 2 + 2)));
    std::vector<int> codes(static_cast<std::size_t>(stimuli));
    for (std::int64_t s = 0; s < subjects; ++s) {
        const auto groups = static_cast<int>(
            std::min<std::uint64_t>(2 + below(random, 7), static_cast<std::uint64_t>(stimuli)));
        // The first stimuli open every group once, the rest fall anywhere; then shuffled.
        for (std::size_t k = 0; k < codes.size(); ++k) {
            codes[k] =
                k < static_cast<std::size_t>(groups)
                    ? static_cast<int>(k) + 1
                    : static_cast<int>(below(random, static_cast<std::uint64_t>(groups))) + 1;
        }
        for (std::size_t k = codes.size(); k > 1; --k) {
            std::swap(codes[k - 1], codes[below(random, k)]);
        }
        for (std::size_t k = 0; k < codes.size(); ++k) {
            if (k > 0) {
                text += ' ';
            }
            text += std::to_string(codes[k]);
        }
        text += "\r\n";
    }
    return text;
}

} // namespace bench
