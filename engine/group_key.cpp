#include "group_key.h"

#include "decimal_text.h"

#include <algorithm>

namespace dissim {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

bool isMissingCode(std::string_view trimmed) {
    return trimmed.empty() || trimmed == "NA";
}

GroupKey groupKeyOfText(std::string_view trimmed) {
    GroupKey key;
    key.text = trimmed;
    // The common code first: an optional minus and up to nine digits.
    const bool negative = !trimmed.empty() && trimmed[0] == '-';
    const std::string_view digits = trimmed.substr(negative ? 1 : 0);
    if (!digits.empty() && digits.size() <= 9) {
        std::int32_t value = 0;
        std::size_t i = 0;
        while (i < digits.size() && isDigit(digits[i])) {
            value = value * 10 + (digits[i] - '0');
            ++i;
        }
        if (i == digits.size()) {
            key.isNumber = true;
            key.number = negative ? -static_cast<double>(value) : static_cast<double>(value);
            if (key.number == 0.0) {
                key.number = 0.0;
            }
            return key;
        }
    }
    // A plus sign is taken as spreadsheets take it; the number after it must be unsigned.
    std::string_view number = trimmed;
    if (number.size() > 1 && number[0] == '+' && number[1] != '-' && number[1] != '+') {
        number.remove_prefix(1);
    }
    // Most words are told from numbers by their first letters, without the full reading (which
    // is slow where the standard library has no std::from_chars for double).
    const std::string_view magnitude = number.substr(!number.empty() && number[0] == '-' ? 1 : 0);
    if (magnitude.empty() || !(isDigit(magnitude[0]) || magnitude[0] == '.')) {
        return key;
    }
    if (const auto value = readDecimal(number)) {
        key.isNumber = true;
        key.number = *value == 0.0 ? 0.0 : *value;
    }
    return key;
}

std::int32_t GroupIds::id(const GroupKey& key) {
    if (key.isNumber && key.number >= 0.0 && key.number < static_cast<double>(kDirect) &&
        key.number == static_cast<double>(static_cast<std::int32_t>(key.number))) {
        const auto value = static_cast<std::size_t>(key.number);
        if (value >= direct_.size()) {
            direct_.resize(std::min(std::max(value + 1, 2 * direct_.size()), kDirect), 0);
        }
        std::int32_t& id = direct_[value];
        if (id == 0) {
            id = ++count_;
        }
        return id;
    }
    if (!key.isNumber) {
        const auto [number, added] = words_.insert(key.text);
        if (added) {
            wordIds_.push_back(++count_);
        }
        return wordIds_[static_cast<std::size_t>(number)];
    }
    const auto [entry, added] = numbers_.try_emplace(key.number, count_ + 1);
    if (added) {
        ++count_;
    }
    return entry->second;
}

} // namespace dissim
