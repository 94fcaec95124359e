#include "count_value.h"
#include "run_error.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using dissim::CountValue;

struct Conversion {
    const char* text;
    char separator;
    double exact;
    std::int64_t loops;
    std::optional<std::int32_t> int32; // nothing: the conversion fails
    std::optional<std::int16_t> int16;
    const char* display;
};

class CountConversion : public testing::TestWithParam<Conversion> {};

TEST_P(CountConversion, ConvertsAsTheRunUsesIt) {
    const Conversion& c = GetParam();
    const CountValue count(c.text, c.separator);
    EXPECT_EQ(count.text(), c.text) << "the count keeps the text as typed";
    EXPECT_DOUBLE_EQ(count.exact(), c.exact);
    EXPECT_EQ(count.loopCount(), c.loops);
    if (c.int32) {
        EXPECT_EQ(count.toInt32(), *c.int32);
    } else {
        EXPECT_THROW(count.toInt32(), dissim::RunError);
    }
    if (c.int16) {
        EXPECT_EQ(count.toInt16(), *c.int16);
    } else {
        EXPECT_THROW(count.toInt16(), dissim::RunError);
    }
    EXPECT_EQ(count.displayText(), c.display);
}

INSTANTIATE_TEST_SUITE_P(
    Table, CountConversion,
    testing::Values(
        // text, separator, exact, loops, int32, int16, summary form
        Conversion{"", '.', 0, 0, 0, 0, " 0"}, Conversion{"5", '.', 5, 5, 5, 5, " 5"},
        Conversion{" 007 ", '.', 7, 7, 7, 7, " 7"}, Conversion{"1", '.', 1, 1, 1, 1, " 1"},
        // Fractions: loops run to the whole part, sizing rounds a half to the even neighbour.
        Conversion{"2.5", '.', 2.5, 2, 2, 2, " 2.5"}, Conversion{"3.5", '.', 3.5, 3, 4, 4, " 3.5"},
        Conversion{"0.5", '.', 0.5, 0, 0, 0, " 0.5"}, Conversion{"1.5", '.', 1.5, 1, 2, 2, " 1.5"},
        Conversion{"2,5", ',', 2.5, 2, 2, 2, " 2.5"}, Conversion{"+4", '.', 4, 4, 4, 4, " 4"},
        Conversion{"1e3", '.', 1000, 1000, 1000, 1000, " 1000"},
        Conversion{"-1", '.', -1, 0, -1, -1, "-1"},
        // Far from any sensible count the summary falls back to the exponent form.
        Conversion{"2e-67", '.', 2e-67, 0, 0, 0, " 2e-67"},
        Conversion{"1e300", '.', 1e300, 9'000'000'000'000'000'000, std::nullopt, std::nullopt,
                   " 1e+300"},
        // The 16-bit limit of the count matrix and the 32-bit limit of the arrays.
        Conversion{"32767", '.', 32767, 32767, 32767, 32767, " 32767"},
        Conversion{"32768", '.', 32768, 32768, 32768, std::nullopt, " 32768"},
        Conversion{"32767.5", '.', 32767.5, 32767, 32768, std::nullopt, " 32767.5"},
        Conversion{"-32768.5", '.', -32768.5, 0, -32768, -32768, "-32768.5"},
        Conversion{"2147483647", '.', 2147483647.0, 2147483647, 2147483647, std::nullopt,
                   " 2147483647"},
        Conversion{"2147483648", '.', 2147483648.0, 2147483648, std::nullopt, std::nullopt,
                   " 2147483648"}));

TEST(CountValue, TextThatIsNoNumberFailsEveryConversion) {
    for (const char* text : {"abc", "2,5", "1..2", "--1"}) {
        const CountValue count(text, '.');
        EXPECT_THROW(count.exact(), dissim::RunError) << text;
        EXPECT_THROW(count.toInt32(), dissim::RunError) << text;
        EXPECT_THROW(count.loopCount(), dissim::RunError) << text;
    }
}

struct NumericCase {
    const char* text;
    char separator;
    bool numeric;
};

class NumericTest : public testing::TestWithParam<NumericCase> {};

TEST_P(NumericTest, AcceptsWhatAPersonTypesAndNothingElse) {
    const NumericCase& c = GetParam();
    EXPECT_EQ(dissim::isNumericText(c.text, c.separator), c.numeric) << '"' << c.text << '"';
}

INSTANTIATE_TEST_SUITE_P(
    Table, NumericTest,
    testing::Values(NumericCase{"12", '.', true}, NumericCase{"  12  ", '.', true},
                    NumericCase{"-3", '.', true}, NumericCase{"+3", '.', true},
                    NumericCase{"2.5", '.', true}, NumericCase{"2.5", ',', true},
                    NumericCase{"2,5", ',', true}, NumericCase{".5", '.', true},
                    NumericCase{"5.", '.', true}, NumericCase{"1e3", '.', true},
                    NumericCase{"1E-3", '.', true}, NumericCase{"007", '.', true},
                    NumericCase{"", '.', false}, NumericCase{"   ", '.', false},
                    NumericCase{"2,5", '.', false}, NumericCase{"abc", '.', false},
                    NumericCase{"12abc", '.', false}, NumericCase{"1 2", '.', false},
                    NumericCase{".", '.', false}, NumericCase{"-", '.', false},
                    NumericCase{"e5", '.', false}, NumericCase{"1e", '.', false},
                    NumericCase{"1e+", '.', false}, NumericCase{"inf", '.', false},
                    NumericCase{"nan", '.', false}, NumericCase{"0x10", '.', false},
                    NumericCase{"1e999", '.', false}, NumericCase{"1.2.3", '.', false}));

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
    const std::pair<double, double> cases[] = {{0.5, 0},   {1.5, 2},    {2.5, 2}, {3.5, 4},
                                               {-2.5, -2}, {2.4, 2},    {2.6, 3}, {-0.5, 0},
                                               {7, 7},     {1e10, 1e10}};
    for (const auto& [value, rounded] : cases) {
        EXPECT_EQ(dissim::roundHalfEven(value), rounded) << value;
    }
}

} // namespace
