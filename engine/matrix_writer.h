#pragma once

#include "block_text.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
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
// Text is formatted into a ring of bounded buffers. While the caller formats into one, a
// writing thread of the writer's own hands the full ones to the file in order, so that
// computing and formatting overlap with the file's own cost. The thread starts when the first
// buffer is handed over (early, at 256 KiB), or at once when the caller expects that much;
// smaller output is written by flush() on the caller's thread. A failure to write is raised as
// RunError on the caller's thread, at the next buffer handed over or at flush().
//
// Each side waits for the other by watching for a short while before it sleeps: a buffer is
// written or filled within a fraction of a millisecond, while waking a sleeping thread can take
// longer than that on a busy or virtual machine, and would leave both sides idle meanwhile.
class MatrixWriter {
public:
    static constexpr std::size_t kDefaultBufferBytes = std::size_t{2} << 20;
    static constexpr std::size_t kDefaultBufferCount = 4;
    // Smaller buffers are raised to this.
    static constexpr std::size_t kMinBufferBytes = 64 * 1024;

    // Throws RunError when the buffers cannot be had.
    explicit MatrixWriter(OutputFile& file, std::size_t bufferBytes = kDefaultBufferBytes,
                          std::size_t bufferCount = kDefaultBufferCount);
    // Stops the writing thread. What has not been written by then is dropped: a run that ends
    // well has flushed everything, and one that fails flushes what belongs in the file.
    ~MatrixWriter();
    MatrixWriter(const MatrixWriter&) = delete;
    MatrixWriter& operator=(const MatrixWriter&) = delete;

    // Appends the block of m for stimuli 1 to n (n < 1 writes the first line only). Only the
    // elements below the diagonal are read.
    void writeBlock(const Matrix16& m, std::int64_t n);

    // Appends the block of a subject's 0/1 matrix given by its group codes (codes[1] to
    // codes[n]): entry (r, c) is 1 exactly when codes[r] and codes[c] differ. The text is the
    // one writeBlock gives for that matrix, made faster from the codes.
    void writeSubjectBlock(const std::int16_t* codes, std::int64_t n);

    // The bytes of a block for n stimuli whose entries all have one digit: the size of every
    // subject block, and the least any block takes. For sizing the file before it is written.
    static std::uint64_t blockBytesAtLeast(std::int64_t n);

    // Tells the writer that at least bytes will be written. When that is more than the first
    // buffer holds, the writing thread starts now (throws RunError when it cannot), ready by
    // the time the first buffer is full. Call before anything is appended, or not at all.
    void expect(std::uint64_t bytes);

    // Hands everything appended so far to the file and returns once it is written.
    void flush();

    // Whether a write to the file has failed; what is buffered then is not whole blocks.
    bool failed() const { return failed_; }

private:
    // Room for bytes more characters (plus a few of slack) in the present buffer.
    char* reserve(std::size_t bytes);
    // Appends text, across buffers where the present one has too little room.
    void append(const char* text, std::size_t length);
    // Appends a block for n stimuli whose row r, columns first to first + count - 1, putEntries
    // formats (at most maxEntryBytes an entry).
    template <typename PutEntries>
    void appendBlock(std::int64_t n, std::size_t maxEntryBytes, PutEntries putEntries);
    // Hands the present buffer over (when not empty) and moves on to the next one.
    void handOver();
    void writerLoop();
    // Waits until no more than inFlight handed-over buffers are unwritten, or a write failed.
    void waitForWrites(std::uint64_t inFlight);
    void startThread();
    void rethrowWriteError();
    char* bufferData(std::size_t index) const { return storage_ + index * bufferBytes_; }

    OutputFile& file_;
    const std::size_t bufferBytes_;
    const std::size_t bufferCount_;
    std::unique_ptr<char[]> allocation_; // the buffers, with room to align them
    char* storage_ = nullptr;            // bufferCount_ buffers of bufferBytes_, one after another
    std::vector<std::size_t> lengths_;   // the bytes in each handed-over buffer

    // The caller's side: the buffer being filled and how far.
    std::size_t current_ = 0;
    std::size_t used_ = 0;
    std::size_t fillLimit_;         // the present buffer is handed over before it holds more
    std::uint64_t streamBytes_ = 0; // bytes in the buffers handed over so far
    bool failed_ = false;
    SubjectRows subjectRows_;

    // Shared with the writing thread. Buffers are handed over and written strictly in turn:
    // buffer k % bufferCount_ is the k-th handed over. The counts are watched without the
    // mutex; the rest is under it. A side that goes to sleep says so first (writerIdle_,
    // callerWaiting_), and the other side, having moved its count on, wakes it.
    std::mutex mutex_;
    std::condition_variable toWriter_;       // work to write, or stop
    std::condition_variable toCaller_;       // room in the ring, or a write error
    std::atomic<bool> writerIdle_{false};    // the writing thread sleeps on toWriter_
    std::atomic<bool> callerWaiting_{false}; // the caller sleeps on toCaller_ ...
    std::uint64_t callerWakeAt_ = 0;         // ... until no more than this many are unwritten
    std::atomic<std::uint64_t> handedOver_{0};
    std::atomic<std::uint64_t> written_{0};
    std::atomic<bool> stopping_{false};
    std::atomic<bool> writeFailed_{false}; // writeError_ is set
    std::exception_ptr writeError_;
    std::atomic<bool> threadDone_{false}; // the writing thread has left writerLoop()
    std::thread thread_;
};

} // namespace dissim
