#pragma once

#include "block_text.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace dissim {

class Matrix16;
class OutputFile;

// Writes matrix blocks to the matrix file: for a matrix M over n stimuli, line 1 is the
// diagonal entry alone, and line r (2 to n) holds M(r,1) ... M(r,r-1) and then the diagonal
// entry. Every line starts with one space (the move to column 2) and ends with CR LF; every
// entry is written print-style: its sign position (a space, or "-"), its digits, one space.
// A block always has at least its first line.
//
// Text is formatted into one buffer, which is written whole each time it is full: every write
// but the last one of a run is exactly one buffer long and starts at a multiple of it in the
// file. Text that runs past the end of the full buffer starts it again. A failure to write is
// raised as RunError from the call that wrote.
class MatrixWriter {
public:
    // Half a megabyte: writes of this size, one after another, the system takes about as fast
    // as any larger ones, without looking for large free blocks of its memory to hold them,
    // which on a machine that has been idle costs more than the writing (1 MiB writes took the
    // large study's bytes three to four times as long there).
    static constexpr std::size_t kDefaultBufferBytes = std::size_t{512} << 10;
    // Smaller buffers are raised to this.
    static constexpr std::size_t kMinBufferBytes = 64 * 1024;

    // Throws RunError when the buffer cannot be had.
    explicit MatrixWriter(OutputFile& file, std::size_t bufferBytes = kDefaultBufferBytes);
    MatrixWriter(const MatrixWriter&) = delete;
    MatrixWriter& operator=(const MatrixWriter&) = delete;

    // Appends the block of m for stimuli 1 to n (n < 1 writes the first line only). Only the
    // elements below the diagonal are read.
    void writeBlock(const Matrix16& m, std::int64_t n);

    // Appends the block of a subject's 0/1 matrix given by its group codes (codes[1] to
    // codes[n]): entry (r, c) is 1 exactly when codes[r] and codes[c] differ. The text is the
    // one writeBlock gives for that matrix, made faster from the codes.
    void writeSubjectBlock(const std::int16_t* codes, std::int64_t n);

    // Hands everything appended so far to the file.
    void flush();

    // Whether a write to the file has failed; what is buffered then is not whole blocks.
    bool failed() const { return failed_; }

private:
    // The most text formatted in one piece: a piece may run this many bytes (and
    // kTextSlackBytes more) past the end of the buffer.
    static constexpr std::size_t kMaxPieceBytes = 64 * 1024;

    // Where the next piece of text goes; a piece of at most kMaxPieceBytes bytes has room there.
    char* next() { return buffer_.get() + used_; }
    // Takes the text up to end, which a piece has written from next() on, and writes the buffer
    // if it is full.
    void take(const char* end);
    // Appends text, writing the buffer as often as it fills.
    void append(const char* text, std::size_t length);
    // Writes the full buffer and starts it again with what ran past its end.
    void writeFullBuffer();
    // Appends a block for n stimuli whose row r, columns first to first + count - 1, putEntries
    // formats (at most kMaxEntryBytes an entry).
    template <typename PutEntries> void appendBlock(std::int64_t n, PutEntries putEntries);

    OutputFile& file_;
    const std::size_t bufferBytes_;
    // bufferBytes_, then kMaxPieceBytes and kTextSlackBytes beyond for the piece that fills it.
    std::unique_ptr<char[]> buffer_;
    std::size_t used_ = 0; // below bufferBytes_ between pieces
    bool failed_ = false;
    SubjectRows subjectRows_;
};

} // namespace dissim
