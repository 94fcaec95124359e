#include "matrix_writer.h"

#include "block_text.h"
#include "files.h"
#include "matrix16.h"
#include "run_error.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>

#if defined(__linux__)
#include <pthread.h>
#include <sched.h>
#endif

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
constexpr std::string_view kLineEnd = "\r\n";
// The first buffer is handed over at this fill already, so that the writing starts early.
constexpr std::size_t kFirstFillBytes = std::size_t{256} << 10;

// How long a side watches for the other before it sleeps: about the time to write or fill a
// buffer, so that in a steady run neither side sleeps at all.
constexpr auto kWatchTime = std::chrono::microseconds(1000);
// Every this often the watching side offers its processor to other threads, in case the other
// side waits to run on it.
constexpr auto kYieldEvery = std::chrono::microseconds(50);

void pauseBriefly() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#elif defined(__aarch64__)
    asm volatile("yield");
#endif
}

// Watches for done() for a while; returns whether it became true. Watching only pays where the
// other side can run at the same time.
template <typename Done> bool watchFor(Done done) {
    static const bool severalProcessors = std::thread::hardware_concurrency() > 1;
    if (done()) {
        return true;
    }
    if (!severalProcessors) {
        return false;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    auto lastYield = start;
    for (unsigned spins = 1;; ++spins) {
        pauseBriefly();
        if (done()) {
            return true;
        }
        if (spins % 64 == 0) {
            const auto now = Clock::now();
            if (now - start > kWatchTime) {
                return false;
            }
            if (now - lastYield > kYieldEvery) {
                std::this_thread::yield();
                lastYield = now;
            }
        }
    }
}

// Keeps a newly started thread off the processor its creator runs on, when there are others it
// may run on. The writing thread and the thread that fills its buffers are meant to run side by
// side; left to itself, the scheduler at times queues the new thread on its creator's processor
// and leaves it there, waiting, while another processor is idle. Done by the creator, so that
// the new thread moves before it first runs.
void keepOffCreatorsProcessor(std::thread& thread) {
#if defined(__linux__)
    const int processor = ::sched_getcpu();
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (processor < 0 || processor >= CPU_SETSIZE ||
        ::pthread_getaffinity_np(thread.native_handle(), sizeof allowed, &allowed) != 0 ||
        !CPU_ISSET(processor, &allowed) || CPU_COUNT(&allowed) < 2) {
        return;
    }
    CPU_CLR(processor, &allowed);
    // Advice only: where it is refused, the thread runs wherever the scheduler puts it.
    (void)::pthread_setaffinity_np(thread.native_handle(), sizeof allowed, &allowed);
#else
    (void)thread;
#endif
}

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

void MatrixWriter::expect(std::uint64_t bytes) {
    if (bytes > fillLimit_ && !thread_.joinable() && used_ == 0) {
        startThread();
    }
}

MatrixWriter::~MatrixWriter() {
    if (thread_.joinable()) {
        stopping_ = true;
        if (writerIdle_) {
            std::lock_guard lock(mutex_);
            toWriter_.notify_one();
        }
        // Once the thread has said it is done with this writer, what is left is the system
        // taking the thread down, which takes over a tenth of a millisecond here; the run need
        // not wait for that. (The thread touches nothing of the writer after saying so.)
        if (watchFor([this] { return threadDone_.load(); })) {
            thread_.detach();
        } else {
            thread_.join();
        }
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
    const std::size_t stimuli = n > 0 ? static_cast<std::size_t>(n) : 0;
    subjectRows_.prepare(codes, stimuli);
    if (!subjectRows_.byGroup()) {
        appendBlock(n, 3, [this](char* out, std::size_t row, std::size_t first, std::size_t count) {
            return subjectRows_.putRow(out, row, first, count);
        });
        return;
    }
    // Each row is a prefix of its group's line and the line end: one copy a row, where the
    // present buffer has room for it.
    for (std::size_t r = 1; r <= stimuli; ++r) {
        const std::size_t length = 1 + 3 * r;
        if (fillLimit_ - used_ >= length + kLineEnd.size()) {
            char* const out = bufferData(current_) + used_;
            std::memcpy(out, subjectRows_.lineOf(r), length);
            std::memcpy(out + length, kLineEnd.data(), kLineEnd.size());
            used_ += length + kLineEnd.size();
        } else {
            append(subjectRows_.lineOf(r), length);
            append(kLineEnd.data(), kLineEnd.size());
        }
    }
}

void MatrixWriter::append(const char* text, std::size_t length) {
    for (;;) {
        const std::size_t room = fillLimit_ - used_;
        char* const out = bufferData(current_) + used_;
        if (length <= room) {
            std::memcpy(out, text, length);
            used_ += length;
            return;
        }
        std::memcpy(out, text, room);
        used_ += room;
        text += room;
        length -= room;
        handOver();
    }
}

std::uint64_t MatrixWriter::blockBytesAtLeast(std::int64_t n) {
    // Row r: the line start, r - 1 entries of three bytes, the diagonal and the line end.
    const auto rows = static_cast<std::uint64_t>(std::max<std::int64_t>(n, 1));
    return kLineStart.size() * rows + 3 * (rows * (rows - 1) / 2) +
           kDiagonalAndLineEnd.size() * rows;
}

void MatrixWriter::rethrowWriteError() {
    failed_ = true;
    std::rethrow_exception(writeError_);
}

void MatrixWriter::startThread() {
    try {
        thread_ = std::thread([this] {
            writerLoop();
            threadDone_ = true; // the thread's last use of this writer
        });
        keepOffCreatorsProcessor(thread_);
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
    lengths_[current_] = used_;
    // The count moves on only now that the buffer's length is set: the writing thread reads
    // both once it sees the count.
    const std::uint64_t handedOver = ++handedOver_;
    if (writerIdle_) {
        std::lock_guard lock(mutex_);
        toWriter_.notify_one();
    }
    // The next buffer in turn is free once the write from it, bufferCount_ buffers ago, is done.
    // When the ring is full, wait until half of it is free: the writing thread then has work
    // for a while, and this side fills several buffers without waiting again.
    if (handedOver - written_ == bufferCount_) {
        waitForWrites(bufferCount_ / 2);
    }
    if (writeFailed_) {
        rethrowWriteError();
    }
    current_ = static_cast<std::size_t>(handedOver % bufferCount_);
    // The next buffer ends where the file reaches a whole number of buffers again, so that the
    // writes stay aligned to their size after an early or short one: the system then keeps
    // the file's text in large pages of memory, which costs it less.
    streamBytes_ += used_;
    const std::size_t toAlignment =
        bufferBytes_ - static_cast<std::size_t>(streamBytes_ % bufferBytes_);
    fillLimit_ = toAlignment >= kMinBufferBytes ? toAlignment : bufferBytes_;
    used_ = 0;
}

void MatrixWriter::waitForWrites(std::uint64_t inFlight) {
    auto done = [&] { return handedOver_ - written_ <= inFlight || writeFailed_; };
    if (watchFor(done)) {
        return;
    }
    std::unique_lock lock(mutex_);
    callerWakeAt_ = inFlight;
    callerWaiting_ = true;
    toCaller_.wait(lock, done);
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
    waitForWrites(0);
    if (writeFailed_) {
        rethrowWriteError();
    }
}

void MatrixWriter::writerLoop() {
    for (;;) {
        const std::uint64_t next = written_;
        auto ready = [&] { return stopping_ || handedOver_ > next; };
        if (!watchFor(ready)) {
            std::unique_lock lock(mutex_);
            writerIdle_ = true;
            toWriter_.wait(lock, ready);
            writerIdle_ = false;
        }
        if (stopping_) {
            return;
        }
        const auto index = static_cast<std::size_t>(next % bufferCount_);
        std::exception_ptr error;
        try {
            file_.write(std::string_view(bufferData(index), lengths_[index]));
        } catch (const RunError&) {
            error = std::current_exception();
        } catch (const std::exception& other) {
            error = std::make_exception_ptr(
                RunError(std::string("writing the output file failed: ") + other.what()));
        }
        if (error) {
            // Nothing after a failed write may reach the file; the caller learns of it at its
            // next hand-over or flush.
            std::lock_guard lock(mutex_);
            writeError_ = error;
            writeFailed_ = true;
            toCaller_.notify_one();
            return;
        }
        written_ = next + 1;
        if (callerWaiting_) {
            std::lock_guard lock(mutex_);
            if (handedOver_ - written_ <= callerWakeAt_) {
                toCaller_.notify_one();
            }
        }
    }
}

} // namespace dissim
