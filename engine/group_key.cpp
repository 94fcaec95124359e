#include "group_key.h"

#include "decimal_text.h"

#include <functional>

namespace dissim {

namespace {

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

std::string_view trimmedCell(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && isSpace(text[end - 1])) {
        --end;
    }
    return text.substr(begin, end - begin);
}

bool isMissingCode(std::string_view trimmed) {
    return trimmed.empty() || trimmed == "NA";
}

GroupKey groupKeyOf(std::string_view trimmed) {
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
    if (const auto value = readDecimal(number)) {
        key.isNumber = true;
        key.number = *value == 0.0 ? 0.0 : *value;
    }
    return key;
}

std::size_t GroupKeyHash::operator()(const GroupKey& key) const {
    return key.isNumber ? std::hash<double>{}(key.number)
                        : std::hash<std::string_view>{}(key.text) ^ 0x9e3779b97f4a7c15ULL;
}

void GroupNumbering::clear() {
    if (++stamp_ == 0) { // after four billion subjects: start the stamps afresh
        std::fill(smallStamp_.begin(), smallStamp_.end(), 0);
        stamp_ = 1;
    }
    if (!others_.empty()) {
        others_.clear();
    }
    groups_ = 0;
}

std::int32_t GroupNumbering::number(const GroupKey& key) {
    if (key.isNumber && key.number >= kSmallLowest && key.number < kSmallLowest + kSmallCount) {
        const auto whole = static_cast<int>(key.number);
        if (whole == key.number) {
            const auto index = static_cast<std::size_t>(whole - kSmallLowest);
            if (smallStamp_[index] != stamp_) {
                smallStamp_[index] = stamp_;
                small_[index] = ++groups_;
            }
            return small_[index];
        }
    }
    const auto [entry, added] = others_.try_emplace(key, groups_ + 1);
    if (added) {
        ++groups_;
    }
    return entry->second;
}

} // namespace dissim
