// Every form of the count row update this processor runs gives what the update means, one
// column at a time: lowered by one exactly where the codes are equal, wrapping at the 16-bit
// limit, and nothing touched outside the row's columns (vector forms must not spill past them).

#include "pair_count_rows.h"

#include "test_names.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

class RowForms : public testing::TestWithParam<dissim::RowForm> {};

TEST_P(RowForms, LowerExactlyTheEqualColumnsAndNothingElse) {
    const dissim::RowForm form = GetParam();
    std::mt19937 random(7);
    constexpr std::int16_t kCodes[] = {-32768, -1, 0, 1, 2, 32767};
    constexpr std::size_t kGuard = 70; // more than the widest vector, on either side
    for (std::size_t columns = 0; columns <= 140; ++columns) {
        for (int trial = 0; trial < 4; ++trial) {
            std::vector<std::int16_t> codes(columns + 1 + kGuard);
            std::vector<std::int16_t> row(columns + 1 + kGuard);
            for (std::size_t c = 0; c < codes.size(); ++c) {
                codes[c] = kCodes[random() % std::size(kCodes)];
                row[c] = trial == 0 ? std::int16_t{-32768}
                                    : static_cast<std::int16_t>(random() % 65536 - 32768);
            }
            const std::int16_t code = kCodes[random() % std::size(kCodes)];
            std::vector<std::int16_t> expected = row;
            for (std::size_t c = 1; c <= columns; ++c) {
                expected[c] = static_cast<std::int16_t>(expected[c] - (codes[c] == code));
            }
            form.lower(row.data(), codes.data(), code, columns);
            ASSERT_EQ(row, expected) << form.name << ", " << columns << " columns";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ThisProcessor, RowForms, testing::ValuesIn(dissim::rowForms()),
                         testsupport::ByName());

TEST(RowForms, ThePortableFormIsAlwaysThere) {
    const std::vector<dissim::RowForm> forms = dissim::rowForms();
    ASSERT_FALSE(forms.empty());
    EXPECT_STREQ(forms.front().name, "portable");
}

} // namespace
