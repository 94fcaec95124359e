#include "matrix_writer.h"

#include "block_text.h"
#include "files.h"
#include "matrix16.h"
#include "run_error.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <system_error>

#if __has_include(<sys/mman.h>)
#include <sys/mman.h>
#endif

namespace dissim {
namespace {

// Entries formatted per reservation, so that no row needs more than a bounded stretch of buffer.
constexpr std::size_t kEntriesPerStretch = 4096;
constexpr std::string_view kLineStart = " ";
constexpr std::size_t kHugePageBytes = std::size_t{2} << 20;
constexpr std::string_view kDiagonalAndLineEnd = " 0 \r\n";
// The first buffer is handed over at this fill already, so that the writing starts early.
constexpr std::size_t kFirstFillBytes = std::size_t{256} << 10;

} // namespace

MatrixWriter::MatrixWriter(OutputFile& file, std::size_t bufferBytes, std::size_t bufferCount)
    : file_(file), bufferBytes_(std::max(bufferBytes, kMinBufferBytes)),
      bufferCount_(std::max<std::size_t>(bufferCount, 2)),
      fillLimit_(std::min(bufferBytes_, std::max(kFirstFillBytes, kMinBufferBytes))) {
    try {
        // Left uninitialised: pages are only touched as text is formatted into them. Aligned to
        // and advised for huge pages, so that the first touches cost a few faults, not one per
        // small page.
        const std::size_t bytes =
            (bufferBytes_ * bufferCount_ + kHugePageBytes - 1) / kHugePageBytes * kHugePageBytes;
        allocation_.reset(new char[bytes + kHugePageBytes]);
        const auto address = reinterpret_cast<std::uintptr_t>(allocation_.get());
        storage_ = allocation_.get() + (kHugePageBytes - address % kHugePageBytes) % kHugePageBytes;
#if defined(MADV_HUGEPAGE)
        ::madvise(storage_, bytes, MADV_HUGEPAGE); // advice only: failure changes nothing
#endif
        lengths_.assign(bufferCount_, 0);
    } catch (const std::bad_alloc&) {
        throw RunError("there is not enough memory for the output buffers");
    }
}

MatrixWriter::~MatrixWriter() {
    if (thread_.joinable()) {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        toWriter_.notify_one();
        thread_.join();
    }
}

char* MatrixWriter::reserve(std::size_t bytes) {
    if (fillLimit_ - used_ < bytes + kTextSlackBytes) {
        handOver();
    }
    return bufferData(current_) + used_;
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
        // A long line in stretches, so that no line needs more than a bounded part of a buffer.
        char* out = reserve(kLineStart.size());
        std::memcpy(out, kLineStart.data(), kLineStart.size());
        used_ += kLineStart.size();
        for (std::size_t first = 1; first < row;) {
            const std::size_t stretch = std::min(row - first, kEntriesPerStretch);
            char* const start = reserve(stretch * maxEntryBytes);
            used_ += static_cast<std::size_t>(putEntries(start, row, first, stretch) - start);
            first += stretch;
        }
        out = reserve(kDiagonalAndLineEnd.size());
        std::memcpy(out, kDiagonalAndLineEnd.data(), kDiagonalAndLineEnd.size());
        used_ += kDiagonalAndLineEnd.size();
    }
}

void MatrixWriter::writeBlock(const Matrix16& m, std::int64_t n) {
    appendBlock(n, kMaxEntryBytes,
                [&m](char* out, std::size_t row, std::size_t first, std::size_t count) {
                    return putEntries(out, m.row(row) + first, count);
                });
}

void MatrixWriter::writeSubjectBlock(const std::int16_t* codes, std::int64_t n) {
    subjectRows_.prepare(codes, n > 0 ? static_cast<std::size_t>(n) : 0);
    appendBlock(n, 3, [this](char* out, std::size_t row, std::size_t first, std::size_t count) {
        return subjectRows_.putRow(out, row, first, count);
    });
}

void MatrixWriter::rethrowWriteError() {
    failed_ = true;
    std::rethrow_exception(writeError_);
}

void MatrixWriter::startThread() {
    try {
        thread_ = std::thread([this] { writerLoop(); });
    } catch (const std::system_error& error) {
        throw RunError(std::string("the thread that writes the output file cannot start: ") +
                       error.what());
    }
}

void MatrixWriter::handOver() {
    if (used_ == 0) {
        return;
    }
    if (!thread_.joinable()) {
        startThread();
    }
    std::unique_lock lock(mutex_);
    lengths_[current_] = used_;
    ++handedOver_;
    if (writerIdle_) {
        toWriter_.notify_one();
    }
    // The next buffer in turn is free once the write from it, bufferCount_ buffers ago, is done.
    // When the ring is full, wait until half of it is free: every wake-up of a sleeping thread
    // costs, so they come in batches rather than one per buffer.
    if (handedOver_ - written_ == bufferCount_) {
        waitForWrites(bufferCount_ / 2, lock);
    }
    if (writeError_) {
        rethrowWriteError();
    }
    current_ = static_cast<std::size_t>(handedOver_ % bufferCount_);
    used_ = 0;
    fillLimit_ = bufferBytes_;
}

void MatrixWriter::waitForWrites(std::uint64_t inFlight, std::unique_lock<std::mutex>& lock) {
    callerWakeAt_ = inFlight;
    callerWaiting_ = true;
    toCaller_.wait(lock, [&] { return handedOver_ - written_ <= inFlight || writeError_; });
    callerWaiting_ = false;
}

void MatrixWriter::flush() {
    if (!thread_.joinable()) {
        // Nothing has been handed over yet: write on this thread, without starting one.
        if (used_ > 0) {
            failed_ = true;
            file_.write(std::string_view(bufferData(current_), used_));
            failed_ = false;
            used_ = 0;
        }
        return;
    }
    handOver();
    std::unique_lock lock(mutex_);
    waitForWrites(0, lock);
    if (writeError_) {
        rethrowWriteError();
    }
}

void MatrixWriter::writerLoop() {
    std::unique_lock lock(mutex_);
    for (;;) {
        if (stopping_) {
            return;
        }
        if (written_ == handedOver_) {
            writerIdle_ = true;
            toWriter_.wait(lock, [this] { return stopping_ || written_ < handedOver_; });
            writerIdle_ = false;
            continue;
        }
        const auto index = static_cast<std::size_t>(written_ % bufferCount_);
        const std::string_view text(bufferData(index), lengths_[index]);
        lock.unlock();
        std::exception_ptr error;
        try {
            file_.write(text);
        } catch (const RunError&) {
            error = std::current_exception();
        } catch (const std::exception& other) {
            error = std::make_exception_ptr(
                RunError(std::string("writing the output file failed: ") + other.what()));
        }
        lock.lock();
        if (error) {
            // Nothing after a failed write may reach the file; the caller learns of it at its
            // next hand-over or flush.
            writeError_ = error;
            toCaller_.notify_one();
            return;
        }
        ++written_;
        if (callerWaiting_ && handedOver_ - written_ <= callerWakeAt_) {
            toCaller_.notify_one();
        }
    }
}

} // namespace dissim
