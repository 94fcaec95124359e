#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace dissim {

// Numbers distinct names (views into a table's text, which must outlive the index) in the order
// they are first met. An import looks up a name for every row or cell of a table of a million;
// open addressing with a cheap hash over eight bytes at a time keeps that to a few nanoseconds
// where a node-based map spends most of its time allocating and chasing pointers.
class NameIndex {
public:
    // The name's number, and whether it is new (then it is size() - 1).
    std::pair<std::int32_t, bool> insert(std::string_view name);
    std::size_t size() const { return count_; }

private:
    struct Slot {
        std::string_view name;
        std::uint64_t hash = 0;
        std::int32_t number = -1; // -1: empty
    };

    static std::uint64_t hashOf(std::string_view name);
    void grow();

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

} // namespace dissim
