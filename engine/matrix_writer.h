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
// Text is formatted into one buffer, which is handed to the file whenever the next piece does
// not fit, and by flush(). A failure to write is raised as RunError from the call that wrote.
class MatrixWriter {
public:
    static constexpr std::size_t kDefaultBufferBytes = std::size_t{1} << 20;
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
    // Room for bytes more characters (plus kTextSlackBytes) in the buffer, after handing what
    // it holds to the file when it has too little.
    char* reserve(std::size_t bytes);
    // Appends text, handing the buffer to the file as often as it fills.
    void append(const char* text, std::size_t length);
    // Appends a block for n stimuli whose row r, columns first to first + count - 1, putEntries
    // formats (at most maxEntryBytes an entry).
    template <typename PutEntries>
    void appendBlock(std::int64_t n, std::size_t maxEntryBytes, PutEntries putEntries);

    OutputFile& file_;
    const std::size_t bufferBytes_;
    std::unique_ptr<char[]> buffer_; // bufferBytes_ and kTextSlackBytes beyond
    std::size_t used_ = 0;
    bool failed_ = false;
    SubjectRows subjectRows_;
};

} // namespace dissim
