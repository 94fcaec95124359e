#include "pair_count_rows.h"

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#endif

namespace dissim {
namespace {

#if defined(__GNUC__) || defined(__clang__)
// Vectors of 16-bit lanes; the compiler maps them to the machine's vector registers (or to
// plain code where there are none). Other compilers take the plain loop. The counts are added
// as unsigned lanes, whose sums wrap as the 16-bit counts do, where signed lanes would overflow.
using Lanes16 = std::int16_t __attribute__((vector_size(16)));
using UnsignedLanes16 = std::uint16_t __attribute__((vector_size(16)));

// Lowers whole vectors of columns from i on, at most `most` of them, as far as they fit below
// columns + 1; returns the first column left. Always inlined, so that it takes the instruction
// set of its caller.
template <typename Codes, typename Counts>
[[gnu::always_inline]] inline std::size_t
lowerVectors(std::int16_t* countRow, const std::int16_t* codes, std::int16_t code, std::size_t i,
             std::size_t columns, std::size_t most) {
    constexpr std::size_t lanes = sizeof(Codes) / sizeof(std::int16_t);
    const Codes own = code - Codes{};
    for (std::size_t steps = 0; steps < most && i + lanes <= columns + 1; ++steps, i += lanes) {
        Codes others;
        Counts counts;
        std::memcpy(&others, codes + i, sizeof others);
        std::memcpy(&counts, countRow + i, sizeof counts);
        // A lane of the comparison is all ones (minus one) where equal, 0 elsewhere.
        const Codes same = others == own;
        counts += __builtin_bit_cast(Counts, same);
        std::memcpy(countRow + i, &counts, sizeof counts);
    }
    return i;
}
constexpr std::size_t kAllSteps = ~std::size_t{0};
#endif

// The columns from i to columns, one at a time.
void lowerColumns(std::int16_t* countRow, const std::int16_t* codes, std::int16_t code,
                  std::size_t i, std::size_t columns) {
    for (; i <= columns; ++i) {
        countRow[i] = static_cast<std::int16_t>(countRow[i] - (codes[i] == code));
    }
}

// Columns 1 to columns of one row: lowered by one where codes[i] equals code.
void lowerRow(std::int16_t* countRow, const std::int16_t* codes, std::int16_t code,
              std::size_t columns) {
    std::size_t i = 1;
#if defined(__GNUC__) || defined(__clang__)
    i = lowerVectors<Lanes16, UnsignedLanes16>(countRow, codes, code, i, columns, kAllSteps);
#endif
    lowerColumns(countRow, codes, code, i, columns);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
// The same with sixteen lanes, for processors with AVX2 (chosen at run time): the count update
// is the one loop of the run that grows with S x N squared, so twice the lanes pay. Then at
// most one step of eight lanes, and the last columns one at a time.
__attribute__((target("avx2"))) void lowerRowWide(std::int16_t* countRow, const std::int16_t* codes,
                                                  std::int16_t code, std::size_t columns) {
    using WideLanes16 = std::int16_t __attribute__((vector_size(32)));
    using UnsignedWideLanes16 = std::uint16_t __attribute__((vector_size(32)));
    std::size_t i = lowerVectors<WideLanes16, UnsignedWideLanes16>(countRow, codes, code, 1,
                                                                   columns, kAllSteps);
    i = lowerVectors<Lanes16, UnsignedLanes16>(countRow, codes, code, i, columns, 1);
    lowerColumns(countRow, codes, code, i, columns);
}

// With AVX-512, masked loads and stores take the end of the row in one step: no row has a
// tail of single columns.
__attribute__((target("avx512f,avx512bw"))) void lowerRowMasked(std::int16_t* countRow,
                                                                const std::int16_t* codes,
                                                                std::int16_t code,
                                                                std::size_t columns) {
    constexpr std::size_t lanes = 32;
    const __m512i own = _mm512_set1_epi16(code);
    const __m512i one = _mm512_set1_epi16(1);
    std::size_t i = 1;
    for (; i + lanes <= columns + 1; i += lanes) {
        const __mmask32 same = _mm512_cmpeq_epi16_mask(_mm512_loadu_si512(codes + i), own);
        const __m512i counts = _mm512_loadu_si512(countRow + i);
        _mm512_storeu_si512(countRow + i, _mm512_mask_sub_epi16(counts, same, counts, one));
    }
    if (i <= columns) {
        const auto tail = static_cast<__mmask32>((std::uint32_t{1} << (columns + 1 - i)) - 1);
        const __mmask32 same =
            _mm512_mask_cmpeq_epi16_mask(tail, _mm512_maskz_loadu_epi16(tail, codes + i), own);
        const __m512i counts = _mm512_maskz_loadu_epi16(tail, countRow + i);
        _mm512_mask_storeu_epi16(countRow + i, same, _mm512_sub_epi16(counts, one));
    }
}

#endif

} // namespace

std::vector<RowForm> rowForms() {
    std::vector<RowForm> forms{{"portable", lowerRow}};
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    if (__builtin_cpu_supports("avx2")) {
        forms.push_back({"avx2", lowerRowWide});
    }
    if (__builtin_cpu_supports("avx512bw")) {
        forms.push_back({"avx512", lowerRowMasked});
    }
#endif
    return forms;
}

} // namespace dissim
