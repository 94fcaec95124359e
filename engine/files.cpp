#include "files.h"

#include "run_error.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

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

void OutputFile::reserve(std::uint64_t bytes) noexcept {
#if defined(__linux__) && defined(FALLOC_FL_KEEP_SIZE)
    struct stat st {};
    struct statfs fs {};
    if (reserved_ > 0 || bytes == 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) ||
        ::fstatfs(fd_, &fs) != 0) {
        return;
    }
    // Only where the room is allocated without being written: elsewhere (tmpfs, for one) setting
    // room aside means filling it, which costs more than it saves.
    const bool allocatesUnwritten = fs.f_type == EXT4_SUPER_MAGIC || fs.f_type == XFS_SUPER_MAGIC;
    const auto freeBytes =
        static_cast<std::uint64_t>(fs.f_bavail) * static_cast<std::uint64_t>(fs.f_bsize);
    // Never more than is free: the room would be taken from everything else on the disk until
    // the run ends, only for the run to fail when it is used up.
    if (!allocatesUnwritten || bytes > freeBytes ||
        bytes > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) {
        return;
    }
    // FALLOC_FL_KEEP_SIZE: the room lies beyond the file's end, so the file's length stays that
    // of what is written.
    // Even a failed attempt may have set some room aside; it is given back with the rest.
    // (Giving it back here, with nothing written yet, would truncate to zero, which ext4 takes
    // as the file being replaced: it would then push all of it to the disk when it is closed.)
    (void)::fallocate(fd_, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(bytes));
    reserved_ = bytes;
#else
    (void)bytes;
#endif
}

int OutputFile::releaseReserve() noexcept {
    // Nothing lies beyond the end once the file has reached the room set aside.
    if (written_ >= reserved_) {
        return 0;
    }
    reserved_ = 0;
    // Truncating to the present length frees the blocks beyond it.
    if (::ftruncate(fd_, static_cast<off_t>(written_)) != 0) {
        return errno;
    }
    return 0;
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
        written_ += static_cast<std::uint64_t>(put);
    }
}

void OutputFile::close() {
    if (fd_ < 0) {
        return;
    }
    if (const int error = releaseReserve(); error != 0) {
        abandon();
        throw RunError("giving back the disk room set aside for the output file " + quoted(path_) +
                       " failed: " + systemReason(error));
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
        // The run has failed already; a failure to give the room back adds nothing to report.
        releaseReserve();
        ::close(fd_);
        fd_ = -1;
    }
}

} // namespace dissim
