#pragma once

// The engine's one way to the operating system: opening, reading, writing, emptying and
// closing files, telling whether two open files are one, and the memory the process may use
// (memory_limit.h). Every call behaves the same on every system; platform_posix*.cpp and
// platform_windows*.cpp hold the two implementations, and the build compiles the one for its
// target. Paths are UTF-8 everywhere.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace dissim::platform {

// An open file as the system names it (a descriptor, a handle), or kNoFile.
using NativeFile = std::intptr_t;
inline constexpr NativeFile kNoFile = -1;

// What a system call came to: success, or the system's own one-line reason for failing, in
// UTF-8 ("No such file or directory", "Access is denied.").
class Status {
public:
    Status() = default;
    static Status failure(std::string reason) {
        Status status;
        status.failed_ = true;
        status.reason_ = std::move(reason);
        return status;
    }
    bool ok() const { return !failed_; }
    const std::string& reason() const { return reason_; }

private:
    bool failed_ = false;
    std::string reason_;
};

enum class FileKind {
    DiskFile, // a file with bytes on a disk
    Folder,
    Other, // a pipe, a device, a terminal
};

struct FileFacts {
    FileKind kind = FileKind::Other;
    std::uint64_t size = 0; // bytes; 0 for anything but a disk file
};

// Opens an existing path for reading. Others may read the file meanwhile but not write it,
// where the system can say so. A folder opens too, so that the caller can tell it is one. A
// named pipe with no writer does not hold the open: it then reads as empty.
Status openForReading(const std::string& path, NativeFile& file);

// Opens path for writing, creating it if missing and never emptying it. A named pipe with no
// reader fails rather than waits for one.
Status openForWriting(const std::string& path, NativeFile& file);

Status examine(NativeFile file, FileFacts& facts);

// Whether the two open files are one file, however their paths were spelled or linked. When
// both are disk files whose identities cannot be read, they are taken to be one, so that no
// file is ever emptied on a guess; a pipe or a device is never taken for a disk file.
bool isSameFile(NativeFile first, NativeFile second);

// Whether path names the open file; false when path cannot be examined.
bool namesFile(const std::string& path, NativeFile file);

// Reads up to size bytes into buffer; got is 0 at the end of the file.
Status read(NativeFile file, char* buffer, std::size_t size, std::size_t& got);

// Writes all of data. A pipe whose reader has gone fails the write ("Broken pipe") and never
// ends the process by a signal; this holds for writes from any thread.
Status writeAll(NativeFile file, std::string_view data);

// Cuts a disk file to no bytes.
Status empty(NativeFile file);

// Closes the file; the status reports a write that failed late (on a network disk).
Status close(NativeFile file);

} // namespace dissim::platform
