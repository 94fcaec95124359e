#include "dissimilarity_run.h"

#include "files.h"
#include "matrix_writer.h"
#include "memory_limit.h"
#include "pair_counts.h"
#include "run_error.h"
#include "run_state.h"
#include "sort_data_reader.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <limits>
#include <new>
#include <optional>
#include <vector>

namespace dissim {
namespace {

std::string gigabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f GB", static_cast<double>(bytes) / 1e9);
    return text;
}

constexpr std::uint64_t kArraysAlwaysFitBytes = std::uint64_t{64} << 20;

// Sizes the three arrays for indices 0 to N, every element 0. Checks first that the
// machine can hold them, so that a count too large fails here instead of the process being
// killed later.
void sizeArrays(RunState& state) {
    const std::int32_t n = state.numStimuli.toInt32();
    if (n < 0) {
        throw RunError("the stimulus count \"" + state.numStimuli.text() + "\" is below 0");
    }
    const std::uint64_t needed = arrayBytesFor(n);
    // Arrays smaller than the program itself fit wherever it runs; only larger ones are worth
    // asking the system about.
    const std::uint64_t available = needed > kArraysAlwaysFitBytes ? physicalMemoryBytes() : 0;
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

// The least the matrix file of a run that ends well holds: a block per subject and the count
// block, whose entries take at least as much as a subject block's. Saturates where 64 bits
// cannot count it.
std::uint64_t outputBytesAtLeast(std::int64_t subjects, std::int64_t n) {
    const std::uint64_t blocks =
        static_cast<std::uint64_t>(std::max<std::int64_t>(subjects, 0)) + 1;
    const std::uint64_t blockBytes = MatrixWriter::blockBytesAtLeast(n);
    if (blocks > std::numeric_limits<std::uint64_t>::max() / blockBytes) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    return blocks * blockBytes;
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

    // The diagonal value is the constant " 0 " that ends every line of a block.
    std::optional<InputFile> input;
    std::optional<OutputFile> output;
    std::optional<MatrixWriter> writer;
    std::optional<PairCounter> counter;
    std::vector<std::int16_t> lastCodes;
    std::int64_t subjectsDone = 0;
    // Brings the arrays to where the steps, done one subject at a time, leave them after the
    // last complete subject: its 0/1 matrix, and the counts of every subject read in full.
    auto settle = [&] {
        if (counter) {
            counter->apply();
        }
        if (subjectsDone > 0) {
            fillSubjectMatrix(state.subjectMatrix, lastCodes.data(), lastCodes.size() - 1);
        }
    };
    try {
        input.emplace(state.inputFile);
        output.emplace(state.outputFile, *input);
        writer.emplace(*output);
        observer.statusChanged(kStatusProcessing);

        const std::int64_t n = state.numStimuli.loopCount();
        // Converted even with no stimuli to fill in: a subject count the count matrix cannot
        // hold fails the run either way, rather than writing a block for each of its subjects.
        const std::int16_t subjects16 = state.numSubjects.toInt16();
        if (n >= 1) {
            for (std::int64_t i = 1; i <= n; ++i) {
                std::int16_t* row = state.countMatrix.row(static_cast<std::size_t>(i));
                std::fill(row + 1, row + n + 1, subjects16);
            }
        }

        SortDataReader reader(*input);
        const std::int64_t subjects = state.numSubjects.loopCount();
        writer->expect(outputBytesAtLeast(subjects, n));
        const auto stimuli = static_cast<std::size_t>(n);
        try {
            counter.emplace(state.countMatrix, stimuli,
                            static_cast<std::size_t>(std::min<std::int64_t>(subjects, 1 << 20)));
            lastCodes.assign(stimuli + 1, 0);
        } catch (const std::bad_alloc&) {
            throw RunError("there is not enough memory for the run's working buffers");
        }
        for (std::int64_t s = 1; s <= subjects; ++s) {
            reader.readCodes(s, state.groupCodes.data(), n);
            // The count matrix takes the subject in a batch; the subject's
            // own matrix is needed by no one until the run ends (its block is written from the
            // codes), so only the last complete subject's is filled in, by settle().
            counter->addSubject(state.groupCodes.data());
            // Only the codes the loop reads: a fractional count can size the arrays one above
            // the last stimulus read (3.5 sizes for 4, reads 3).
            std::copy_n(state.groupCodes.begin(), lastCodes.size(), lastCodes.begin());
            subjectsDone = s;
            observer.statusChanged(kStatusWriting);
            writer->writeSubjectBlock(state.groupCodes.data(), n);
        }
        settle();
        writer->writeBlock(state.countMatrix, n);
        writer->flush();

        input->close();
        output->close();
        observer.statusChanged(kStatusDone);
        return {true, {}};
    } catch (const std::exception& error) {
        // Every failure ends here: the run's own (RunError) and anything the library raises
        // (memory, threads), which would otherwise escape the run's thread.
        std::string description = dynamic_cast<const RunError*>(&error) != nullptr
                                      ? error.what()
                                      : std::string("unexpected error: ") + error.what();
        settle();
        // The buffer holds only whole blocks: they belong in the file, as if written at once.
        if (writer && !writer->failed()) {
            try {
                writer->flush();
            } catch (const std::exception& flushError) {
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
