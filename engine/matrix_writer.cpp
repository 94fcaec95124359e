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
    static_assert(kMaxPieceBytes <= kMinBufferBytes, "what runs past a full buffer fits in it");
    try {
        // Left uninitialised: nothing is read from it before it is written.
        buffer_.reset(new char[bufferBytes_ + kMaxPieceBytes + kTextSlackBytes]);
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

void MatrixWriter::writeFullBuffer() {
    failed_ = true;
    file_.write(std::string_view(buffer_.get(), bufferBytes_));
    failed_ = false;
    used_ -= bufferBytes_;
    std::memcpy(buffer_.get(), buffer_.get() + bufferBytes_, used_);
}

void MatrixWriter::take(const char* end) {
    used_ = static_cast<std::size_t>(end - buffer_.get());
    if (used_ >= bufferBytes_) {
        writeFullBuffer();
    }
}

void MatrixWriter::append(const char* text, std::size_t length) {
    while (length > 0) {
        const std::size_t part = std::min(length, bufferBytes_ - used_);
        std::memcpy(next(), text, part);
        text += part;
        length -= part;
        take(next() + part);
    }
}

template <typename PutEntries>
void MatrixWriter::appendBlock(std::int64_t n, PutEntries putEntries) {
    static_assert(kLineStart.size() + kEntriesPerStretch * kMaxEntryBytes +
                          kDiagonalAndLineEnd.size() <=
                      kMaxPieceBytes,
                  "a line of one stretch is one piece");
    const std::int64_t rows = std::max<std::int64_t>(n, 1);
    for (std::int64_t r = 1; r <= rows; ++r) {
        const auto row = static_cast<std::size_t>(r);
        const std::size_t entries = row - 1;
        if (entries <= kEntriesPerStretch) {
            // The whole line in one piece.
            char* out = next();
            std::memcpy(out, kLineStart.data(), kLineStart.size());
            out += kLineStart.size();
            if (entries > 0) {
                out = putEntries(out, row, 1, entries);
            }
            std::memcpy(out, kDiagonalAndLineEnd.data(), kDiagonalAndLineEnd.size());
            take(out + kDiagonalAndLineEnd.size());
            continue;
        }
        // A long line in stretches, so that no line needs more than a bounded part of the buffer.
        append(kLineStart.data(), kLineStart.size());
        for (std::size_t first = 1; first < row;) {
            const std::size_t stretch = std::min(row - first, kEntriesPerStretch);
            take(putEntries(next(), row, first, stretch));
            first += stretch;
        }
        append(kDiagonalAndLineEnd.data(), kDiagonalAndLineEnd.size());
    }
}

void MatrixWriter::writeBlock(const Matrix16& m, std::int64_t n) {
    appendBlock(n, [&m](char* out, std::size_t row, std::size_t first, std::size_t count) {
        return putEntries(out, m.row(row) + first, count);
    });
}

void MatrixWriter::writeSubjectBlock(const std::int16_t* codes, std::int64_t n) {
    const std::size_t stimuli = n > 0 ? static_cast<std::size_t>(n) : 0;
    subjectRows_.prepare(codes, stimuli);
    if (!subjectRows_.byGroup()) {
        appendBlock(n, [this](char* out, std::size_t row, std::size_t first, std::size_t count) {
            return subjectRows_.putRow(out, row, first, count);
        });
        return;
    }
    // Each row is a prefix of its group's line and the line end: one copy a row where the
    // buffer has room for it before its end, else copies that fill it and go on as it starts
    // again.
    for (std::size_t r = 1; r <= stimuli; ++r) {
        const std::size_t length = 1 + 3 * r;
        if (bufferBytes_ - used_ >= length + kLineEnd.size()) {
            char* const out = next();
            std::memcpy(out, subjectRows_.lineOf(r), length);
            std::memcpy(out + length, kLineEnd.data(), kLineEnd.size());
            take(out + length + kLineEnd.size());
        } else {
            append(subjectRows_.lineOf(r), length);
            append(kLineEnd.data(), kLineEnd.size());
        }
    }
}

} // namespace dissim
