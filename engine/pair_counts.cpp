#include "pair_counts.h"

#include "matrix16.h"

#include <algorithm>
#include <cstring>

namespace dissim {
namespace {

#if defined(__GNUC__) || defined(__clang__)
// Eight 16-bit lanes; the compiler maps it to the machine's vector registers (or to plain code
// where there are none). Other compilers take the plain loop.
using Lanes16 = std::int16_t __attribute__((vector_size(16)));
constexpr std::size_t kLanes = sizeof(Lanes16) / sizeof(std::int16_t);
#endif

// The count rows applied together: about this many bytes of the matrix, so that they stay in
// the first-level cache while every subject of a batch passes over them.
constexpr std::size_t kBandBytes = 16 * 1024;

using LowerRow = void (*)(std::int16_t*, const std::int16_t*, std::int16_t, std::size_t);

// Columns 1 to columns of one row: lowered by one where codes[i] equals code.
void lowerRow(std::int16_t* countRow, const std::int16_t* codes, std::int16_t code,
              std::size_t columns) {
    std::size_t i = 1;
#if defined(__GNUC__) || defined(__clang__)
    const Lanes16 own = code - Lanes16{};
    for (; i + kLanes <= columns + 1; i += kLanes) {
        Lanes16 others;
        Lanes16 counts;
        std::memcpy(&others, codes + i, sizeof others);
        std::memcpy(&counts, countRow + i, sizeof counts);
        counts += others == own; // a lane is -1 where equal, 0 elsewhere
        std::memcpy(countRow + i, &counts, sizeof counts);
    }
#endif
    for (; i <= columns; ++i) {
        countRow[i] = static_cast<std::int16_t>(countRow[i] - (codes[i] == code));
    }
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same with sixteen lanes, for processors with AVX2 (chosen at run time): the count update
// is the one loop of the run that grows with S x N squared, so twice the lanes pay.
using WideLanes16 = std::int16_t __attribute__((vector_size(32)));
constexpr std::size_t kWideLanes = sizeof(WideLanes16) / sizeof(std::int16_t);

__attribute__((target("avx2"))) void lowerRowWide(std::int16_t* countRow, const std::int16_t* codes,
                                                  std::int16_t code, std::size_t columns) {
    std::size_t i = 1;
    const WideLanes16 own = code - WideLanes16{};
    for (; i + kWideLanes <= columns + 1; i += kWideLanes) {
        WideLanes16 others;
        WideLanes16 counts;
        std::memcpy(&others, codes + i, sizeof others);
        std::memcpy(&counts, countRow + i, sizeof counts);
        counts += others == own;
        std::memcpy(countRow + i, &counts, sizeof counts);
    }
    if (i + kLanes <= columns + 1) { // half a step
        Lanes16 others;
        Lanes16 counts;
        std::memcpy(&others, codes + i, sizeof others);
        std::memcpy(&counts, countRow + i, sizeof counts);
        counts += others == (code - Lanes16{});
        std::memcpy(countRow + i, &counts, sizeof counts);
        i += kLanes;
    }
    for (; i <= columns; ++i) {
        countRow[i] = static_cast<std::int16_t>(countRow[i] - (codes[i] == code));
    }
}

LowerRow chooseLowerRow() {
    return __builtin_cpu_supports("avx2") ? lowerRowWide : lowerRow;
}
#else
LowerRow chooseLowerRow() {
    return lowerRow;
}
#endif

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
      lowerRow_(chooseLowerRow()) {
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
