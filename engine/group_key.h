#pragma once

#include "name_index.h"
#include <cstddef>

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace dissim {

// How an imported table's cells name groups. Within one subject two stimuli share a group
// exactly when their cells hold the same code: a cell that is a number compares as a number
// ("1", "1.0", " 1 ", "1e0" and "+1" are one group), any other text compares as written. Only
// equality matters: the matrices never see the codes themselves.

// The cell's text without the spaces, tabs and line breaks around it. Inline: every cell of
// an import passes here, and most have nothing to trim.
inline bool isCellSpace(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}
inline std::string_view trimmedCell(std::string_view text) {
    while (!text.empty() && isCellSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isCellSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A trimmed cell that names no group: empty, or NA (what statistics programs write for a
// missing value).
bool isMissingCode(std::string_view trimmed);

struct GroupKey {
    std::string_view text; // the trimmed text, compared where it is no number
    double number = 0.0;   // the value, where it is one (never -0: it is the group of 0)
    bool isNumber = false;

    bool operator==(const GroupKey& other) const {
        return isNumber == other.isNumber &&
               (isNumber ? number == other.number : text == other.text);
    }
};

// The key of a trimmed cell. Numbers are read locale-free (a period is the decimal point; a
// decimal comma makes the cell text); infinities, NaN and values beyond a double are text.
GroupKey groupKeyOfText(std::string_view trimmed);
inline GroupKey groupKeyOf(std::string_view trimmed) {
    if (trimmed.size() == 1 && trimmed[0] >= '0' && trimmed[0] <= '9') { // the common code
        return GroupKey{trimmed, static_cast<double>(trimmed[0] - '0'), true};
    }
    return groupKeyOfText(trimmed);
}

// Gives every distinct group key of a table one id, counted from 1, the same for equal keys in
// any subject's cells, so that within one subject equal ids are equal groups. Whole numbers
// from 0 to kDirect - 1, the common codes, are looked up in a table indexed by their value;
// other keys in a hash map.
class GroupIds {
public:
    static constexpr std::size_t kDirect = std::size_t{1} << 20;

    std::int32_t id(const GroupKey& key);
    // The largest id given so far: the number of distinct keys.
    std::int32_t largest() const { return count_; }

private:
    std::vector<std::int32_t> direct_;                 // by value: the id, or 0 for none yet
    NameIndex words_;                                  // the keys that are no number, by their text
    std::vector<std::int32_t> wordIds_;                // by the word's number in words_
    std::unordered_map<double, std::int32_t> numbers_; // numbers not looked up by value
    std::int32_t count_ = 0;
};

} // namespace dissim
