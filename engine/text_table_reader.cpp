#include "text_table_reader.h"

#include "item_text.h"
#include "run_error.h"
#include "utf16_decoder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>

namespace dissim {
namespace {

constexpr std::size_t kNoPosition = std::string_view::npos;
// How much of a text its separator is guessed from, at most (a row cut there still counts).
constexpr std::size_t kGuessRows = 50;
constexpr std::size_t kGuessBytes = std::size_t{1} << 20;
// How many bytes a failure shows of what is not text.
constexpr std::size_t kShownBytes = 4;

bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// The position after the line end at text[p] (CR LF, LF or CR).
std::size_t afterLineEnd(std::string_view text, std::size_t p) {
    return text[p] == '\r' && p + 1 < text.size() && text[p + 1] == '\n' ? p + 2 : p + 1;
}

// Where the quote that opens a quoted cell at p stands: at p, or after spaces there (as
// hand-written tables put them after the separator); kNoPosition for a cell that is not quoted.
std::size_t openingQuote(std::string_view text, std::size_t p) {
    while (p < text.size() && text[p] == ' ') {
        ++p;
    }
    return p < text.size() && text[p] == '"' ? p : kNoPosition;
}

// "1 MB" for 1 << 20; bytes as a person reads a limit.
std::string sizeText(std::size_t bytes) {
    if (bytes >= (std::size_t{1} << 20) && bytes % (std::size_t{1} << 20) == 0) {
        return std::to_string(bytes >> 20) + " MB";
    }
    if (bytes >= 1024 && bytes % 1024 == 0) {
        return std::to_string(bytes >> 10) + " kB";
    }
    return std::to_string(bytes) + " bytes";
}

// ---- What is text ----------------------------------------------------------------------------

// 0: a byte that may stand in a table's text on its own (printable ASCII, tab, CR, LF);
// 1: a control byte or DEL, never text; 2: a byte of a longer UTF-8 sequence (or none).
constexpr auto kByteKinds = [] {
    std::array<unsigned char, 256> kinds{};
    for (int b = 0; b < 0x20; ++b) {
        kinds[b] = 1;
    }
    kinds['\t'] = kinds['\r'] = kinds['\n'] = 0;
    kinds[0x7F] = 1;
    for (int b = 0x80; b < 0x100; ++b) {
        kinds[b] = 2;
    }
    return kinds;
}();

// The length of the UTF-8 character at s[i] that is text (not a C1 control character), or 0.
std::size_t textSequence(const unsigned char* s, std::size_t n, std::size_t i) {
    const unsigned char lead = s[i];
    std::size_t length = 0;
    char32_t value = 0;
    char32_t least = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
        least = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        least = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        least = 0x10000;
    } else {
        return 0;
    }
    if (n - i < length) {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((s[i + k] & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (s[i + k] & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF) ||
        value <= 0x9F) {
        return 0;
    }
    return length;
}

// The first byte of the text that is not text (a control character other than tab, CR and LF,
// bytes that are no UTF-8), or kNoPosition.
std::size_t firstNotText(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    constexpr std::uint64_t kOnes = 0x0101010101010101;
    constexpr std::uint64_t kHighs = 0x8080808080808080;
    std::size_t i = 0;
    while (i < n) {
        // Eight bytes of printable ASCII at a time: none at or above 0x80, none below 0x20 (tab,
        // CR and LF included: they go the slow way), none DEL.
        while (n - i >= 8) {
            std::uint64_t w = 0;
            std::memcpy(&w, s + i, 8);
            const std::uint64_t del = w ^ (kOnes * 0x7F);
            if (((w | ((w - kOnes * 0x20) & ~w) | ((del - kOnes) & ~del)) & kHighs) != 0) {
                break;
            }
            i += 8;
        }
        // Then byte by byte over at least these eight.
        const std::size_t stop = std::min(n, i + 8);
        while (i < stop) {
            const unsigned char kind = kByteKinds[s[i]];
            if (kind == 0) {
                ++i;
            } else if (kind == 1) {
                return i;
            } else {
                const std::size_t length = textSequence(s, n, i);
                if (length == 0) {
                    return i;
                }
                i += length;
            }
        }
    }
    return kNoPosition;
}

// ---- Rows as the reader splits them ----------------------------------------------------------

struct ScannedRow {
    std::size_t next = 0;  // where the next row starts (text.size() at the end)
    std::size_t cells = 0; // 0 for an empty line
    bool ended = false;    // by a line end, not by the end of the text
};

// The row at `from` as readTextTable reads it, counting its cells without keeping them: a cell
// that starts with a quote runs to the quote that closes it (a doubled quote is none), then
// on to the separator or line end. A quote never closed runs to the end of the text.
ScannedRow scanRow(std::string_view text, std::size_t from, char separator) {
    const std::size_t n = text.size();
    std::size_t p = from;
    ScannedRow row;
    if (p < n && isLineEnd(text[p])) {
        return {afterLineEnd(text, p), 0, true};
    }
    for (;;) {
        ++row.cells;
        if (const std::size_t quote = openingQuote(text, p); quote != kNoPosition) {
            p = quote + 1;
            for (;;) {
                const std::size_t q = text.find('"', p);
                if (q == kNoPosition) {
                    row.next = n;
                    return row;
                }
                p = q + 1;
                if (p < n && text[p] == '"') {
                    ++p;
                    continue;
                }
                break;
            }
        }
        while (p < n && text[p] != separator && !isLineEnd(text[p])) {
            ++p;
        }
        if (p == n) {
            row.next = n;
            return row;
        }
        if (text[p] == separator) {
            ++p;
            continue;
        }
        row.next = afterLineEnd(text, p);
        row.ended = true;
        return row;
    }
}

// The row (from 0) in which text[pos] stands, the separator guessed from the text before it.
std::size_t rowAt(std::string_view text, std::size_t pos) {
    const char separator = guessSeparator(text.substr(0, pos));
    std::size_t row = 0;
    std::size_t from = 0;
    while (from < text.size()) {
        const ScannedRow scanned = scanRow(text, from, separator);
        if (scanned.next > pos || !scanned.ended) {
            return row;
        }
        from = scanned.next;
        ++row;
    }
    return row;
}

[[noreturn]] void failNotText(std::string_view text, std::size_t pos, const std::string& shown,
                              const char* encoding) {
    throw RunError(rowName(rowAt(text, pos)) + " holds bytes that are not text" + encoding + ": " +
                   shown +
                   "; a table must be a workbook (.xlsx, .ods) or plain text, such as a "
                   "spreadsheet saved as CSV or as Unicode text");
}

void checkIsText(std::string_view text, const char* encoding) {
    const std::size_t bad = firstNotText(text);
    if (bad != kNoPosition) {
        failNotText(text, bad, escapedBytes(text.substr(bad, kShownBytes)), encoding);
    }
}

std::string decodedUtf16(std::string_view bytes, bool bigEndian) {
    constexpr std::size_t kPiece = 64 * 1024;
    const Utf16Decoder decoder(bigEndian);
    std::string text;
    text.reserve(bytes.size() / 2 + kPiece);
    std::size_t written = 0;
    std::size_t used = 0;
    for (;;) {
        text.resize(written + kPiece);
        const Utf16Decoder::Decoded d = decoder.decode(bytes.data() + used, bytes.size() - used,
                                                       text.data() + written, kPiece, true);
        written += d.written;
        used += d.used;
        text.resize(written);
        if (d.notText) {
            failNotText(text, written,
                        escapedBytes(bytes.substr(used, std::min<std::size_t>(kShownBytes,
                                                                             bytes.size() - used))),
                        " (UTF-16 text by its byte-order mark)");
        }
        if (used == bytes.size() || d.written == 0) {
            return text;
        }
    }
}

// ---- Reading -----------------------------------------------------------------------------------

[[noreturn]] void failCellTooLong(std::size_t row, std::size_t column, bool quoted) {
    const std::string place = "cell " + cellName(row, column) + " (" + rowName(row) + ")";
    if (quoted) {
        throw RunError(place + " starts with a quote and runs on for more than " +
                       sizeText(kMaxCellBytes) +
                       ": its closing quote is missing, or this is no table of sort data");
    }
    throw RunError(place + " holds more than " + sizeText(kMaxCellBytes) +
                   " of text: this is no table of sort data");
}

[[noreturn]] void failUnclosedQuote(std::string_view cellText, std::size_t row,
                                    std::size_t column) {
    throw RunError("cell " + cellName(row, column) + " (" + rowName(row) +
                   ") starts with a quote that is never closed: " + quotedItem(cellText));
}

[[noreturn]] void failColumns(std::size_t row) {
    throw RunError(rowName(row) + " holds more than " + std::to_string(kMaxColumns) +
                   " cells: this is no table of sort data");
}

void checkSeparator(char separator) {
    if (separator != ',' && separator != ';' && separator != '\t') {
        throw RunError("a text table's cells cannot be separated by " +
                       quotedItem(std::string_view(&separator, 1)) +
                       ": only by a comma, a semicolon or a tab");
    }
}

// The bytes that end a cell (the separator, CR and LF), found a word of eight at a time.
class CellEnds {
public:
    explicit CellEnds(char separator) : separator_(kOnes * static_cast<unsigned char>(separator)) {
        ends_[static_cast<unsigned char>(separator)] = ends_['\r'] = ends_['\n'] = true;
    }

    bool isEnd(char c) const { return ends_[static_cast<unsigned char>(c)]; }

    // The eight bytes at s with 0x80 in each that ends a cell, and no other bit.
    std::uint64_t inWord(const char* s) const {
        std::uint64_t w = 0;
        std::memcpy(&w, s, 8);
        return zeroBytes(w ^ separator_) | zeroBytes(w ^ (kOnes * '\r')) |
               zeroBytes(w ^ (kOnes * '\n'));
    }

    // The first byte in text[from, limit) that ends a cell, or limit.
    std::size_t find(std::string_view text, std::size_t from, std::size_t limit) const {
        std::size_t p = from;
        for (; limit - p >= 8; p += 8) {
            const std::uint64_t marks = inWord(text.data() + p);
            if (marks != 0) {
                // The byte first in memory: the lowest of a little-endian word, else the highest.
                if constexpr (std::endian::native == std::endian::little) {
                    return p + static_cast<std::size_t>(std::countr_zero(marks)) / 8;
                } else {
                    return p + static_cast<std::size_t>(std::countl_zero(marks)) / 8;
                }
            }
        }
        while (p < limit && !isEnd(text[p])) {
            ++p;
        }
        return p;
    }

private:
    static constexpr std::uint64_t kOnes = 0x0101010101010101;
    // 0x80 in each byte of w that is zero, exactly (no carry from one byte to the next).
    static std::uint64_t zeroBytes(std::uint64_t w) {
        constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
        return ~(((w & kLow7) + kLow7) | w | kLow7);
    }

    std::uint64_t separator_;
    std::array<bool, 256> ends_{};
};

} // namespace

std::string decodedTableText(std::string_view bytes) {
    if (bytes.size() >= 2 && ((bytes[0] == '\xFF' && bytes[1] == '\xFE') ||
                              (bytes[0] == '\xFE' && bytes[1] == '\xFF'))) {
        std::string text = decodedUtf16(bytes.substr(2), bytes[0] == '\xFE');
        checkIsText(text, " (UTF-16 text by its byte-order mark)");
        return text;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    checkIsText(bytes, "");
    return std::string(bytes);
}

char guessSeparator(std::string_view text) {
    const std::string_view looked = text.substr(0, kGuessBytes);
    char best = ',';
    double bestShare = 0;
    // In the order preferred where two are as consistent: a tab or a semicolon that separates
    // every row alike is seldom in a cell's text, where a comma (a decimal comma) may be.
    for (const char separator : {'\t', ';', ','}) {
        std::array<std::size_t, kGuessRows> counts{};
        std::size_t rows = 0;
        for (std::size_t from = 0; from < looked.size() && rows < kGuessRows;) {
            const ScannedRow row = scanRow(looked, from, separator);
            // A row cut by the end of what is looked at counts only where it is the only one.
            const bool cut = !row.ended && looked.size() < text.size();
            if (row.cells > 0 && (!cut || rows == 0)) {
                counts[rows++] = row.cells;
            }
            from = row.next;
        }
        // The most common count of cells (the larger of two as common) and its share of rows.
        std::size_t mode = 0;
        std::size_t modeRows = 0;
        for (std::size_t i = 0; i < rows; ++i) {
            const auto same = static_cast<std::size_t>(std::count(
                counts.begin(), counts.begin() + static_cast<std::ptrdiff_t>(rows), counts[i]));
            if (same > modeRows || (same == modeRows && counts[i] > mode)) {
                mode = counts[i];
                modeRows = same;
            }
        }
        if (mode > 1) {
            const double share = static_cast<double>(modeRows) / static_cast<double>(rows);
            if (share > bestShare) {
                best = separator;
                bestShare = share;
            }
        }
    }
    return best;
}

Table readTextTable(std::string_view text, char separator) {
    checkSeparator(separator);
    const CellEnds ends(separator);
    const auto isEnd = [&ends](char c) { return ends.isEnd(c); };
    const char* const s = text.data();
    const std::size_t n = text.size();

    Table table;
    // Room for every cell there can be (one more than the separators and line ends) and for
    // their text, unless a long stretch without them shows that a cell is longer than a table
    // may hold: then the reading fails before long, and takes no room for the whole text first.
    {
        // More whole words in a row without a separator or line end than this make a stretch
        // longer than 2 * kMaxCellBytes + 2, and a cell's text is at least half its stretch
        // less its two quotes (a quoted cell of doubled quotes).
        constexpr std::size_t kLongStretchWords = (2 * kMaxCellBytes + 2) / 8 + 1;
        std::size_t delimiters = 0;
        std::size_t stretchWords = 0;
        std::size_t i = 0;
        for (; n - i >= 8 && stretchWords <= kLongStretchWords; i += 8) {
            const std::uint64_t marks = ends.inWord(s + i);
            // One bit a byte at most: their sum, by a multiplication (no popcount instruction
            // in the baseline x86-64 the build targets).
            delimiters += static_cast<std::size_t>(((marks >> 7) * 0x0101010101010101) >> 56);
            stretchWords = marks != 0 ? 0 : stretchWords + 1;
        }
        if (stretchWords <= kLongStretchWords) {
            for (; i < n; ++i) {
                delimiters += isEnd(s[i]) ? 1 : 0;
            }
            table.reserve(delimiters + 1, n - delimiters);
        }
    }

    std::string joined; // a quoted cell's text where it is not one piece of the text
    std::size_t p = 0;
    std::size_t row = 0;
    while (p < n) {
        if (isLineEnd(s[p])) {
            table.endRow(); // an empty line: a row of no cells
            p = afterLineEnd(text, p);
            ++row;
            continue;
        }
        std::size_t column = 0;
        for (;; ++column) {
            if (column == kMaxColumns) {
                failColumns(row);
            }
            if (const std::size_t quote = openingQuote(text, p); quote != kNoPosition) {
                const std::size_t begin = quote + 1;
                std::size_t length = 0; // the cell's text so far
                bool onePiece = true;   // the text is text[begin, begin + length)
                p = begin;
                for (;;) {
                    // The closing quote, looked for no further than the cell may reach.
                    const std::size_t window = std::min(n - p, kMaxCellBytes - length + 1);
                    const void* found = std::memchr(s + p, '"', window);
                    if (found == nullptr) {
                        if (p + window < n) {
                            failCellTooLong(row, column, true);
                        }
                        failUnclosedQuote(text.substr(begin, kMaxCellBytes), row, column);
                    }
                    const auto q = static_cast<std::size_t>(static_cast<const char*>(found) - s);
                    length += q - p;
                    if (q + 1 < n && s[q + 1] == '"') {
                        // A doubled quote: one quote of the text.
                        if (onePiece) {
                            joined.assign(s + begin, q + 1 - begin);
                            onePiece = false;
                        } else {
                            joined.append(s + p, q + 1 - p);
                        }
                        ++length;
                        p = q + 2;
                        if (length > kMaxCellBytes) {
                            failCellTooLong(row, column, true);
                        }
                        continue;
                    }
                    if (!onePiece) {
                        joined.append(s + p, q - p);
                    }
                    p = q + 1;
                    break;
                }
                // Text after the closing quote, up to the separator: taken into the cell as it
                // stands (quotes and all), as spreadsheets do, rather than failing the table.
                if (p < n && !isEnd(s[p])) {
                    const std::size_t after = p;
                    p = ends.find(text, p, std::min(n, p + (kMaxCellBytes - length) + 1));
                    if (onePiece) {
                        joined.assign(s + begin, length);
                        onePiece = false;
                    }
                    joined.append(s + after, p - after);
                    length += p - after;
                    if (length > kMaxCellBytes) {
                        failCellTooLong(row, column, true);
                    }
                }
                table.addCell(onePiece ? std::string_view(s + begin, length)
                                       : std::string_view(joined));
            } else {
                const std::size_t begin = p;
                p = ends.find(text, p, std::min(n, p + kMaxCellBytes + 1));
                if (p - begin > kMaxCellBytes) {
                    failCellTooLong(row, column, false);
                }
                table.addCell(std::string_view(s + begin, p - begin));
            }
            if (p == n) {
                break;
            }
            if (s[p] == separator) {
                ++p;
                continue;
            }
            p = afterLineEnd(text, p);
            break;
        }
        table.endRow();
        ++row;
    }
    return table;
}

} // namespace dissim
