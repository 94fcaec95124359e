#include "dissimilarity_run.h"

#include "files.h"
#include "matrix_writer.h"
#include "memory_limit.h"
#include "run_error.h"
#include "run_state.h"
#include "sort_data_reader.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <limits>
#include <optional>

namespace dissim {
namespace {

std::string gigabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / 1e9);
    return text;
}

// Step 1: sizes the three arrays for indices 0 to N, every element 0. Checks first that the
// machine can hold them, so that a count too large fails here instead of the process being
// killed later.
void sizeArrays(RunState& state) {
    const std::int32_t n = state.numStimuli.toInt32();
    if (n < 0) {
        throw RunError("the stimulus count \"" + state.numStimuli.text() + "\" is below 0");
    }
    const std::uint64_t needed = arrayBytesFor(n);
    const std::uint64_t available = physicalMemoryBytes();
    if (available != 0 && needed > available) {
        throw RunError("the stimulus count " + std::to_string(n) + " needs " + gigabytes(needed) +
                       " of memory for its matrices; this computer has " + gigabytes(available));
    }
    try {
        const auto dim = static_cast<std::size_t>(n) + 1;
        // Released first, so that old and new arrays are never held at once.
        state.subjectMatrix.clear();
        state.countMatrix.clear();
        state.groupCodes.clear();
        state.groupCodes.shrink_to_fit();
        state.subjectMatrix.resize(dim);
        state.countMatrix.resize(dim);
        state.groupCodes.assign(dim, 0);
    } catch (const std::exception&) {
        // Resizing throws only when the memory cannot be had (bad_alloc, length_error).
        throw RunError("the stimulus count " + std::to_string(n) +
                       " needs more memory for its matrices than is free (" + gigabytes(needed) +
                       ")");
    }
}

// Steps 7.2 and 7.3 for one subject: the 0/1 matrix from its codes, and one less in the count
// of every pair the subject put together. The diagonal and upper triangle are set to 1 for the
// first subject only: later subjects overwrite just the lower triangle, which is all that is
// read. A count cannot fall below -32768 here: it starts at the rounded subject count, and no
// more subjects than that are read.
void computeSubject(RunState& state, std::int64_t n, bool firstSubject) {
    Matrix16& subject = state.subjectMatrix;
    Matrix16& count = state.countMatrix;
    const std::int16_t* codes = state.groupCodes.data();
    if (firstSubject) {
        for (std::int64_t i = 1; i <= n; ++i) {
            std::fill(subject.row(static_cast<std::size_t>(i)) + 1,
                      subject.row(static_cast<std::size_t>(i)) + n + 1, std::int16_t{1});
        }
    }
    for (std::int64_t j = 2; j <= n; ++j) {
        std::int16_t* subjectRow = subject.row(static_cast<std::size_t>(j));
        std::int16_t* countRow = count.row(static_cast<std::size_t>(j));
        const std::int16_t code = codes[j];
        for (std::int64_t i = 1; i < j; ++i) {
            const bool same = codes[i] == code;
            subjectRow[i] = static_cast<std::int16_t>(!same);
            countRow[i] = static_cast<std::int16_t>(countRow[i] - same);
        }
    }
}

RunResult fail(RunObserver& observer, std::string description) {
    observer.runFailing(description);
    observer.statusChanged(kStatusFailed);
    return {false, std::move(description)};
}

} // namespace

std::uint64_t arrayBytesFor(std::int32_t n) {
    const auto dim = static_cast<std::uint64_t>(n) + 1;
    const std::uint64_t elements = dim * dim; // at most 2^62: no wrap
    const std::uint64_t codesBytes = dim * sizeof(std::int16_t);
    constexpr std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    // The largest counts need more bytes than 64 bits can count: as good as infinitely many.
    if (elements > (most - codesBytes) / (2 * sizeof(std::int16_t))) {
        return most;
    }
    return elements * 2 * sizeof(std::int16_t) + codesBytes;
}

RunResult runDissimilarity(RunState& state, RunObserver& observer) {
    try {
        sizeArrays(state);
    } catch (const RunError& error) {
        return fail(observer, error.what());
    }

    // Step 2, the diagonal value, is the constant " 0 " that ends every line of a block.
    std::optional<InputFile> input;
    std::optional<OutputFile> output;
    std::optional<MatrixWriter> writer;
    try {
        input.emplace(state.inputFile);
        output.emplace(state.outputFile, *input);
        writer.emplace(*output);
        observer.statusChanged(kStatusProcessing);

        const std::int64_t n = state.numStimuli.loopCount();
        if (n >= 1) {
            const std::int16_t subjects16 = state.numSubjects.toInt16();
            for (std::int64_t i = 1; i <= n; ++i) {
                std::int16_t* row = state.countMatrix.row(static_cast<std::size_t>(i));
                std::fill(row + 1, row + n + 1, subjects16);
            }
        }

        SortDataReader reader(*input);
        const std::int64_t subjects = state.numSubjects.loopCount();
        for (std::int64_t s = 1; s <= subjects; ++s) {
            for (std::int64_t k = 1; k <= n; ++k) {
                state.groupCodes[static_cast<std::size_t>(k)] = reader.readCode(s, k);
            }
            computeSubject(state, n, s == 1);
            observer.statusChanged(kStatusWriting);
            writer->writeBlock(state.subjectMatrix, n);
        }
        writer->writeBlock(state.countMatrix, n);
        writer->flush();

        input->close();
        output->close();
        observer.statusChanged(kStatusDone);
        return {true, {}};
    } catch (const RunError& error) {
        std::string description = error.what();
        // The buffer holds only whole blocks: they belong in the file, as if written at once.
        if (writer && !writer->failed()) {
            try {
                writer->flush();
            } catch (const RunError& flushError) {
                description += "; then " + std::string(flushError.what());
            }
        }
        RunResult result = fail(observer, std::move(description));
        if (output) {
            output->abandon();
        }
        if (input) {
            input->close();
        }
        return result;
    }
}

} // namespace dissim
