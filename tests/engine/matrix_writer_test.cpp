// The matrix file's writing: the block format on small examples, and the fast paths (text across
// many buffer fills, blocks made from a subject's codes) and write failures checked against the
// block's text entry by entry.

#include "matrix_writer.h"

#include "files.h"
#include "matrix16.h"
#include "run_error.h"

#include "full_disk.h"
#include "reference_matrices.h"
#include "scratch_output.h"
#include "test_names.h"
#include "worked_example.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using testsupport::Codes;
using testsupport::randomCodes;
using testsupport::referenceBlock;
using testsupport::subjectMatrixOf;

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

enum class Values { Binary, Counts, Negative, Extremes };

dissim::Matrix16 randomMatrix(std::size_t n, Values kind, std::mt19937& random) {
    static const std::int16_t extremes[] = {-32768, -10000, -1,   0,    1,     9,
                                            10,     999,    1023, 1024, 10000, 32767};
    dissim::Matrix16 m;
    m.resize(n + 1);
    for (std::size_t r = 1; r <= n; ++r) {
        for (std::size_t c = 1; c <= n; ++c) {
            const auto pick = random();
            switch (kind) {
            case Values::Binary:
                m(r, c) = static_cast<std::int16_t>(pick % 2);
                break;
            case Values::Counts: // across the end of the table of entry texts
                m(r, c) = static_cast<std::int16_t>(pick % 1500);
                break;
            case Values::Negative:
                m(r, c) = static_cast<std::int16_t>(static_cast<int>(pick % 101) - 50);
                break;
            case Values::Extremes: // mostly runs of 0/1 broken by one odd value
                m(r, c) = pick % 5 == 0 ? extremes[pick / 5 % std::size(extremes)]
                                        : static_cast<std::int16_t>(pick / 7 % 2);
                break;
            }
        }
    }
    return m;
}

constexpr std::size_t kSmallBuffers = dissim::MatrixWriter::kMinBufferBytes;
constexpr std::size_t kDefaultBuffers = dissim::MatrixWriter::kDefaultBufferBytes;

// What a writer with the given buffer leaves in a new file after write(writer) and a flush.
template <typename Write> std::string written(std::size_t bufferBytes, Write write) {
    testsupport::ScratchOutput out;
    {
        dissim::MatrixWriter writer(out.output, bufferBytes);
        write(writer);
        writer.flush();
    }
    out.output.close();
    return out.contents();
}

std::string writtenBlock(const dissim::Matrix16& m, std::int64_t n) {
    return written(kDefaultBuffers, [&](dissim::MatrixWriter& writer) { writer.writeBlock(m, n); });
}

struct BlockCase {
    const char* name;
    std::vector<std::vector<int>> rows;
    std::int64_t n;
    std::string expected;
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
        BlockCase{"subjectExample", {{}, {0}, {1, 1}}, 3, testsupport::kBlock112},
        BlockCase{"countExample", {{}, {1}, {2, 1}}, 3, testsupport::kCountsOfBoth},
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
    testsupport::ByName());

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
    for (std::int64_t r = 1; r <= n; ++r) {
        for (std::int64_t c = 1; c < r; ++c) {
            m(r, c) = static_cast<std::int16_t>((r * 31 + c * 17) % 70000 - 35000);
        }
    }
    EXPECT_EQ(writtenBlock(m, n), referenceBlock(m, n));
}

TEST(MatrixWriter, AWriteErrorIsAFailure) {
    SKIP_WITHOUT_FULL_DISK();
    testsupport::ScratchOutput out(testsupport::kFullDisk);
    dissim::MatrixWriter writer(out.output);
    dissim::Matrix16 m;
    m.resize(2);
    writer.writeBlock(m, 1);
    EXPECT_THROW(writer.flush(), dissim::RunError);
    EXPECT_TRUE(writer.failed());
}

struct MatrixCase {
    const char* name;
    std::size_t n;
    Values values;
    std::size_t bufferBytes;
};

class MatrixBlocks : public testing::TestWithParam<MatrixCase> {};

TEST_P(MatrixBlocks, MatchTheReferenceBlockAfterBlock) {
    const MatrixCase& c = GetParam();
    std::mt19937 random(static_cast<unsigned>(c.n) * 31 + static_cast<unsigned>(c.values));
    std::vector<dissim::Matrix16> blocks;
    std::string expected;
    for (int b = 0; b < (c.n > 1000 ? 1 : 3); ++b) {
        blocks.push_back(randomMatrix(c.n, c.values, random));
        expected += referenceBlock(blocks.back(), static_cast<std::int64_t>(c.n));
    }
    const std::string text = written(c.bufferBytes, [&](dissim::MatrixWriter& writer) {
        for (const auto& m : blocks) {
            writer.writeBlock(m, static_cast<std::int64_t>(c.n));
        }
    });
    EXPECT_EQ(text, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MatrixBlocks,
    testing::Values(MatrixCase{"none", 0, Values::Counts, kDefaultBuffers},
                    MatrixCase{"one", 1, Values::Counts, kDefaultBuffers},
                    MatrixCase{"eightEntryRunPlusOne", 10, Values::Binary, kDefaultBuffers},
                    MatrixCase{"binaryManyBuffers", 300, Values::Binary, kSmallBuffers},
                    MatrixCase{"countsManyBuffers", 300, Values::Counts, kSmallBuffers},
                    MatrixCase{"negativeManyBuffers", 300, Values::Negative, kSmallBuffers},
                    MatrixCase{"extremesManyBuffers", 300, Values::Extremes, kSmallBuffers},
                    MatrixCase{"rowsInStretches", 4500, Values::Counts, kSmallBuffers}),
    testsupport::ByName());

struct SubjectCase {
    const char* name;
    std::size_t n;
    std::size_t groups;
    std::int16_t firstCode;
    std::size_t bufferBytes;
};

class SubjectBlocks : public testing::TestWithParam<SubjectCase> {};

TEST_P(SubjectBlocks, FromCodesMatchTheMatrixBlocks) {
    const SubjectCase& c = GetParam();
    std::mt19937 random(static_cast<unsigned>(c.n * 7 + c.groups));
    std::vector<Codes> subjects;
    std::string expected;
    for (int s = 0; s < 3; ++s) {
        subjects.push_back(randomCodes(c.n, c.groups, c.firstCode, random));
        expected +=
            referenceBlock(subjectMatrixOf(subjects.back()), static_cast<std::int64_t>(c.n));
    }
    const std::string text = written(c.bufferBytes, [&](dissim::MatrixWriter& writer) {
        for (const auto& codes : subjects) {
            writer.writeSubjectBlock(codes.data(), static_cast<std::int64_t>(c.n));
        }
    });
    EXPECT_EQ(text, expected);
}

// Rows are cut from one row per group up to 64 groups and a quarter of the stimuli, and
// formatted one by one beyond.
INSTANTIATE_TEST_SUITE_P(
    Table, SubjectBlocks,
    testing::Values(SubjectCase{"none", 0, 1, 1, kDefaultBuffers},
                    SubjectCase{"one", 1, 1, 1, kDefaultBuffers},
                    SubjectCase{"two", 2, 2, 1, kDefaultBuffers},
                    SubjectCase{"allTogether", 9, 1, 5, kDefaultBuffers},
                    SubjectCase{"twoGroups", 200, 2, 1, kSmallBuffers},
                    SubjectCase{"quarterOfStimuli", 200, 50, -20, kSmallBuffers},
                    SubjectCase{"beyondAQuarter", 200, 51, -20, kSmallBuffers},
                    SubjectCase{"sixtyFourGroups", 1000, 64, 100, kSmallBuffers},
                    SubjectCase{"sixtyFiveGroups", 1000, 65, 100, kSmallBuffers},
                    SubjectCase{"everyStimulusAlone", 300, 300, 0, kSmallBuffers},
                    SubjectCase{"extremeCodes", 500, 2, 32766, kSmallBuffers},
                    SubjectCase{"lowestCodes", 500, 3, -32768, kDefaultBuffers}),
    testsupport::ByName());

// Every write but the last is one whole buffer, so the file grows in whole buffers until the
// flush: the text is cut wherever a buffer ends, inside rows and entries.
TEST(MatrixWriter, TheFileGrowsInWholeBuffersUntilTheFlush) {
    testsupport::ScratchOutput out;
    std::mt19937 random(5);
    std::string expected;
    dissim::MatrixWriter writer(out.output, kSmallBuffers);
    for (int s = 0; s < 5; ++s) {
        const Codes codes = randomCodes(200, 3, 1, random);
        writer.writeSubjectBlock(codes.data(), 200);
        expected += referenceBlock(subjectMatrixOf(codes), 200);
    }
    const dissim::Matrix16 counts = randomMatrix(200, Values::Counts, random);
    writer.writeBlock(counts, 200);
    expected += referenceBlock(counts, 200);
    ASSERT_GT(expected.size(), 4 * kSmallBuffers);
    EXPECT_EQ(out.contents(), expected.substr(0, expected.size() / kSmallBuffers * kSmallBuffers));
    writer.flush();
    EXPECT_EQ(out.contents(), expected);
}

// A write error is raised to the caller and marks the writer failed, whether the buffer had
// filled and gone to the file before or everything was still in it at the flush.
TEST(MatrixWriter, AWriteErrorReachesTheCallerAndMarksTheWriterFailed) {
    SKIP_WITHOUT_FULL_DISK();
    for (const std::size_t n : {5, 2000}) {
        testsupport::ScratchOutput out(testsupport::kFullDisk);
        dissim::MatrixWriter writer(out.output, kSmallBuffers);
        std::mt19937 random(3);
        const dissim::Matrix16 m = randomMatrix(n, Values::Counts, random);
        EXPECT_THROW(
            {
                for (int b = 0; b < 4; ++b) {
                    writer.writeBlock(m, static_cast<std::int64_t>(n));
                }
                writer.flush();
            },
            dissim::RunError)
            << n;
        EXPECT_TRUE(writer.failed()) << n;
    }
}

} // namespace
