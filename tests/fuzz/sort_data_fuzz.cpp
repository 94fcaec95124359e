// Fuzz target: arbitrary bytes as the sort data file of a whole run.
//
// The first byte chooses the subject and stimulus counts (as typed text, from small tables
// that include fractions, negatives and non-numbers), the second where the reader's buffer
// boundary falls for the reader check below; the rest is the file. The file and the matrix
// file live in memory files reached by path, so the run opens them as it would any other file.
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
//
// Then the reader alone reads the same file code by code and is compared with a plain reading
// of the whole text at once (a UTF-16 file decoded first): the same codes, and a failure at the
// same code and line. It does
// so again with leading spaces that end its fixed buffer at a chosen byte of the text, which
// checks its handling of a boundary anywhere in an item, a separator or a line end.

#include "count_value.h"
#include "dissimilarity_run.h"
#include "files.h"
#include "run_error.h"
#include "run_state.h"
#include "sort_data_reader.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
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
bool parseBlock(std::string_view out, std::size_t& pos, std::size_t rows,
                std::vector<std::vector<int>>& m) {
    m.assign(rows, {});
    for (std::size_t r = 0; r < rows; ++r) {
        if (pos >= out.size() || out[pos] != ' ') {
            return false;
        }
        ++pos;
        for (std::size_t c = 0; c <= r; ++c) {
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
            m[r].push_back(negative ? -value : value);
        }
        if (m[r].back() != 0 || out.substr(pos, 2) != "\r\n") {
            return false;
        }
        pos += 2;
    }
    return true;
}

int memoryInput = -1;
int memoryOutput = -1;

// The codes of a sort data file read from the text as a whole, up to maxCodes, and where the
// reading failed: at the code after the last one read, on errorLine.
struct PlainReading {
    std::vector<std::int16_t> codes;
    bool failed = false;
    std::int64_t errorLine = 0;
};

bool endsItem(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r' || c == '\n';
}

// A file that starts with a UTF-16 byte-order mark as the text it holds, in UTF-8, up to the
// first bytes that are not UTF-16 text (a lone surrogate, a byte or a surrogate cut by the end).
struct DecodedText {
    std::string text;
    bool cut = false; // the file goes on with bytes that are not text
};

DecodedText decodeUtf16Plainly(std::string_view bytes, bool bigEndian) {
    DecodedText d;
    std::size_t p = 0;
    const auto unit = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (; p + 2 <= bytes.size(); p += 2) {
        char32_t c = unit(p);
        if (c >= 0xDC00 && c <= 0xDFFF) {
            break;
        }
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (p + 4 > bytes.size() || unit(p + 2) < 0xDC00 || unit(p + 2) > 0xDFFF) {
                break;
            }
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(p + 2) - 0xDC00);
            p += 2;
        }
        // In UTF-8: the lead byte, then six bits a byte.
        const int more = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
        d.text +=
            static_cast<char>((more == 0 ? 0 : (0xFF00 >> (more + 1)) & 0xFF) | (c >> (6 * more)));
        for (int k = more - 1; k >= 0; --k) {
            d.text += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
        }
    }
    d.cut = p != bytes.size();
    return d;
}

bool startsUtf16(std::string_view bytes) {
    return bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF";
}

PlainReading readPlainly(std::string_view file, std::size_t maxCodes) {
    constexpr std::size_t kMaxItem = 4096;
    PlainReading r;
    // A UTF-16 file is read as its text; reaching bytes that are not text is a failure where
    // the end of the text would end an item or the file.
    DecodedText decoded;
    if (startsUtf16(file)) {
        decoded = decodeUtf16Plainly(file.substr(2), file[0] == '\xFE');
    }
    const std::string_view t = startsUtf16(file) ? std::string_view(decoded.text) : file;
    const auto fail = [&r](std::int64_t line) {
        r.failed = true;
        r.errorLine = line;
        return r;
    };
    const std::size_t start = !startsUtf16(file) && t.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
    std::size_t p = start;
    std::int64_t line = 1;
    bool commaEndsItem = false;
    while (r.codes.size() < maxCodes) {
        for (;;) {
            if (p == t.size()) {
                return fail(line);
            }
            const char c = t[p];
            if (c == '\r' || c == '\n') {
                // CR LF is one line end; a CR or an LF alone is one too.
                if (c == '\r' || p == start || t[p - 1] != '\r') {
                    ++line;
                }
                commaEndsItem = false;
            } else if (c == ',' || c == ';') {
                if (!commaEndsItem) {
                    return fail(line);
                }
                commaEndsItem = false;
            } else if (c != ' ' && c != '\t') {
                break;
            }
            ++p;
        }
        const std::int64_t itemLine = line;
        std::string item;
        if (t[p] == '"') {
            for (++p;; ++p) {
                if (p == t.size() || t[p] == '\r' || t[p] == '\n') {
                    return fail(itemLine);
                }
                if (t[p] == '"') {
                    ++p;
                    if ((p < t.size() && !endsItem(t[p])) || (p == t.size() && decoded.cut)) {
                        return fail(itemLine);
                    }
                    break;
                }
                if (item.size() == kMaxItem) {
                    return fail(itemLine);
                }
                item += t[p];
            }
        } else {
            for (; p < t.size() && !endsItem(t[p]); ++p) {
                if (item.size() == kMaxItem) {
                    return fail(itemLine);
                }
                item += t[p];
            }
            if (p == t.size() && decoded.cut) {
                return fail(itemLine);
            }
        }
        commaEndsItem = true;
        const dissim::ParsedCode parsed = dissim::parseGroupCode(item);
        if (parsed.error != nullptr) {
            return fail(itemLine);
        }
        r.codes.push_back(parsed.code);
    }
    return r;
}

void compareWithPlainReading(const std::string& path, std::string_view text) {
    constexpr std::size_t kMaxCodes = 4096;
    const PlainReading expected = readPlainly(text, kMaxCodes);
    dissim::InputFile file(path);
    dissim::SortDataReader reader(file);
    for (std::size_t k = 0; k < kMaxCodes; ++k) {
        std::int16_t code = 0;
        try {
            code = reader.readCode(1, static_cast<std::int64_t>(k) + 1);
        } catch (const dissim::RunError& error) {
            check(expected.failed && k == expected.codes.size(),
                  "the reader failed where a plain reading does not");
            const std::string_view what = error.what();
            const auto at = what.find(", line ");
            check(at != std::string_view::npos &&
                      std::strtoll(what.data() + at + 7, nullptr, 10) == expected.errorLine,
                  "the reader names another line than a plain reading");
            check(reader.codesRead() == static_cast<std::int64_t>(k), "codesRead is wrong");
            return;
        }
        check(k < expected.codes.size(), "the reader read a code where a plain reading fails");
        check(code == expected.codes[k], "the reader read another code than a plain reading");
    }
    check(!expected.failed, "the reader read more codes than a plain reading");
}

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
    const std::string file(reinterpret_cast<const char*>(data) + 2, size - 2);
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
    compareWithPlainReading(state.inputFile, file);
    if (layout & 0x80) {
        // Leading spaces that make the reader's first buffer end (layout & 0x7f) bytes into
        // the fuzzed text. A whole run over 64 kB costs several ordinary ones; the reader alone
        // is all that the boundary concerns. In a UTF-16 file the spaces are UTF-16 after its
        // mark, and the first read of its bytes ends there (at a whole unit).
        const std::size_t mark = startsUtf16(file) ? 2 : 0;
        const std::string space = mark == 0           ? std::string(" ")
                                  : file[0] == '\xFE' ? std::string("\0 ", 2)
                                                      : std::string(" \0", 2);
        std::string padded = file.substr(0, mark);
        while (padded.size() + space.size() <=
               dissim::SortDataReader::kBufferBytes - (layout & 0x7f)) {
            padded += space;
        }
        padded += file.substr(mark);
        setContents(memoryInput, padded);
        compareWithPlainReading(state.inputFile, padded);
    }
    const std::vector<std::string>& st = recorder.statuses;
    check(!st.empty(), "no status was set");
    check(st.back() == (result.done ? dissim::kStatusDone : dissim::kStatusFailed),
          "the last status does not match the result");
    check(recorder.failures == (result.done ? 0 : 1), "failure reported other than once");
    check(result.done == result.description.empty(), "description does not match the result");
    check(result.done || result.note.empty(), "a failed run carries a note");
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
    const auto n = static_cast<std::size_t>(state.numStimuli.loopCount());
    const std::size_t rows = std::max<std::size_t>(n, 1);
    std::size_t pos = 0;
    std::vector<std::vector<int>> block;
    std::vector<std::vector<int>> together(rows, std::vector<int>(rows, 0));
    for (std::size_t s = 0; s < written; ++s) {
        check(parseBlock(output, pos, rows, block), "a subject block is malformed");
        for (std::size_t i = 0; i < rows; ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                const int v = block[i][j];
                check(v == 0 || v == 1, "a subject entry is not 0 or 1");
                together[i][j] += v == 0;
                // Same group is transitive: i~j and j~k give i~k.
                for (std::size_t k = 0; k < j; ++k) {
                    const int jk = block[j][k];
                    const int ik = block[i][k];
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
        for (std::size_t i = 1; i < n; ++i) {
            for (std::size_t j = 0; j < i; ++j) {
                check(block[i][j] == start - together[i][j], "a count entry is wrong");
            }
        }
    }
    check(pos == output.size(), "the matrix file holds more than whole blocks");
    return 0;
}
