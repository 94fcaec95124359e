#include "matrix_writer.h"

#include "block_text.h"
#include "files.h"
#include "matrix16.h"
#include "run_error.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string_view>

namespace dissim {
namespace {

// Entries formatted per reservation, so that no row needs more than a bounded stretch of buffer.
constexpr std::size_t kEntriesPerStretch = 4096;
constexpr std::string_view kLineStart = " ";
constexpr std::string_view kDiagonalAndLineEnd = " 0 \r\n";
constexpr std::string_view kLineEnd = "\r\n";

} // namespace

MatrixWriter::MatrixWriter(OutputFile& file, std::size_t bufferBytes)
    : file_(file), bufferBytes_(std::max(bufferBytes, kMinBufferBytes)) {
    try {
        // Left uninitialised: nothing is read from it before it is written.
        buffer_.reset(new char[bufferBytes_ + kTextSlackBytes]);
    } catch (const std::bad_alloc&) {
        throw RunError("there is not enough memory for the output buffer");
    }
}

void MatrixWriter::flush() {
    if (used_ == 0) {
        return;
    }
    // Marked failed until the write returns: a write that throws leaves part of the buffer
    // in the file, and the rest must not follow it.
    failed_ = true;
    file_.write(std::string_view(buffer_.get(), used_));
    failed_ = false;
    used_ = 0;
}

char* MatrixWriter::reserve(std::size_t bytes) {
    if (bufferBytes_ - used_ < bytes) {
        flush();
    }
    return buffer_.get() + used_;
}

void MatrixWriter::append(const char* text, std::size_t length) {
    for (;;) {
        const std::size_t room = bufferBytes_ - used_;
        if (length <= room) {
            std::memcpy(buffer_.get() + used_, text, length);
            used_ += length;
            return;
        }
        std::memcpy(buffer_.get() + used_, text, room);
        used_ += room;
        text += room;
        length -= room;
        flush();
    }
}

template <typename PutEntries>
void MatrixWriter::appendBlock(std::int64_t n, std::size_t maxEntryBytes, PutEntries putEntries) {
    const std::int64_t rows = std::max<std::int64_t>(n, 1);
    for (std::int64_t r = 1; r <= rows; ++r) {
        const auto row = static_cast<std::size_t>(r);
        const std::size_t entries = row - 1;
        if (entries <= kEntriesPerStretch) {
            // The whole line in one piece.
            char* const start =
                reserve(kLineStart.size() + entries * maxEntryBytes + kDiagonalAndLineEnd.size());
            char* out = start;
            std::memcpy(out, kLineStart.data(), kLineStart.size());
            out += kLineStart.size();
            if (entries > 0) {
                out = putEntries(out, row, 1, entries);
            }
            std::memcpy(out, kDiagonalAndLineEnd.data(), kDiagonalAndLineEnd.size());
            used_ += static_cast<std::size_t>(out - start) + kDiagonalAndLineEnd.size();
            continue;
        }
        // A long line in stretches, so that no line needs more than a bounded part of the buffer.
        append(kLineStart.data(), kLineStart.size());
        for (std::size_t first = 1; first < row;) {
            const std::size_t stretch = std::min(row - first, kEntriesPerStretch);
            char* const start = reserve(stretch * maxEntryBytes);
            used_ += static_cast<std::size_t>(putEntries(start, row, first, stretch) - start);
            first += stretch;
        }
        append(kDiagonalAndLineEnd.data(), kDiagonalAndLineEnd.size());
    }
}

void MatrixWriter::writeBlock(const Matrix16& m, std::int64_t n) {
    appendBlock(n, kMaxEntryBytes,
                [&m](char* out, std::size_t row, std::size_t first, std::size_t count) {
                    return putEntries(out, m.row(row) + first, count);
                });
}

void MatrixWriter::writeSubjectBlock(const std::int16_t* codes, std::int64_t n) {
    const std::size_t stimuli = n > 0 ? static_cast<std::size_t>(n) : 0;
    subjectRows_.prepare(codes, stimuli);
    if (!subjectRows_.byGroup()) {
        appendBlock(n, 3, [this](char* out, std::size_t row, std::size_t first, std::size_t count) {
            return subjectRows_.putRow(out, row, first, count);
        });
        return;
    }
    // Each row is a prefix of its group's line and the line end: one copy a row where the
    // buffer has room for it.
    for (std::size_t r = 1; r <= stimuli; ++r) {
        const std::size_t length = 1 + 3 * r;
        if (bufferBytes_ - used_ >= length + kLineEnd.size()) {
            char* const out = buffer_.get() + used_;
            std::memcpy(out, subjectRows_.lineOf(r), length);
            std::memcpy(out + length, kLineEnd.data(), kLineEnd.size());
            used_ += length + kLineEnd.size();
        } else {
            append(subjectRows_.lineOf(r), length);
            append(kLineEnd.data(), kLineEnd.size());
        }
    }
}

} // namespace dissim
