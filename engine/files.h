#pragma once

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

    // Whether the open file otherDescriptor is this same file (same device and inode), however
    // its path was spelled or linked. Used before the output file is emptied.
    bool isSameFileAs(int otherDescriptor) const;

    void close() noexcept;

private:
    int fd_ = -1;
    std::string path_;
};

// A file open for sequential writing: created if missing, emptied once it is known not to be
// the input file. Writes are unbuffered large writes; the caller buffers.
class OutputFile {
public:
    // Opens path for writing without emptying it yet. If it is the same file as input, throws
    // RunError and leaves the file untouched; otherwise empties it. Throws RunError on any
    // failure to open or empty it.
    OutputFile(const std::string& path, const InputFile& input);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Writes all of data. Throws RunError on a write error (a full disk, for instance).
    void write(std::string_view data);

    // Closes the file and reports a failure to close (a late write error) as RunError.
    void close();

    // Closes without reporting; for the failure path.
    void abandon() noexcept;

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace dissim
