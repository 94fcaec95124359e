#include "block_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace dissim {
namespace {

// The text of every entry from 0 to kTableSize - 1, as 8 bytes of which the first `length`
// count, so that one 8-byte copy writes it.
constexpr int kTableSize = 1024;
struct EntryText {
    char bytes[8];
    std::uint8_t length;
};
constexpr std::array<EntryText, kTableSize> makeEntryTexts() {
    std::array<EntryText, kTableSize> table{};
    for (int value = 0; value < kTableSize; ++value) {
        char digits[4] = {};
        int count = 0;
        int rest = value;
        do {
            digits[count++] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest > 0);
        EntryText& text = table[static_cast<std::size_t>(value)];
        std::size_t pos = 0;
        text.bytes[pos++] = ' ';
        while (count > 0) {
            text.bytes[pos++] = digits[--count];
        }
        text.bytes[pos++] = ' ';
        text.length = static_cast<std::uint8_t>(pos);
    }
    return table;
}
constexpr std::array<EntryText, kTableSize> kEntryTexts = makeEntryTexts();

#if defined(__SSE2__)
// The text of eight consecutive 0/1 entries, " 0  1  1 ...", for each pattern of eight bits
// (entry k is bit k).
constexpr std::size_t kEightBytes = 24;
constexpr std::array<std::array<char, kEightBytes>, 256> makeEightTexts() {
    std::array<std::array<char, kEightBytes>, 256> table{};
    for (std::size_t bits = 0; bits < 256; ++bits) {
        for (std::size_t k = 0; k < 8; ++k) {
            table[bits][3 * k] = ' ';
            table[bits][3 * k + 1] = ((bits >> k) & 1) != 0 ? '1' : '0';
            table[bits][3 * k + 2] = ' ';
        }
    }
    return table;
}
constexpr auto kEightTexts = makeEightTexts();

// One bit per 16-bit lane of a lane mask (all ones or all zeros per lane).
unsigned laneBits(__m128i mask) {
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(mask, _mm_setzero_si128())));
}

char* putEight(char* out, unsigned bits) {
    std::memcpy(out, kEightTexts[bits].data(), kEightBytes);
    return out + kEightBytes;
}
#endif

} // namespace

char* putEntry(char* out, std::int16_t value) {
    if (value >= 0 && value < kTableSize) {
        const EntryText& text = kEntryTexts[static_cast<std::size_t>(value)];
        std::memcpy(out, text.bytes, sizeof text.bytes);
        return out + text.length;
    }
    *out++ = value < 0 ? '-' : ' ';
    const unsigned magnitude =
        value < 0 ? static_cast<unsigned>(-static_cast<int>(value)) : static_cast<unsigned>(value);
    out = std::to_chars(out, out + 5, magnitude).ptr;
    *out++ = ' ';
    return out;
}

char* putEntries(char* out, const std::int16_t* entries, std::size_t count) {
    std::size_t i = 0;
#if defined(__SSE2__)
    // Runs of eight entries that are all 0 or 1 are copied whole from the table of patterns.
    const __m128i one = _mm_set1_epi16(1);
    for (; i + 8 <= count; i += 8) {
        const __m128i lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entries + i));
        const __m128i binary = _mm_cmpeq_epi16(_mm_andnot_si128(one, lanes), _mm_setzero_si128());
        if (laneBits(binary) == 0xFF) {
            out = putEight(out, laneBits(_mm_cmpeq_epi16(lanes, one)));
        } else {
            for (std::size_t k = 0; k < 8; ++k) {
                out = putEntry(out, entries[i + k]);
            }
        }
    }
#endif
    for (; i < count; ++i) {
        out = putEntry(out, entries[i]);
    }
    return out;
}

char* putSeparations(char* out, const std::int16_t* codes, std::size_t count, std::int16_t code) {
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i own = _mm_set1_epi16(code);
    for (; i + 8 <= count; i += 8) {
        const __m128i lanes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(codes + i));
        out = putEight(out, laneBits(_mm_cmpeq_epi16(lanes, own)) ^ 0xFFu);
    }
#endif
    for (; i < count; ++i) {
        out[0] = ' ';
        out[1] = codes[i] == code ? '0' : '1';
        out[2] = ' ';
        out += 3;
    }
    return out;
}

namespace {
// Memory for the groups' lines; beyond it the rows are formatted one by one.
constexpr std::size_t kGroupLinesBudget = std::size_t{4} << 20;
// Beyond this many groups (or a quarter of the stimuli) preparing the groups' lines costs more
// than it saves.
constexpr std::size_t kMaxGroups = 64;
constexpr std::size_t kGroupSlots = 4 * kMaxGroups;
} // namespace

void SubjectRows::prepare(const std::int16_t* codes, std::size_t n) {
    codes_ = codes;
    lineBytes_ = 1 + 3 * n;
    groupCodes_.clear();
    byGroup_ = false;
    if (n < 2) {
        return;
    }
    const std::size_t maxGroups =
        std::min({kMaxGroups, n / 4, kGroupLinesBudget / std::max<std::size_t>(lineBytes_, 1)});
    groupOfRow_.resize(n + 1);
    // A small open-addressing table from code to group; it has four times the slots of the
    // groups allowed, so probes stay short.
    std::array<std::int16_t, kGroupSlots> slotCode;
    std::array<std::uint8_t, kGroupSlots> slotGroup{}; // group + 1; 0 for a free slot
    for (std::size_t r = 1; r <= n; ++r) {
        const std::int16_t code = codes[r];
        auto slot = static_cast<std::size_t>(static_cast<std::uint16_t>(code)) % kGroupSlots;
        while (slotGroup[slot] != 0 && slotCode[slot] != code) {
            slot = (slot + 1) % kGroupSlots;
        }
        if (slotGroup[slot] == 0) {
            if (groupCodes_.size() == maxGroups) {
                return; // too many groups: rows one by one
            }
            groupCodes_.push_back(code);
            slotCode[slot] = code;
            slotGroup[slot] = static_cast<std::uint8_t>(groupCodes_.size());
        }
        groupOfRow_[r] = slotGroup[slot] - 1u;
    }
    byGroup_ = true;
    // Slack after the last row for the whole-word stores of putSeparations.
    groupLines_.resize(groupCodes_.size() * lineBytes_ + kTextSlackBytes);
    for (std::size_t g = 0; g < groupCodes_.size(); ++g) {
        char* const line = groupLines_.data() + g * lineBytes_;
        line[0] = ' ';
        putSeparations(line + 1, codes + 1, n, groupCodes_[g]);
    }
}

char* SubjectRows::putRow(char* out, std::size_t r, std::size_t first, std::size_t count) const {
    if (!byGroup_) {
        return putSeparations(out, codes_ + first, count, codes_[r]);
    }
    const char* line = lineOf(r) + 1 + 3 * (first - 1);
    std::memcpy(out, line, 3 * count);
    return out + 3 * count;
}

} // namespace dissim
