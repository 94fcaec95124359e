#include "dissimilarity_run.h"

#include "files.h"
#include "layout_note.h"
#include "matrix_writer.h"
#include "memory_limit.h"
#include "pair_counts.h"
#include "run_error.h"
#include "run_state.h"
#include "sort_data_reader.h"
#include "table_reading.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <limits>
#include <new>
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

RunResult fail(RunObserver& observer, std::string description) {
    observer.runFailing(description);
    observer.statusChanged(kStatusFailed);
    return {false, std::move(description), {}};
}

// Every failure ends as a description: the run's own (RunError) as it stands, anything the
// library raises (memory, for one) marked as unexpected.
std::string describe(const std::exception& error) {
    return dynamic_cast<const RunError*>(&error) != nullptr
               ? error.what()
               : std::string("unexpected error: ") + error.what();
}

// A run from the moment its files are open: the files, the writer and the counter, and how far
// the subjects have got, which the failure path needs.
class OpenRun {
public:
    // Opens the files; throws RunError when one cannot be opened. The subject count is not
    // looked at yet: one that is no count fails the run once it is processing. The counter's
    // batch grows with the subjects read.
    OpenRun(RunState& state, RunObserver& observer)
        : state_(state), observer_(observer), n_(state.numStimuli.loopCount()),
          input_(state.inputFile), output_(state.outputFile, input_), writer_(output_),
          counter_(state.countMatrix, static_cast<std::size_t>(n_), 1),
          lastCodes_(static_cast<std::size_t>(n_) + 1, 0) {}

    // The run's steps, and the failure path when one of them fails.
    RunResult toTheEnd() {
        try {
            observer_.statusChanged(kStatusProcessing);
            setUpCounts();
            std::string note;
            if (const TableReading* reading = tableReading()) {
                tableLoop(readImportedStudy(input_, *reading));
            } else {
                SortDataReader reader(input_);
                subjectLoop(reader);
                note = layoutNote(reader);
            }
            writeCountBlock();
            input_.close();
            output_.close();
            observer_.statusChanged(kStatusDone);
            return {true, {}, std::move(note)};
        } catch (const std::exception& error) {
            return failurePath(describe(error));
        }
    }

private:
    // Every count starts at the subject count. Converted even with no stimuli to fill in: a
    // subject count the count matrix cannot hold fails the run either way, rather than writing
    // a block for each of its subjects.
    void setUpCounts() {
        const std::int16_t subjects16 = state_.numSubjects.toInt16();
        for (std::int64_t i = 1; i <= n_; ++i) {
            std::int16_t* row = state_.countMatrix.row(static_cast<std::size_t>(i));
            std::fill(row + 1, row + n_ + 1, subjects16);
        }
    }

    // Per subject: read its codes, take them into the counts, write its block. The subject's
    // own matrix is needed by no one until the run ends (its block is written from the codes),
    // so only the last complete subject's codes are kept, for settleArrays().
    void subjectLoop(SortDataReader& reader) {
        const std::int64_t subjects = state_.numSubjects.loopCount();
        for (std::int64_t s = 1; s <= subjects; ++s) {
            reader.readCodes(s, state_.groupCodes.data(), n_);
            takeSubject(s);
        }
    }

    // One subject's codes, read into groupCodes: into the counts, and its block written.
    void takeSubject(std::int64_t s) {
        counter_.addSubject(state_.groupCodes.data());
        // Only the codes the loop reads: a fractional count can size the arrays one above the
        // last stimulus read (3.5 sizes for 4, reads 3).
        std::copy_n(state_.groupCodes.begin(), lastCodes_.size(), lastCodes_.begin());
        subjectsDone_ = s;
        observer_.statusChanged(kStatusWriting);
        writer_.writeSubjectBlock(state_.groupCodes.data(), n_);
    }

    // The table the Import dialog was confirmed for, where the input file is the one it was
    // confirmed for.
    const TableReading* tableReading() const {
        const auto& reading = state_.tableReading;
        return reading && reading->path == state_.inputFile ? &*reading : nullptr;
    }

    // The subject loop over a study's table: each subject's codes come from the table, in the
    // order the dialog showed, and go the way a sort data file's would.
    void tableLoop(const ImportedStudy& study) {
        const std::int64_t subjects = state_.numSubjects.loopCount();
        if (subjects != static_cast<std::int64_t>(study.subjects.size()) ||
            n_ != static_cast<std::int64_t>(study.stimuli.size())) {
            throw RunError("the counts " + std::to_string(subjects) + " and " + std::to_string(n_) +
                           " are not the table's " + std::to_string(study.subjects.size()) +
                           " subjects and " + std::to_string(study.stimuli.size()) +
                           " stimuli: select the input file again");
        }
        const auto n = static_cast<std::size_t>(n_);
        for (std::int64_t s = 1; s <= subjects; ++s) {
            const auto first = study.codes.begin() + static_cast<std::ptrdiff_t>(n * (s - 1));
            std::copy_n(first, n, state_.groupCodes.begin() + 1);
            takeSubject(s);
        }
    }

    // Once every code is read: whether the file's lines look laid out the other way round. The
    // rest of the file is looked at only where the counts leave a note possible.
    std::string layoutNote(SortDataReader& reader) {
        const std::int64_t subjects = state_.numSubjects.loopCount();
        if (!layoutCanBeTold(subjects, n_)) {
            return {};
        }
        return transposedLayoutNote(reader.lineLayout(), subjects, n_);
    }

    void writeCountBlock() {
        settleArrays();
        writer_.writeBlock(state_.countMatrix, n_);
        writer_.flush();
    }

    // Brings the arrays to where the steps, done one subject at a time, leave them after the
    // last complete subject: its 0/1 matrix, and the counts of every subject read in full.
    void settleArrays() {
        counter_.apply();
        if (subjectsDone_ > 0) {
            fillSubjectMatrix(state_.subjectMatrix, lastCodes_.data(), lastCodes_.size() - 1);
        }
    }

    // Leaves the arrays as after the last complete subject and the output holding the complete
    // blocks written before the failure and nothing else, and closes both files.
    RunResult failurePath(std::string description) {
        settleArrays();
        // The buffer holds only whole blocks, unless a write failed part way through it: then
        // nothing more may follow. Whole blocks belong in the file, as if written at once.
        if (!writer_.failed()) {
            try {
                writer_.flush();
            } catch (const std::exception& flushError) {
                description += "; then " + std::string(flushError.what());
            }
        }
        RunResult result = fail(observer_, std::move(description));
        output_.abandon();
        input_.close();
        return result;
    }

    RunState& state_;
    RunObserver& observer_;
    const std::int64_t n_; // stimuli per subject
    InputFile input_;
    OutputFile output_;
    MatrixWriter writer_;
    PairCounter counter_;
    std::vector<std::int16_t> lastCodes_; // the codes of the last complete subject
    std::int64_t subjectsDone_ = 0;
};

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
        OpenRun run(state, observer);
        return run.toTheEnd();
    } catch (const std::exception& error) {
        // Sizing the arrays or opening the files failed: nothing is open to keep or close.
        return fail(observer, describe(error));
    }
}

} // namespace dissim
