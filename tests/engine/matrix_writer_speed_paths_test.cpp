// The fast paths of the matrix file's writing and of the run's inner loops, checked against
// straightforward references: formatted text, subject rows made from codes, batched pair
// counts, the writing thread and its failures, and the reader's short cut for plain items.

#include "block_text.h"
#include "dissimilarity_run.h"
#include "files.h"
#include "matrix16.h"
#include "matrix_writer.h"
#include "pair_counts.h"
#include "run_error.h"
#include "run_state.h"
#include "sort_data_reader.h"

#include "recording_observer.h"
#include "run_settings.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using Codes = std::vector<std::int16_t>; // index 0 unused, as in the run state

// The block as the file format describes it, entry by entry.
std::string referenceBlock(const dissim::Matrix16& m, std::int64_t n) {
    std::string text;
    for (std::int64_t r = 1; r <= std::max<std::int64_t>(n, 1); ++r) {
        text += ' ';
        for (std::int64_t c = 1; c < r; ++c) {
            const int value = m(static_cast<std::size_t>(r), static_cast<std::size_t>(c));
            text += (value < 0 ? "-" : " ") + std::to_string(std::abs(value)) + " ";
        }
        text += " 0 \r\n";
    }
    return text;
}

// The subject's matrix as the run's steps define it: 1 everywhere in rows and columns 1 to n,
// then 0 below the diagonal where the two codes are equal.
dissim::Matrix16 subjectMatrixOf(const Codes& codes) {
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

Codes randomCodes(std::size_t n, std::size_t groups, std::int16_t base, std::mt19937& random) {
    Codes codes(n + 1, 0);
    for (std::size_t k = 1; k <= n; ++k) {
        codes[k] = static_cast<std::int16_t>(base + static_cast<int>(random() % groups));
    }
    return codes;
}

// What a writer with the given buffers leaves in a new file after write(writer) and a flush.
// Told to expect much, the writer has its writing thread from the start; otherwise it starts
// one only when the first buffer is full.
template <typename Write>
std::string written(std::size_t bufferBytes, Write write, bool expectMuch = false) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("in.txt"), "");
    dissim::InputFile input(dir.file("in.txt"));
    dissim::OutputFile output(dir.file("out.txt"), input);
    {
        dissim::MatrixWriter writer(output, bufferBytes);
        if (expectMuch) {
            writer.expect(std::uint64_t{1} << 40);
        }
        write(writer);
        writer.flush();
    }
    output.close();
    return testsupport::readFile(dir.file("out.txt"));
}

constexpr std::size_t kSmallBuffers = dissim::MatrixWriter::kMinBufferBytes;
constexpr std::size_t kDefaultBuffers = dissim::MatrixWriter::kDefaultBufferBytes;

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
    [](const auto& info) { return std::string(info.param.name); });

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
    for (const bool expectMuch : {false, true}) {
        const std::string text = written(
            c.bufferBytes,
            [&](dissim::MatrixWriter& writer) {
                for (const auto& codes : subjects) {
                    writer.writeSubjectBlock(codes.data(), static_cast<std::int64_t>(c.n));
                }
            },
            expectMuch);
        EXPECT_EQ(text, expected) << (expectMuch ? "thread from the start" : "thread when full");
    }
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
    [](const auto& info) { return std::string(info.param.name); });

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
            for (std::size_t i = 0; i <= c.n; ++i) {
                for (std::size_t j = 0; j <= c.n; ++j) {
                    ASSERT_EQ(batched(i, j), expected(i, j))
                        << "after " << s << " at " << i << "," << j;
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, PairCounts,
                         testing::Values(CounterCase{"oneStimulus", 1, 3, 1 << 20},
                                         CounterCase{"shortRows", 9, 12, 1 << 20},
                                         CounterCase{"oneSubjectABatch", 300, 11, 1},
                                         CounterCase{"smallBatches", 300, 23, 3000},
                                         CounterCase{"manyBands", 1000, 7, 1 << 20}),
                         [](const auto& info) { return std::string(info.param.name); });

// A write error is raised on the caller's thread, whether the writing thread had started or
// everything was still in the first buffer.
TEST(MatrixWriterThread, AWriteErrorReachesTheCallerAndMarksTheWriterFailed) {
    for (const std::size_t n : {5, 2000}) {
        testsupport::TempDir dir;
        testsupport::writeFile(dir.file("in.txt"), "");
        dissim::InputFile input(dir.file("in.txt"));
        dissim::OutputFile output("/dev/full", input);
        dissim::MatrixWriter writer(output, kSmallBuffers);
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

// Whole runs large enough to need many buffers and the writing thread.
struct RunCase {
    const char* name;
    std::string tail; // what follows the codes of the complete subjects
    std::size_t completeSubjects;
    bool done;
};

class LargeRuns : public testing::TestWithParam<RunCase> {};

TEST_P(LargeRuns, KeepWholeBlocksOnlyAndLeaveTheArraysOfTheCompleteSubjects) {
    const RunCase& c = GetParam();
    constexpr std::size_t kStimuli = 400;
    constexpr std::size_t kSubjects = 9;
    std::mt19937 random(11);
    std::vector<Codes> subjects;
    std::string input;
    for (std::size_t s = 0; s < c.completeSubjects; ++s) {
        subjects.push_back(randomCodes(kStimuli, 2 + s % 7, 1, random));
        for (std::size_t k = 1; k <= kStimuli; ++k) {
            input += std::to_string(subjects.back()[k]) + (k < kStimuli ? " " : "\r\n");
        }
    }
    input += c.tail;

    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("sort.txt"), input);
    dissim::RunState state =
        testsupport::runSettings(std::to_string(kSubjects), std::to_string(kStimuli),
                                 dir.file("sort.txt"), dir.file("matrices.txt"));
    testsupport::RecordingObserver observer;
    const dissim::RunResult result = dissim::runDissimilarity(state, observer);

    dissim::Matrix16 counts;
    counts.resize(kStimuli + 1);
    std::string expected;
    for (const Codes& codes : subjects) {
        const dissim::Matrix16 m = subjectMatrixOf(codes);
        expected += referenceBlock(m, kStimuli);
        for (std::size_t i = 1; i <= kStimuli; ++i) {
            for (std::size_t j = 1; j < i; ++j) {
                counts(i, j) = static_cast<std::int16_t>(counts(i, j) + m(i, j));
            }
        }
    }
    std::vector<std::string> statuses{std::string(dissim::kStatusProcessing)};
    statuses.insert(statuses.end(), c.completeSubjects, std::string(dissim::kStatusWriting));
    if (c.done) {
        expected += referenceBlock(counts, kStimuli);
        statuses.emplace_back(dissim::kStatusDone);
    } else {
        statuses.emplace_back(dissim::kStatusFailed);
    }
    EXPECT_EQ(result.done, c.done) << result.description;
    EXPECT_EQ(observer.statuses, statuses);
    EXPECT_TRUE(testsupport::readFile(state.outputFile) == expected) << "output differs";
    // The disk room set aside for the whole file is given back beyond what was written.
    struct stat st {};
    ASSERT_EQ(::stat(state.outputFile.c_str(), &st), 0);
    EXPECT_LE(static_cast<std::uint64_t>(st.st_blocks) * 512, expected.size() + 64 * 1024);

    // The arrays as the subject-by-subject steps leave them after the last complete subject.
    if (!subjects.empty()) {
        const dissim::Matrix16 last = subjectMatrixOf(subjects.back());
        for (std::size_t i = 0; i <= kStimuli; ++i) {
            for (std::size_t j = 0; j <= kStimuli; ++j) {
                ASSERT_EQ(state.subjectMatrix(i, j), last(i, j)) << i << "," << j;
            }
        }
    }
    for (std::size_t i = 2; i <= kStimuli; ++i) {
        for (std::size_t j = 1; j < i; ++j) {
            // Separated by counts(i, j) of the complete subjects, together for the others read.
            const auto together = static_cast<int>(c.completeSubjects) - counts(i, j);
            ASSERT_EQ(state.countMatrix(i, j), static_cast<int>(kSubjects) - together) << i << j;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Table, LargeRuns,
                         testing::Values(RunCase{"complete", "", 9, true},
                                         RunCase{"failsAtTheFirstItem", "x", 0, false},
                                         RunCase{"endsBetweenSubjects", "", 6, false},
                                         RunCase{"endsWithinASubject", "1 2 3 1 2 3\r\n", 6, false},
                                         RunCase{"letterWithinASubject", "1 2 x 1\r\n", 4, false},
                                         RunCase{"codeOutOfRange", "4 32768\r\n", 3, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(LargeRuns, AFullDiskWithTheWritingThreadFailsAndIsNeverDone) {
    testsupport::TempDir dir;
    std::string input;
    for (int s = 0; s < 20; ++s) {
        for (int k = 0; k < 500; ++k) {
            input += std::to_string((k * (s + 3)) % 5) + " ";
        }
    }
    testsupport::writeFile(dir.file("sort.txt"), input);
    dissim::RunState state =
        testsupport::runSettings("20", "500", dir.file("sort.txt"), "/dev/full");
    testsupport::RecordingObserver observer;
    const dissim::RunResult result = dissim::runDissimilarity(state, observer);
    EXPECT_FALSE(result.done);
    EXPECT_NE(result.description.find("writing the output file"), std::string::npos)
        << result.description;
    ASSERT_FALSE(observer.statuses.empty());
    EXPECT_EQ(observer.statuses.front(), dissim::kStatusProcessing);
    EXPECT_EQ(observer.statuses.back(), dissim::kStatusFailed);
    for (std::size_t i = 1; i + 1 < observer.statuses.size(); ++i) {
        EXPECT_EQ(observer.statuses[i], dissim::kStatusWriting);
    }
}

// The reader's short cut for plain items gives the codes the general path gives, for every
// item form and separator, including items cut by the end of the reader's buffer.
// Mostly: every item and separator form in turn. Spaced digits: the usual sort data, one-digit
// codes each after one space, broken now and then by another form, so that runs of them start
// and end at every place (line ends, the reader's buffer ends among them).
enum class Mix { Mostly, SpacedDigits };

class ReaderShortCut : public testing::TestWithParam<Mix> {};

TEST_P(ReaderShortCut, ReadsEveryFormAsTheGeneralPathDoes) {
    const char* items[] = {"7",     "-12", "00042", "32767", "-32768", "+5", "5.0",
                           "\"3\"", "1e1", "0",     "-0",    "000001", "99", "-7"};
    const char* separators[] = {" ", "\t", ",", " , ", "\r\n", "\n", "  ", ",\r\n"};
    std::mt19937 random(5);
    std::string text;
    std::vector<std::int16_t> expected;
    for (std::size_t i = 0; text.size() < 200 * 1024; ++i) {
        std::string item = items[(i * 7 + i / 13) % std::size(items)];
        const char* separator = separators[(i * 3 + i / 11) % std::size(separators)];
        if (GetParam() == Mix::SpacedDigits && random() % 23 != 0) {
            item = std::string(1, static_cast<char>('0' + random() % 10));
            separator = " ";
        }
        text += item;
        text += separator;
        const dissim::ParsedCode parsed =
            dissim::parseGroupCode(item.front() == '"' ? item.substr(1, item.size() - 2) : item);
        ASSERT_EQ(parsed.error, nullptr) << item;
        expected.push_back(parsed.code);
    }
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("sort.txt"), text);
    {
        dissim::InputFile input(dir.file("sort.txt"));
        dissim::SortDataReader reader(input);
        for (std::size_t k = 0; k < expected.size(); ++k) {
            ASSERT_EQ(reader.readCode(1, static_cast<std::int64_t>(k + 1)), expected[k]) << k;
        }
        EXPECT_THROW(reader.readCode(1, 0), dissim::RunError);
        EXPECT_EQ(reader.codesRead(), static_cast<std::int64_t>(expected.size()));
    }
    // The same a subject at a time, as the run reads; the last subject runs past the end.
    dissim::InputFile input(dir.file("sort.txt"));
    dissim::SortDataReader reader(input);
    constexpr std::size_t kStimuli = 37;
    Codes codes(kStimuli + 1, 0);
    std::size_t next = 0;
    for (; next + kStimuli <= expected.size(); next += kStimuli) {
        reader.readCodes(1, codes.data(), kStimuli);
        for (std::size_t k = 1; k <= kStimuli; ++k) {
            ASSERT_EQ(codes[k], expected[next + k - 1]) << next + k - 1;
        }
    }
    EXPECT_THROW(reader.readCodes(1, codes.data(), kStimuli), dissim::RunError);
    EXPECT_EQ(reader.codesRead(), static_cast<std::int64_t>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Table, ReaderShortCut, testing::Values(Mix::Mostly, Mix::SpacedDigits),
                         [](const auto& info) {
                             return info.param == Mix::Mostly ? "mostly" : "spacedDigits";
                         });

} // namespace
