#pragma once

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

// The cell's text without the spaces, tabs and line breaks around it.
std::string_view trimmedCell(std::string_view text);

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
GroupKey groupKeyOf(std::string_view trimmed);

struct GroupKeyHash {
    std::size_t operator()(const GroupKey& key) const;
};

// Numbers one subject's groups 1, 2, 3, ... in the order they are first met. Reused from
// subject to subject (clear()), so that a study costs no allocation per cell: small whole
// numbers, the common codes, are looked up in a table; other keys in a hash map.
class GroupNumbering {
public:
    void clear();
    // The group's number, a new one for a key not met since clear().
    std::int32_t number(const GroupKey& key);
    std::int32_t groups() const { return groups_; }

private:
    static constexpr int kSmallLowest = -64;
    static constexpr int kSmallCount = 4096;

    std::vector<std::int32_t> small_ = std::vector<std::int32_t>(kSmallCount, 0);
    std::vector<std::uint32_t> smallStamp_ = std::vector<std::uint32_t>(kSmallCount, 0);
    std::uint32_t stamp_ = 1;
    std::unordered_map<GroupKey, std::int32_t, GroupKeyHash> others_;
    std::int32_t groups_ = 0;
};

} // namespace dissim
