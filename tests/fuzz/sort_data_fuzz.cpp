// Fuzz target: arbitrary bytes as the sort data file of a whole run.
//
// The first bytes choose the subject and stimulus counts (as typed text, from small tables
// that include fractions, negatives and non-numbers) and an optional run of leading spaces
// that puts the reader's buffer boundary inside the fuzzed bytes; the rest is the file. The
// file and the matrix file live in memory files reached by path, so the run opens them as it
// would any other file.
//
// Whatever the bytes, the run must end (done, or failed through its failure path) without a
// crash, a sanitizer report or an exception leaving it, and:
//  - the input file is byte for byte unchanged;
//  - the statuses are "Processing...", one "Writing output matrices..." per subject block,
//    then "Done!..." or, after exactly one failure report, the failure text;
//  - the matrix file holds exactly one well-formed block per subject written (plus the count
//    block when done), and nothing else; a run that failed before opening its files left the
//    matrix file alone;
//  - every subject block is a 0/1 matrix of a grouping (same group is an equivalence), and
//    the count block is the rounded subject count minus the subjects who grouped each pair.

#include "count_value.h"
#include "dissimilarity_run.h"
#include "run_state.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr const char* kSubjectCounts[16] = {"",    "0",  "1",   "2", "3",   "4", "5", "2.5",
                                            "3.5", "-1", "1e0", "x", "0.4", "6", "7", "+8"};
constexpr const char* kStimulusCounts[16] = {"",  "0", "1",  "2",  "3",   "4",  "5", "6",
                                             "7", "8", "12", "16", "2.5", "-2", "y", "1.5e1"};
constexpr std::size_t kReaderBuffer = 64 * 1024;
constexpr std::string_view kUntouched = "matrix file before the run";

[[noreturn]] void finding(const char* what) {
    std::fprintf(stderr, "FINDING: %s\n", what);
    std::abort();
}

void check(bool ok, const char* what) {
    if (!ok) {
        finding(what);
    }
}

int memoryFile(const char* name) {
    const int fd = ::memfd_create(name, 0);
    if (fd < 0) {
        std::perror("memfd_create");
        std::exit(1);
    }
    return fd;
}

void setContents(int fd, std::string_view bytes) {
    if (::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) {
        std::perror("memory file");
        std::exit(1);
    }
}

std::string contents(int fd) {
    std::string bytes;
    char chunk[65536];
    off_t offset = 0;
    for (;;) {
        const ssize_t got = ::pread(fd, chunk, sizeof chunk, offset);
        if (got <= 0) {
            return bytes;
        }
        bytes.append(chunk, static_cast<std::size_t>(got));
        offset += got;
    }
}

struct Recorder : dissim::RunObserver {
    std::vector<std::string> statuses;
    int failures = 0;
    void statusChanged(std::string_view text) override { statuses.emplace_back(text); }
    void runFailing(std::string_view) override {
        check(statuses.empty() || statuses.back() != dissim::kStatusFailed,
              "failure reported after the failure text");
        ++failures;
    }
};

// Parses one block of rows lines at pos; fills m (rows x rows, lower triangle) or returns false.
bool parseBlock(std::string_view out, std::size_t& pos, std::int64_t rows,
                std::vector<std::vector<int>>& m) {
    m.assign(static_cast<std::size_t>(rows), {});
    for (std::int64_t r = 0; r < rows; ++r) {
        if (pos >= out.size() || out[pos] != ' ') {
            return false;
        }
        ++pos;
        for (std::int64_t c = 0; c <= r; ++c) {
            if (pos >= out.size() || (out[pos] != ' ' && out[pos] != '-')) {
                return false;
            }
            const bool negative = out[pos++] == '-';
            int value = 0;
            int digits = 0;
            while (pos < out.size() && out[pos] >= '0' && out[pos] <= '9') {
                value = value * 10 + (out[pos++] - '0');
                ++digits;
            }
            if (digits == 0 || digits > 5 || (digits > 1 && out[pos - digits] == '0') ||
                pos >= out.size() || out[pos] != ' ' || (negative && value == 0)) {
                return false;
            }
            ++pos;
            m[static_cast<std::size_t>(r)].push_back(negative ? -value : value);
        }
        if (m[static_cast<std::size_t>(r)].back() != 0 || out.substr(pos, 2) != "\r\n") {
            return false;
        }
        pos += 2;
    }
    return true;
}

int memoryInput = -1;
int memoryOutput = -1;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    if (memoryInput < 0) {
        memoryInput = memoryFile("sort-data");
        memoryOutput = memoryFile("matrix-file");
    }
    const std::uint8_t counts = data[0];
    const std::uint8_t layout = data[1];
    std::string file;
    if ((layout & 0xc0) == 0xc0) {
        // Leading spaces that end 0 to 15 bytes before the reader's first buffer is full. Such
        // a run costs several times an ordinary one, so only a quarter of the inputs ask for it.
        file.assign(kReaderBuffer - (layout & 0x0f), ' ');
    }
    file.append(reinterpret_cast<const char*>(data) + 2, size - 2);
    setContents(memoryInput, file);
    setContents(memoryOutput, kUntouched);

    dissim::RunState state;
    state.numSubjects = dissim::CountValue(kSubjectCounts[counts & 0x0f]);
    state.numStimuli = dissim::CountValue(kStimulusCounts[counts >> 4]);
    state.inputFile = "/proc/self/fd/" + std::to_string(memoryInput);
    state.outputFile = "/proc/self/fd/" + std::to_string(memoryOutput);

    Recorder recorder;
    const dissim::RunResult result = dissim::runDissimilarity(state, recorder);

    check(contents(memoryInput) == file, "the input file changed");
    const std::vector<std::string>& st = recorder.statuses;
    check(!st.empty(), "no status was set");
    check(st.back() == (result.done ? dissim::kStatusDone : dissim::kStatusFailed),
          "the last status does not match the result");
    check(recorder.failures == (result.done ? 0 : 1), "failure reported other than once");
    check(result.done == result.description.empty(), "description does not match the result");
    const std::string output = contents(memoryOutput);
    if (st.front() != dissim::kStatusProcessing) {
        check(!result.done && st.size() == 1, "statuses before the files were open");
        check(output == kUntouched, "a run that failed before opening its files wrote");
        return 0;
    }
    std::size_t written = 0;
    for (std::size_t i = 1; i + 1 < st.size(); ++i) {
        check(st[i] == dissim::kStatusWriting, "unexpected status in the middle of a run");
        ++written;
    }

    // The counts as the run converts them; both are valid numbers once the run got this far
    // with at least one subject block, or with a count block.
    const std::int64_t n = state.numStimuli.loopCount();
    const std::int64_t rows = std::max<std::int64_t>(n, 1);
    std::size_t pos = 0;
    std::vector<std::vector<int>> block;
    std::vector<std::vector<int>> together(static_cast<std::size_t>(rows),
                                           std::vector<int>(static_cast<std::size_t>(rows), 0));
    for (std::size_t s = 0; s < written; ++s) {
        check(parseBlock(output, pos, rows, block), "a subject block is malformed");
        for (std::int64_t i = 0; i < rows; ++i) {
            for (std::int64_t j = 0; j < i; ++j) {
                const int v = block[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)];
                check(v == 0 || v == 1, "a subject entry is not 0 or 1");
                together[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] += v == 0;
                // Same group is transitive: i~j and j~k give i~k.
                for (std::int64_t k = 0; k < j; ++k) {
                    const int jk = block[static_cast<std::size_t>(j)][static_cast<std::size_t>(k)];
                    const int ik = block[static_cast<std::size_t>(i)][static_cast<std::size_t>(k)];
                    check(!(v == 0 && jk == 0) || ik == 0, "a subject block is not a grouping");
                }
            }
        }
    }
    if (result.done) {
        check(written == static_cast<std::size_t>(state.numSubjects.loopCount()),
              "a finished run wrote the wrong number of subject blocks");
        check(parseBlock(output, pos, rows, block), "the count block is malformed");
        const int start = n >= 1 ? state.numSubjects.toInt16() : 0;
        for (std::int64_t i = 1; i < n; ++i) {
            for (std::int64_t j = 0; j < i; ++j) {
                check(block[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] ==
                          start -
                              together[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)],
                      "a count entry is wrong");
            }
        }
    }
    check(pos == output.size(), "the matrix file holds more than whole blocks");
    return 0;
}
