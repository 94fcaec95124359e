#include "name_index.h"

#include <cstring>

namespace dissim {

std::uint64_t NameIndex::hashOf(std::string_view name) {
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ULL;
    std::uint64_t hash = name.size() * kMix;
    std::size_t i = 0;
    for (; i + 8 <= name.size(); i += 8) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, name.data() + i, 8);
        hash = (hash ^ chunk) * kMix;
        hash ^= hash >> 29;
    }
    if (i < name.size()) {
        std::uint64_t chunk = 0;
        std::memcpy(&chunk, name.data() + i, name.size() - i);
        hash = (hash ^ chunk) * kMix;
        hash ^= hash >> 29;
    }
    return hash * kMix ^ (hash >> 32);
}

void NameIndex::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? 64 : 2 * old.size(), Slot{});
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.number < 0) {
            continue;
        }
        std::size_t at = slot.hash & mask;
        while (slots_[at].number >= 0) {
            at = (at + 1) & mask;
        }
        slots_[at] = slot;
    }
}

std::pair<std::int32_t, bool> NameIndex::insert(std::string_view name) {
    if (2 * (count_ + 1) > slots_.size()) {
        grow();
    }
    const std::uint64_t hash = hashOf(name);
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = hash & mask;
    while (slots_[at].number >= 0) {
        if (slots_[at].hash == hash && slots_[at].name == name) {
            return {slots_[at].number, false};
        }
        at = (at + 1) & mask;
    }
    slots_[at] = Slot{name, hash, static_cast<std::int32_t>(count_)};
    return {static_cast<std::int32_t>(count_++), true};
}

} // namespace dissim
