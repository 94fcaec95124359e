#pragma once

#include "pair_count_rows.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dissim {

class Matrix16;

// Sets a subject's 0/1 matrix from its group codes (codes[1] to codes[n]): every element of
// rows and columns 1 to n becomes 1, then each element below the diagonal whose two stimuli
// share a code becomes 0. Row and column 0 are left as they are.
void fillSubjectMatrix(Matrix16& subject, const std::int16_t* codes, std::size_t n);

// Lowers the count matrix by one below the diagonal wherever a subject put the two stimuli into
// the same group. Subjects are collected and applied in batches, a band of rows at a time across
// the whole batch, so that the band stays in the processor's cache instead of the whole matrix
// passing through memory once per subject. The result is the same as applying each subject in
// turn: every element only ever decreases, each by one per subject.
class PairCounter {
public:
    // count must be sized for n; batchBytes bounds the codes held before they are applied, and
    // room for them (or for all of the expected subjects, if fewer) is taken here. Small
    // batches keep the work spread over the run, where it overlaps with the writing, rather
    // than all of it left for the end; the matrix then passes through the cache once per batch,
    // which costs little beside the text the run writes for the same subjects.
    PairCounter(Matrix16& count, std::size_t n, std::size_t expectedSubjects,
                std::size_t batchBytes = std::size_t{32} << 10);

    // Takes a subject's codes (codes[1] to codes[n]); applied by the next apply() at the latest.
    void addSubject(const std::int16_t* codes);

    // Applies every subject taken so far to the count matrix.
    void apply();

private:
    Matrix16& count_;
    std::size_t n_;
    std::size_t stride_;        // codes kept per subject: n + 1, index 0 unused
    std::size_t batchSubjects_; // subjects a batch holds
    std::vector<std::int16_t> batch_;
    std::size_t pending_ = 0; // subjects in batch_ not yet applied
    // Lowers one row for one subject; the widest form the processor has.
    LowerRow lowerRow_;
};

} // namespace dissim
