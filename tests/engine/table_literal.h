#pragma once

// A table written in a test as text: rows end at line feeds, cells at '|'. A row ends where its
// text does, so "a|b\nc" is a ragged table whose second row holds one cell; a line feed at the
// end ends the last row and starts none.

#include "table.h"

#include <string_view>

namespace testsupport {

inline dissim::Table tableOf(std::string_view text) {
    dissim::Table table;
    if (text.empty()) {
        return table;
    }
    std::size_t start = 0;
    if (text.back() == '\n') {
        text.remove_suffix(1);
    }
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '|' || text[i] == '\n') {
            table.addCell(text.substr(start, i - start));
            start = i + 1;
            if (i == text.size() || text[i] == '\n') {
                table.endRow();
            }
        }
    }
    return table;
}

} // namespace testsupport
