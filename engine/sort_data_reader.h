#pragma once

#include "utf16_decoder.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dissim {

class InputFile;

// Reads the sort data file as one stream of group codes, one at a time.
//
// Items are separated by commas, semicolons, spaces, tabs and line ends (CR LF, LF or CR); a
// semicolon is what spreadsheets write between cells where the decimal separator is a comma,
// and stands wherever a comma may. Line structure carries no meaning and blank lines are
// skipped. A comma (or semicolon) at the end of a line adds no item, but an empty item between
// two of them (or before the first of a line) is an error: skipping it would shift every later
// code onto the wrong stimulus. An item may be quoted ("3" reads as 3). Each item must be a
// whole number that fits a signed 16-bit integer; 2.0 and 1e1 are whole, 1.5 and letters are
// not.
//
// The file is UTF-8 text (ASCII being part of it); a UTF-8 byte-order mark at its start is
// skipped. A file that starts with a UTF-16 byte-order mark, little or big endian (a
// spreadsheet's "Unicode text"), is read as that text, decoded a buffer at a time.
//
// Every error throws RunError with a one-line description naming the subject, the stimulus,
// the line and the item; the item is quoted as readable text, and an item (or a stretch of a
// UTF-16 file) that is not text at all is called so.
class SortDataReader {
public:
    // How much of the file is read into the buffer at a time.
    static constexpr std::size_t kBufferBytes = 64 * 1024;

    explicit SortDataReader(InputFile& file);

    // Reads the next code, for the given subject and stimulus (both counted from 1; they only
    // serve the error descriptions).
    std::int16_t readCode(std::int64_t subject, std::int64_t stimulus);

    // Reads the codes of stimuli 1 to count of one subject into codes[1] to codes[count], as
    // that many readCode calls would, and fails the same way.
    void readCodes(std::int64_t subject, std::int16_t* codes, std::int64_t count);

    // How many codes have been read so far.
    std::int64_t codesRead() const { return codesRead_; }

    // How the codes read so far lie on the file's lines, once the run has read all it needs:
    // looks on to the end of the file for anything more. lines counts the lines that hold
    // codes; codesPerLine is the number of codes each of them holds, or 0 when they hold
    // different numbers or anything but separators follows the codes read. Never fails: what
    // cannot be read past the codes read (a read error, bytes that are not text) counts as more.
    struct LineLayout {
        std::int64_t lines = 0;
        std::int64_t codesPerLine = 0;
    };
    LineLayout lineLayout();

private:
    // The common item is taken straight from the buffer by a fast path: spaces or tabs (and
    // one comma or semicolon where one may stand), an optional minus, one to five digits within
    // the range, and a separator, all in the buffer already. Anything else (a line end before
    // the item, a quote, a plus, a fraction or exponent, a value beyond the range, an item cut
    // by the end of the buffer) is left to readItemCode. Sort data is most often one-digit
    // codes each after one separator (a space, or a spreadsheet's tab, comma or semicolon);
    // eight of those are taken in one step where the processor can.
    //
    // After `taken` items of the fast path ending at `end`: the state the general path leaves.
    void tookPlainItems(std::size_t end, std::int64_t taken);
    // The next code the general way: any item, or the failure it makes.
    std::int16_t readItemCode(std::int64_t subject, std::int64_t stimulus);
    // Fills the buffer; false at the end of the file, or where a UTF-16 file holds bytes that
    // are not text (then notText_ holds them).
    bool refill();
    // The first fill: the byte-order mark, and with it the encoding.
    void startReading();
    // Fills the buffer with the next decoded piece of a UTF-16 file; the bytes filled.
    std::size_t decodeUtf16();
    // refill(), failing where the file's bytes are not text.
    bool more(std::int64_t subject, std::int64_t stimulus);
    // A line end: the line just ended into the line layout.
    void endLine();
    // The next raw item (its text, unquoted) and the line it started on; nothing at the end.
    std::optional<std::string> nextItem(std::int64_t subject, std::int64_t stimulus);
    [[noreturn]] void fail(std::int64_t subject, std::int64_t stimulus,
                           const std::string& what) const;

    InputFile& file_;
    std::vector<char> buffer_;
    std::size_t pos_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
    bool atStart_ = true;
    bool commaAllowed_ = false; // a comma now ends an item (rather than making an empty one)
    bool lastWasCr_ = false;    // to count CR LF as one line end
    std::int64_t line_ = 1;
    std::int64_t itemLine_ = 1;
    std::int64_t codesRead_ = 0;
    // UTF-16 files: the file's bytes not yet decoded, and bytes that are not text, escaped.
    std::optional<Utf16Decoder> utf16_;
    std::vector<char> raw_;
    std::size_t rawPos_ = 0;
    std::size_t rawEnd_ = 0;
    bool rawAtEnd_ = false;
    std::string notText_;
    // The line layout so far: codes read when the current line began, the codes of each line
    // with codes (kMixedLines once they differ), and how many such lines ended.
    static constexpr std::int64_t kMixedLines = -1;
    std::int64_t lineStartCodes_ = 0;
    std::int64_t lineCodes_ = 0;
    std::int64_t linesWithCodes_ = 0;
};

// Converts one item's text to a group code. Returns the code, or a short reason why the text
// is no code ("is not a whole number", "does not fit ...").
struct ParsedCode {
    std::int16_t code = 0;
    const char* error = nullptr; // nullptr when the text is a valid code
};
ParsedCode parseGroupCode(std::string_view item);

} // namespace dissim
