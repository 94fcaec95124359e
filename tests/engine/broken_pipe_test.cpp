// Output to a named pipe whose reader has gone: the write fails with "Broken pipe" and the
// run ends on its failure path. The process hosting the engine is never ended by SIGPIPE,
// whichever thread writes, and its signal state is left as it was. POSIX only: named pipes
// and SIGPIPE are POSIX's.

#include "dissimilarity_run.h"
#include "files.h"
#include "recording_observer.h"
#include "run_error.h"
#include "run_settings.h"
#include "temp_dir.h"
#include "test_names.h"
#include "worked_example.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace {

using testsupport::TempDir;

// A named pipe in a fresh folder beside an empty input file (in.txt), with a reader open on the
// pipe until leave() is called.
class PipeWithReader {
public:
    PipeWithReader() : path(dir.file("out.fifo")) {
        testsupport::writeFile(dir.file("in.txt"), "");
        if (::mkfifo(path.c_str(), 0600) != 0) {
            throw std::runtime_error("cannot make a named pipe");
        }
        reader_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (reader_ < 0) {
            throw std::runtime_error("cannot open the named pipe for reading");
        }
    }
    ~PipeWithReader() { leave(); }
    void leave() {
        if (reader_ >= 0) {
            ::close(reader_);
            reader_ = -1;
        }
    }

    TempDir dir;
    std::string path;

private:
    int reader_ = -1;
};

bool pipeSignalBlocked() {
    sigset_t mask;
    sigemptyset(&mask);
    ::pthread_sigmask(SIG_BLOCK, nullptr, &mask);
    return sigismember(&mask, SIGPIPE) == 1;
}

bool pipeSignalPending() {
    sigset_t pending;
    sigemptyset(&pending);
    ::sigpending(&pending);
    return sigismember(&pending, SIGPIPE) == 1;
}

// The default action of SIGPIPE (ending the process) in force, as in a program that never
// touched it; restored to what it was at the end.
class PipeSignalDefault : public testing::Test {
protected:
    void SetUp() override { previous_ = std::signal(SIGPIPE, SIG_DFL); }
    void TearDown() override { std::signal(SIGPIPE, previous_); }

private:
    void (*previous_)(int) = SIG_DFL;
};

std::string brokenPipeText(const std::string& path) {
    return "writing the output file \"" + path + "\" failed: Broken pipe";
}

// Writes to the pipe after its reader has left; returns the failure text, empty if none.
std::string writeAfterReaderLeft(PipeWithReader& pipe, const std::string& data) {
    dissim::InputFile input(pipe.dir.file("in.txt"));
    dissim::OutputFile output(pipe.path, input);
    pipe.leave();
    try {
        output.write(data);
    } catch (const dissim::RunError& error) {
        return error.what();
    }
    return {};
}

using BrokenPipe = PipeSignalDefault;

TEST_F(BrokenPipe, WriteFailsOnWhicheverThreadWrites) {
    struct Write {
        std::size_t bytes;
        bool otherThread;
    };
    for (const Write w : {Write{1, false}, Write{std::size_t{1} << 20, false}, Write{6, true}}) {
        PipeWithReader pipe;
        std::string failure;
        bool blockedAfter = true;
        const auto write = [&] {
            failure = writeAfterReaderLeft(pipe, std::string(w.bytes, 'x'));
            blockedAfter = pipeSignalBlocked();
        };
        if (w.otherThread) {
            std::thread(write).join();
        } else {
            write();
        }
        const std::string where =
            std::to_string(w.bytes) + " bytes, other thread " + (w.otherThread ? "yes" : "no");
        EXPECT_EQ(failure, brokenPipeText(pipe.path)) << where;
        EXPECT_FALSE(blockedAfter) << where;
        EXPECT_FALSE(pipeSignalPending()) << where;
    }
}

// A SIGPIPE that was already waiting for the thread is not the write's to take.
TEST_F(BrokenPipe, SignalPendingBeforeTheWriteStaysPending) {
    PipeWithReader pipe;
    sigset_t pipeSignal;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    sigset_t previous;
    ASSERT_EQ(::pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous), 0);
    ::pthread_kill(::pthread_self(), SIGPIPE);
    ASSERT_TRUE(pipeSignalPending());

    EXPECT_EQ(writeAfterReaderLeft(pipe, "x"), brokenPipeText(pipe.path));
    EXPECT_TRUE(pipeSignalBlocked());
    EXPECT_TRUE(pipeSignalPending());

    int taken = 0;
    ::sigwait(&pipeSignal, &taken);
    EXPECT_FALSE(pipeSignalPending());
    ::pthread_sigmask(SIG_SETMASK, &previous, nullptr);
}

// The reader leaves as soon as the run says it is processing, with the output already open.
class ReaderLeavesWhenProcessing : public testsupport::RecordingObserver {
public:
    explicit ReaderLeavesWhenProcessing(PipeWithReader& pipe) : pipe_(pipe) {}
    void statusChanged(std::string_view text) override {
        RecordingObserver::statusChanged(text);
        if (text == dissim::kStatusProcessing) {
            pipe_.leave();
        }
    }

private:
    PipeWithReader& pipe_;
};

struct RunCase {
    const char* name;
    int subjects;
    int stimuli; // with enough output, the writer's buffer fills while subjects are read
};

class BrokenPipeRun : public PipeSignalDefault, public testing::WithParamInterface<RunCase> {};

TEST_P(BrokenPipeRun, EndsOnTheFailurePath) {
    const RunCase& c = GetParam();
    PipeWithReader pipe;
    std::string data;
    for (int s = 0; s < c.subjects; ++s) {
        for (int k = 0; k < c.stimuli; ++k) {
            data += std::to_string((k * (s + 1)) % 7) + (k + 1 < c.stimuli ? " " : "\n");
        }
    }
    testsupport::writeFile(pipe.dir.file("in.txt"), data);
    dissim::RunState state = testsupport::runSettings(
        std::to_string(c.subjects), std::to_string(c.stimuli), pipe.dir.file("in.txt"), pipe.path);
    ReaderLeavesWhenProcessing observer(pipe);

    const dissim::RunResult result = dissim::runDissimilarity(state, observer);

    EXPECT_FALSE(result.done);
    EXPECT_NE(result.description.find(brokenPipeText(pipe.path)), std::string::npos)
        << result.description;
    EXPECT_EQ(observer.failures.size(), 1u);
    ASSERT_FALSE(observer.statuses.empty());
    EXPECT_EQ(observer.statuses.front(), testsupport::kProcessing);
    EXPECT_EQ(observer.statuses.back(), testsupport::kFailed);
    EXPECT_EQ(testsupport::readFile(pipe.dir.file("in.txt")), data);
    EXPECT_FALSE(pipeSignalBlocked());
    EXPECT_FALSE(pipeSignalPending());
}

INSTANTIATE_TEST_SUITE_P(RunFaults, BrokenPipeRun,
                         testing::Values(RunCase{"WrittenAtTheEnd", 2, 3},
                                         RunCase{"WrittenWhileSubjectsAreRead", 4, 400}),
                         testsupport::ByName());

} // namespace
