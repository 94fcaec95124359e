#include "matrix_writer.h"

#include "files.h"
#include "matrix16.h"
#include "run_error.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// A matrix over n stimuli whose lower triangle holds the given rows (row r holds r-1 values).
dissim::Matrix16 lowerTriangle(const std::vector<std::vector<int>>& rows) {
    dissim::Matrix16 m;
    m.resize(rows.size() + 1);
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            m(r + 1, c + 1) = static_cast<std::int16_t>(rows[r][c]);
        }
    }
    return m;
}

std::string writtenBlock(const dissim::Matrix16& m, std::int64_t n) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("in.txt"), "");
    dissim::InputFile input(dir.file("in.txt"));
    dissim::OutputFile output(dir.file("out.txt"), input);
    dissim::MatrixWriter writer(output);
    writer.writeBlock(m, n);
    writer.flush();
    output.close();
    return testsupport::readFile(dir.file("out.txt"));
}

struct BlockCase {
    const char* name;
    std::vector<std::vector<int>> rows;
    std::int64_t n;
    const char* expected;
};

class BlockFormat : public testing::TestWithParam<BlockCase> {};

TEST_P(BlockFormat, WritesTheLowerTriangleWithItsDiagonal) {
    const BlockCase& c = GetParam();
    EXPECT_EQ(writtenBlock(lowerTriangle(c.rows), c.n), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, BlockFormat,
    testing::Values(
        // A subject with codes 1, 1, 2 and the count block of that subject and one with 5, 6, 6.
        BlockCase{"subjectExample", {{}, {0}, {1, 1}}, 3, "  0 \r\n  0  0 \r\n  1  1  0 \r\n"},
        BlockCase{"countExample", {{}, {1}, {2, 1}}, 3, "  0 \r\n  1  0 \r\n  2  1  0 \r\n"},
        BlockCase{"oneStimulus", {{}}, 1, "  0 \r\n"},
        // With no stimuli the block still has its first line.
        BlockCase{"noStimuli", {}, 0, "  0 \r\n"},
        BlockCase{"negativeStimulusCount", {}, -4, "  0 \r\n"},
        BlockCase{"wideAndNegativeEntries",
                  {{}, {10}, {-3, 32767}, {-32768, 100, 0}},
                  4,
                  "  0 \r\n  10  0 \r\n -3  32767  0 \r\n -32768  100  0  0 \r\n"},
        // Only the rows up to n are written, and only elements below the diagonal are read.
        BlockCase{"fewerRowsThanTheMatrix", {{}, {1}, {1, 1}}, 2, "  0 \r\n  1  0 \r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MatrixWriter, IgnoresTheDiagonalAndUpperTriangle) {
    dissim::Matrix16 m;
    m.resize(3);
    m(1, 1) = 9;
    m(1, 2) = 9;
    m(2, 2) = 9;
    m(2, 1) = 1;
    EXPECT_EQ(writtenBlock(m, 2), "  0 \r\n  1  0 \r\n");
}

TEST(MatrixWriter, LargeBlockMatchesLineByLineFormatting) {
    // Large enough to pass through the buffer many times.
    const std::int64_t n = 1500;
    dissim::Matrix16 m;
    m.resize(n + 1);
    std::string expected;
    for (std::int64_t r = 1; r <= n; ++r) {
        expected += ' ';
        for (std::int64_t c = 1; c < r; ++c) {
            const auto value = static_cast<std::int16_t>((r * 31 + c * 17) % 70000 - 35000);
            m(r, c) = value;
            expected += (value < 0 ? "-" : " ") + std::to_string(value < 0 ? -value : value) + " ";
        }
        expected += " 0 \r\n";
    }
    EXPECT_EQ(writtenBlock(m, n), expected);
}

TEST(MatrixWriter, AWriteErrorIsAFailure) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("in.txt"), "");
    dissim::InputFile input(dir.file("in.txt"));
    dissim::OutputFile output("/dev/full", input);
    dissim::MatrixWriter writer(output);
    dissim::Matrix16 m;
    m.resize(2);
    writer.writeBlock(m, 1);
    EXPECT_THROW(writer.flush(), dissim::RunError);
    EXPECT_TRUE(writer.failed());
}

} // namespace
