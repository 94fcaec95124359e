// The platform layer's files on POSIX systems (Linux, macOS, the BSDs).

#include "platform.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dissim::platform {
namespace {

Status failed(int error) {
    return Status::failure(std::strerror(error));
}

NativeFile toNative(int fd) {
    return static_cast<NativeFile>(fd);
}

int descriptor(NativeFile file) {
    return static_cast<int>(file);
}

// One file, however its paths were spelled or linked: the same device and inode.
bool sameIdentity(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Opens path without waiting for the other end of a named pipe: a pipe with no process at its
// other end would otherwise hold the open, and the window with it, for ever. Such an input
// then reads as empty and such an output fails to open. Once open, the descriptor waits as
// usual on reads and writes.
Status openWithoutWaiting(const std::string& path, int flags, NativeFile& file) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return failed(errno);
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        const int error = errno;
        ::close(fd);
        return failed(error);
    }
    file = toNative(fd);
    return {};
}

// Holds SIGPIPE back from the calling thread while it writes. A write to a pipe whose reader
// has gone raises SIGPIPE, which ends the process unless it is handled; the write itself
// fails with EPIPE, which is all the run needs to know. The signal the write raised is taken
// off the thread before its mask is restored, so that no handler, and no other thread, is
// touched. A SIGPIPE that was pending before the write is left as it was.
class PipeSignalHeldBack {
public:
    PipeSignalHeldBack() {
        sigemptyset(&pipeSignal_);
        sigaddset(&pipeSignal_, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        pendingBefore_ = ::sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1;
        held_ = ::pthread_sigmask(SIG_BLOCK, &pipeSignal_, &previous_) == 0;
    }
    ~PipeSignalHeldBack() {
        if (held_) {
            ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
        }
    }
    PipeSignalHeldBack(const PipeSignalHeldBack&) = delete;
    PipeSignalHeldBack& operator=(const PipeSignalHeldBack&) = delete;

    // After a write failed with EPIPE: takes the SIGPIPE it raised, if it is pending.
    void takeRaisedSignal() {
        const int error = errno;
        sigset_t pending;
        sigemptyset(&pending);
        if (held_ && !pendingBefore_ && ::sigpending(&pending) == 0 &&
            sigismember(&pending, SIGPIPE) == 1) {
            int taken = 0;
            ::sigwait(&pipeSignal_, &taken); // pending: returns at once
        }
        errno = error;
    }

private:
    sigset_t pipeSignal_;
    sigset_t previous_;
    bool pendingBefore_ = false;
    bool held_ = false;
};

} // namespace

Status openForReading(const std::string& path, NativeFile& file) {
    return openWithoutWaiting(path, O_RDONLY, file);
}

Status openForWriting(const std::string& path, NativeFile& file) {
    // Without O_TRUNC: whether the file may be emptied is decided once it is open.
    return openWithoutWaiting(path, O_WRONLY | O_CREAT, file);
}

Status examine(NativeFile file, FileFacts& facts) {
    struct stat st {};
    if (::fstat(descriptor(file), &st) != 0) {
        return failed(errno);
    }
    if (S_ISREG(st.st_mode)) {
        facts = {FileKind::DiskFile, static_cast<std::uint64_t>(st.st_size)};
    } else if (S_ISDIR(st.st_mode)) {
        facts = {FileKind::Folder, 0};
    } else {
        facts = {FileKind::Other, 0};
    }
    return {};
}

bool isSameFile(NativeFile first, NativeFile second) {
    struct stat a {};
    struct stat b {};
    if (::fstat(descriptor(first), &a) != 0 || ::fstat(descriptor(second), &b) != 0) {
        return true;
    }
    return sameIdentity(a, b);
}

bool namesFile(const std::string& path, NativeFile file) {
    struct stat named {};
    struct stat open {};
    return ::stat(path.c_str(), &named) == 0 && ::fstat(descriptor(file), &open) == 0 &&
           sameIdentity(named, open);
}

Status read(NativeFile file, char* buffer, std::size_t size, std::size_t& got) {
    for (;;) {
        const ssize_t count = ::read(descriptor(file), buffer, size);
        if (count >= 0) {
            got = static_cast<std::size_t>(count);
            return {};
        }
        if (errno != EINTR) {
            return failed(errno);
        }
    }
}

Status writeAll(NativeFile file, std::string_view data) {
    PipeSignalHeldBack pipeSignal;
    while (!data.empty()) {
        const ssize_t put = ::write(descriptor(file), data.data(), data.size());
        if (put < 0) {
            if (errno == EINTR) {
                continue;
            }
            if (errno == EPIPE) {
                pipeSignal.takeRaisedSignal();
            }
            return failed(errno);
        }
        data.remove_prefix(static_cast<std::size_t>(put));
    }
    return {};
}

Status empty(NativeFile file) {
    if (::ftruncate(descriptor(file), 0) != 0) {
        return failed(errno);
    }
    return {};
}

Status close(NativeFile file) {
    // After EINTR the descriptor is closed all the same (Linux): it must not be closed again.
    if (::close(descriptor(file)) != 0 && errno != EINTR) {
        return failed(errno);
    }
    return {};
}

} // namespace dissim::platform
