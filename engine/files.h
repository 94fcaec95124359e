#pragma once

// The engine's input and output files, with the failure texts a person sees, on top of the
// platform layer.

#include "platform.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace dissim {

// A file open for sequential reading. Closed by the destructor on every path out of a run.
class InputFile {
public:
    // Throws RunError when the path is empty, names no readable file, or names a folder.
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Reads up to size bytes; returns 0 at the end of the file. Throws RunError on a read error.
    std::size_t read(char* buffer, std::size_t size);

    // Whether the open file other is this same file, however its path was spelled or linked.
    // Used before the output file is emptied.
    bool isSameFileAs(platform::NativeFile other) const;

    // Whether path names this file (false when path cannot be examined).
    bool isNamedBy(const std::string& path) const;

    // Whether the file is one with bytes on a disk, which can be read ahead of the run without
    // waiting on anyone (a pipe or a device may block until its writer writes, or be read once).
    bool isOnDisk() const { return onDisk_; }

    void close() noexcept;

private:
    platform::NativeFile file_ = platform::kNoFile;
    std::string path_;
    bool onDisk_ = false;
};

// A file open for sequential writing: created if missing, emptied once it is known not to be
// the input file. Writes are unbuffered large writes; the caller buffers.
class OutputFile {
public:
    // Opens path for writing without emptying it yet. If it is the same file as input, throws
    // RunError and leaves the file untouched; otherwise empties it. Throws RunError on any
    // failure to open or empty it. A pipe or a device is written as it is.
    OutputFile(const std::string& path, const InputFile& input);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes all of data. Throws RunError on a write error (a full disk, a pipe whose reader has
    // gone). May be called from any one thread at a time.
    void write(std::string_view data);

    // Closes the file and reports a failure to close (a late write error) as RunError.
    void close();

    // Closes without reporting; for the failure path.
    void abandon() noexcept;

private:
    platform::NativeFile file_ = platform::kNoFile;
    std::string path_;
};

// Writes text to path as the whole file (created, or emptied first), but never over the file
// that keep names (the input file, which no output may replace). Throws RunError.
void writeTextFile(const std::string& path, std::string_view text, const std::string& keep);

} // namespace dissim
