#include "matrix_writer.h"

#include "files.h"
#include "matrix16.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <string_view>

namespace dissim {
namespace {

constexpr std::size_t kBufferSize = 1 << 20;
// The widest entry: sign, five digits, trailing space.
constexpr std::size_t kMaxEntryBytes = 7;
constexpr std::string_view kLineStart = " ";
constexpr std::string_view kDiagonalAndLineEnd = " 0 \r\n";

char* putEntry(char* out, std::int16_t value) {
    if (value == 0 || value == 1) {
        out[0] = ' ';
        out[1] = static_cast<char>('0' + value);
        out[2] = ' ';
        return out + 3;
    }
    *out++ = value < 0 ? '-' : ' ';
    const unsigned magnitude =
        value < 0 ? static_cast<unsigned>(-static_cast<int>(value)) : static_cast<unsigned>(value);
    out = std::to_chars(out, out + 5, magnitude).ptr;
    *out++ = ' ';
    return out;
}

} // namespace

MatrixWriter::MatrixWriter(OutputFile& file) : file_(file), buffer_(kBufferSize) {}

char* MatrixWriter::reserve(std::size_t bytes) {
    if (buffer_.size() - used_ < bytes) {
        flush();
        if (buffer_.size() < bytes) {
            buffer_.resize(bytes);
        }
    }
    return buffer_.data() + used_;
}

void MatrixWriter::writeBlock(const Matrix16& m, std::int64_t n) {
    const std::int64_t rows = std::max<std::int64_t>(n, 1);
    for (std::int64_t r = 1; r <= rows; ++r) {
        const auto entries = static_cast<std::size_t>(r - 1);
        char* const start =
            reserve(kLineStart.size() + entries * kMaxEntryBytes + kDiagonalAndLineEnd.size());
        char* out = start;
        std::memcpy(out, kLineStart.data(), kLineStart.size());
        out += kLineStart.size();
        if (entries > 0) {
            const std::int16_t* row = m.row(static_cast<std::size_t>(r));
            for (std::size_t c = 1; c <= entries; ++c) {
                out = putEntry(out, row[c]);
            }
        }
        std::memcpy(out, kDiagonalAndLineEnd.data(), kDiagonalAndLineEnd.size());
        out += kDiagonalAndLineEnd.size();
        used_ += static_cast<std::size_t>(out - start);
    }
}

void MatrixWriter::flush() {
    if (used_ > 0) {
        failed_ = true;
        file_.write(std::string_view(buffer_.data(), used_));
        failed_ = false;
        used_ = 0;
    }
}

} // namespace dissim
