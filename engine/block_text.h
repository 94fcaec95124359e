#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dissim {

// The text of matrix entries as the matrix file holds them: print style, a sign position (a
// space, or "-"), the digits, one trailing space. These functions format into a buffer the
// caller has made large enough: kMaxEntryBytes per entry plus kTextSlackBytes, which they may
// overwrite with whole-word stores beyond the text they return the end of.
inline constexpr std::size_t kMaxEntryBytes = 7; // sign, five digits, trailing space
inline constexpr std::size_t kTextSlackBytes = 16;

// Writes one entry; returns the end of its text.
char* putEntry(char* out, std::int16_t value);

// Writes count entries one after another; returns the end of their text.
char* putEntries(char* out, const std::int16_t* entries, std::size_t count);

// Writes count 0/1 entries: " 0 " where codes[k] equals code, " 1 " elsewhere (three bytes
// each). Returns the end of their text.
char* putSeparations(char* out, const std::int16_t* codes, std::size_t count, std::int16_t code);

// The rows of one subject's 0/1 block, made from the subject's group codes rather than from
// its matrix: entry (r, c) is 1 exactly when codes[r] and codes[c] differ. All stimuli of one
// group have the same row, cut at their own column; so when the subject used few groups, the
// full line of each group is formatted once and every row is a prefix of it. With many groups
// the rows are formatted one by one.
class SubjectRows {
public:
    // Prepares for the codes of stimuli 1 to n (codes[0] is not read). The codes must stay
    // unchanged while rows are written.
    void prepare(const std::int16_t* codes, std::size_t n);

    // Whether the rows are prefixes of their groups' lines.
    bool byGroup() const { return byGroup_; }

    // Only when byGroup(): the line of stimulus r's group, " " and then the entries of columns
    // 1 to n. Row r's text is its first 1 + 3 r bytes: the line start, entries 1 to r - 1, and
    // entry r, which is r's own group, " 0 ", the diagonal.
    const char* lineOf(std::size_t r) const {
        return groupLines_.data() + groupOfRow_[r] * lineBytes_;
    }

    // Writes entries (r, first) to (r, first + count - 1), three bytes each, for
    // 1 <= first and first + count - 1 < r <= n. Returns the end of their text.
    char* putRow(char* out, std::size_t r, std::size_t first, std::size_t count) const;

private:
    const std::int16_t* codes_ = nullptr;
    std::size_t lineBytes_ = 0;             // one group's line: 1 + 3 n bytes
    std::vector<std::int16_t> groupCodes_;  // the distinct codes, in the order first seen
    std::vector<std::uint32_t> groupOfRow_; // per stimulus, its index in groupCodes_
    std::vector<char> groupLines_;          // the line of each group, one after another
    bool byGroup_ = false;
};

} // namespace dissim
