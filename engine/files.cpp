#include "files.h"

#include "run_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dissim {
namespace {

std::string systemReason(int error) {
    return std::strerror(error);
}

std::string quoted(const std::string& path) {
    return "\"" + path + "\"";
}

// Opens path without waiting for the other end of a named pipe: a pipe with no process at its
// other end would otherwise hold the open, and the window with it, for ever. Such an input
// then reads as empty and such an output fails to open. Once open, the descriptor waits as
// usual on reads and writes. Returns -1 with errno set on failure.
int openWithoutWaiting(const std::string& path, int flags, mode_t mode = 0) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return -1;
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

} // namespace

InputFile::InputFile(const std::string& path) : path_(path) {
    if (path.empty()) {
        throw RunError("no input file has been chosen");
    }
    fd_ = openWithoutWaiting(path, O_RDONLY);
    if (fd_ < 0) {
        throw RunError("the input file " + quoted(path) +
                       " cannot be opened: " + systemReason(errno));
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int error = errno;
        close();
        throw RunError("the input file " + quoted(path) +
                       " cannot be examined: " + systemReason(error));
    }
    if (S_ISDIR(st.st_mode)) {
        close();
        throw RunError("the input file " + quoted(path) + " is a folder, not a file");
    }
}

InputFile::~InputFile() {
    close();
}

std::size_t InputFile::read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t got = ::read(fd_, buffer, size);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            throw RunError("the input file " + quoted(path_) +
                           " cannot be read: " + systemReason(errno));
        }
    }
}

bool InputFile::isSameFileAs(int otherDescriptor) const {
    struct stat mine {};
    struct stat other {};
    if (::fstat(fd_, &mine) != 0 || ::fstat(otherDescriptor, &other) != 0) {
        // Without both identities the two cannot be told apart: treat them as the same, so
        // that the input file is never emptied on a guess.
        return true;
    }
    return mine.st_dev == other.st_dev && mine.st_ino == other.st_ino;
}

void InputFile::close() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

OutputFile::OutputFile(const std::string& path, const InputFile& input) : path_(path) {
    if (path.empty()) {
        throw RunError("no output file has been chosen");
    }
    // Opened without O_TRUNC: the file may turn out to be the input file, which must not be
    // emptied. Only after comparing identities is it truncated.
    fd_ = openWithoutWaiting(path, O_WRONLY | O_CREAT, 0666);
    if (fd_ < 0) {
        throw RunError("the output file " + quoted(path) +
                       " cannot be opened for writing: " + systemReason(errno));
    }
    if (input.isSameFileAs(fd_)) {
        abandon();
        throw RunError("the output file " + quoted(path) +
                       " is the input file; choose another output file");
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int error = errno;
        abandon();
        throw RunError("the output file " + quoted(path) +
                       " cannot be examined: " + systemReason(error));
    }
    // Devices and pipes have nothing to empty, and neither has an empty file. Truncating an
    // empty file is not only needless: some file systems (ext4) take any truncation to zero as a
    // file being replaced and then push all of it to the disk when it is closed.
    if (S_ISREG(st.st_mode) && st.st_size > 0 && ::ftruncate(fd_, 0) != 0) {
        const int error = errno;
        abandon();
        throw RunError("the output file " + quoted(path) +
                       " cannot be emptied: " + systemReason(error));
    }
}

OutputFile::~OutputFile() {
    abandon();
}

void OutputFile::write(std::string_view data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd_, data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw RunError("writing the output file " + quoted(path_) +
                           " failed: " + systemReason(errno));
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
}

void OutputFile::close() {
    if (fd_ < 0) {
        return;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR) {
        throw RunError("closing the output file " + quoted(path_) +
                       " failed: " + systemReason(errno));
    }
}

void OutputFile::abandon() noexcept {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace dissim
