#pragma once

// Straightforward references for the run's fast paths: a block's text entry by entry, a
// subject's matrix made from its group codes, and random group codes; and a comparison of two
// matrices that names the first element where they differ.

#include "matrix16.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace testsupport {

using Codes = std::vector<std::int16_t>; // index 0 unused, as in the run state

// The block as the file format describes it, entry by entry.
inline std::string referenceBlock(const dissim::Matrix16& m, std::int64_t n) {
    std::string text;
    for (std::int64_t r = 1; r <= std::max<std::int64_t>(n, 1); ++r) {
        text += ' ';
        for (std::int64_t c = 1; c < r; ++c) {
            const int value = m(static_cast<std::size_t>(r), static_cast<std::size_t>(c));
            // Appended piece by piece: prepending the sign to the digits' temporary string
            // trips a false -Wrestrict in GCC 12 at -O3.
            text += value < 0 ? '-' : ' ';
            text += std::to_string(std::abs(value));
            text += ' ';
        }
        text += " 0 \r\n";
    }
    return text;
}

// The subject's matrix as the run's steps define it: 1 everywhere in rows and columns 1 to n,
// then 0 below the diagonal where the two codes are equal.
inline dissim::Matrix16 subjectMatrixOf(const Codes& codes) {
    const std::size_t n = codes.size() - 1;
    dissim::Matrix16 m;
    m.resize(n + 1);
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= n; ++j) {
            m(i, j) = 1;
        }
    }
    for (std::size_t i = 1; i < n; ++i) {
        for (std::size_t j = i + 1; j <= n; ++j) {
            if (codes[i] == codes[j]) {
                m(j, i) = 0;
            }
        }
    }
    return m;
}

// Codes for stimuli 1 to n, each one of `groups` codes from base up.
inline Codes randomCodes(std::size_t n, std::size_t groups, std::int16_t base,
                         std::mt19937& random) {
    Codes codes(n + 1, 0);
    for (std::size_t k = 1; k <= n; ++k) {
        codes[k] = static_cast<std::int16_t>(base + static_cast<int>(random() % groups));
    }
    return codes;
}

// A square matrix with the given rows (each as long as there are rows).
inline dissim::Matrix16 matrixOf(const std::vector<std::vector<int>>& rows) {
    dissim::Matrix16 m;
    m.resize(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        for (std::size_t j = 0; j < rows[i].size(); ++j) {
            m(i, j) = static_cast<std::int16_t>(rows[i][j]);
        }
    }
    return m;
}

// Whether elements (0, 0) to (n, n) of the two matrices are equal; if not, the first that
// differs.
inline testing::AssertionResult equalUpTo(const dissim::Matrix16& actual,
                                          const dissim::Matrix16& expected, std::size_t n) {
    if (actual.size() <= n || expected.size() <= n) {
        return testing::AssertionFailure()
               << "sizes " << actual.size() << " and " << expected.size() << " do not reach " << n;
    }
    for (std::size_t i = 0; i <= n; ++i) {
        for (std::size_t j = 0; j <= n; ++j) {
            if (actual(i, j) != expected(i, j)) {
                return testing::AssertionFailure()
                       << "at (" << i << ", " << j << "): " << actual(i, j) << ", expected "
                       << expected(i, j);
            }
        }
    }
    return testing::AssertionSuccess();
}

} // namespace testsupport
