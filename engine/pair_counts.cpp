#include "pair_counts.h"

#include "matrix16.h"

#include <algorithm>

namespace dissim {
namespace {

// The count rows applied together: about this many bytes of the matrix, so that they stay in
// the first-level cache while every subject of a batch passes over them.
constexpr std::size_t kBandBytes = 16 * 1024;

} // namespace

void fillSubjectMatrix(Matrix16& subject, const std::int16_t* codes, std::size_t n) {
    for (std::size_t r = 1; r <= n; ++r) {
        std::int16_t* row = subject.row(r);
        std::fill(row + 1, row + n + 1, std::int16_t{1});
        for (std::size_t c = 1; c < r; ++c) {
            row[c] = static_cast<std::int16_t>(codes[c] != codes[r]);
        }
    }
}

PairCounter::PairCounter(Matrix16& count, std::size_t n, std::size_t expectedSubjects,
                         std::size_t batchBytes)
    : count_(count), n_(n), stride_(n + 1),
      batchSubjects_(std::max<std::size_t>(1, batchBytes / (stride_ * sizeof(std::int16_t)))),
      lowerRow_(rowForms().back().lower) {
    if (n_ >= 2) {
        batch_.resize(std::min(batchSubjects_, std::max<std::size_t>(expectedSubjects, 1)) *
                      stride_);
    }
}

void PairCounter::addSubject(const std::int16_t* codes) {
    if (n_ < 2) {
        return; // no pairs
    }
    if (pending_ == batchSubjects_) {
        apply();
    }
    if (batch_.size() < (pending_ + 1) * stride_) {
        batch_.resize((pending_ + 1) * stride_);
    }
    std::copy(codes, codes + stride_,
              batch_.begin() + static_cast<std::ptrdiff_t>(pending_ * stride_));
    ++pending_;
}

void PairCounter::apply() {
    const std::size_t bandRows =
        std::max<std::size_t>(1, kBandBytes / (stride_ * sizeof(std::int16_t)));
    for (std::size_t first = 2; first <= n_; first += bandRows) {
        const std::size_t last = std::min(n_, first + bandRows - 1);
        for (std::size_t s = 0; s < pending_; ++s) {
            const std::int16_t* codes = batch_.data() + s * stride_;
            for (std::size_t r = first; r <= last; ++r) {
                lowerRow_(count_.row(r), codes, codes[r], r - 1);
            }
        }
    }
    pending_ = 0;
}

} // namespace dissim
