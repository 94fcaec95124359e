// Batched pair counts give what counting subject by subject gives, whenever they are applied.

#include "pair_counts.h"

#include "matrix16.h"

#include "reference_matrices.h"
#include "test_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using testsupport::Codes;
using testsupport::randomCodes;

struct CounterCase {
    const char* name;
    std::size_t n;
    std::size_t subjects;
    std::size_t batchBytes;
};

class PairCounts : public testing::TestWithParam<CounterCase> {};

TEST_P(PairCounts, EqualSubjectBySubjectCountingAtEveryApply) {
    const CounterCase& c = GetParam();
    std::mt19937 random(static_cast<unsigned>(c.n + c.subjects));
    const auto start = static_cast<std::int16_t>(c.subjects);
    dissim::Matrix16 batched;
    dissim::Matrix16 expected;
    batched.resize(c.n + 1);
    expected.resize(c.n + 1);
    for (std::size_t i = 1; i <= c.n; ++i) {
        for (std::size_t j = 1; j <= c.n; ++j) {
            batched(i, j) = expected(i, j) = start;
        }
    }
    dissim::PairCounter counter(batched, c.n, c.subjects, c.batchBytes);
    for (std::size_t s = 1; s <= c.subjects; ++s) {
        const Codes codes = randomCodes(c.n, 2 + s % 7, 1, random);
        counter.addSubject(codes.data());
        for (std::size_t i = 1; i < c.n; ++i) {
            for (std::size_t j = i + 1; j <= c.n; ++j) {
                expected(j, i) = static_cast<std::int16_t>(expected(j, i) - (codes[i] == codes[j]));
            }
        }
        if (s % 5 == 0 || s == c.subjects) { // as a run that fails or ends here would
            counter.apply();
            ASSERT_TRUE(testsupport::equalUpTo(batched, expected, c.n)) << "after " << s;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PairCounts,
                         testing::Values(CounterCase{"oneStimulus", 1, 3, 1 << 20},
                                         CounterCase{"shortRows", 9, 12, 1 << 20},
                                         CounterCase{"oneSubjectABatch", 300, 11, 1},
                                         CounterCase{"smallBatches", 300, 23, 3000},
                                         CounterCase{"manyBands", 1000, 7, 1 << 20}),
                         testsupport::ByName());

} // namespace
