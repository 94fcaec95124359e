#include "natural_order.h"

namespace dissim {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The digit run starting at i, without its leading zeros; i moves past the run.
std::string_view digitRun(std::string_view text, std::size_t& i) {
    while (i < text.size() && text[i] == '0') {
        ++i;
    }
    const std::size_t begin = i;
    while (i < text.size() && isDigit(text[i])) {
        ++i;
    }
    return text.substr(begin, i - begin);
}

// <0, 0 or >0 as a is before, level with or after b in natural order.
int naturalCompare(std::string_view a, std::string_view b) {
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            const std::string_view x = digitRun(a, i);
            const std::string_view y = digitRun(b, j);
            if (x.size() != y.size()) {
                return x.size() < y.size() ? -1 : 1;
            }
            if (const int order = x.compare(y); order != 0) {
                return order;
            }
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        }
        ++i;
        ++j;
    }
    const std::size_t restA = a.size() - i;
    const std::size_t restB = b.size() - j;
    return restA == restB ? 0 : (restA < restB ? -1 : 1);
}

} // namespace

bool naturalLess(std::string_view a, std::string_view b) {
    const int order = naturalCompare(a, b);
    return order != 0 ? order < 0 : a < b;
}

} // namespace dissim
