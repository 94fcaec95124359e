#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace dissim {

class Matrix16;
class OutputFile;

// Writes matrix blocks to the matrix file: for a matrix M over n stimuli, line 1 is the
// diagonal entry alone, and line r (2 to n) holds M(r,1) ... M(r,r-1) and then the diagonal
// entry. Every line starts with one space (the move to column 2) and ends with CR LF; every
// entry is written print-style: its sign position (a space, or "-"), its digits, one space.
// A block always has at least its first line.
//
// Text is collected in a bounded buffer and handed to the file in large writes.
class MatrixWriter {
public:
    explicit MatrixWriter(OutputFile& file);

    // Appends the block of m for stimuli 1 to n (n < 1 writes the first line only). Only the
    // elements below the diagonal are read.
    void writeBlock(const Matrix16& m, std::int64_t n);

    // Hands everything buffered to the file.
    void flush();

    // Whether a write to the file has failed; what is buffered then is not whole blocks.
    bool failed() const { return failed_; }

private:
    char* reserve(std::size_t bytes);

    OutputFile& file_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    bool failed_ = false;
};

} // namespace dissim
