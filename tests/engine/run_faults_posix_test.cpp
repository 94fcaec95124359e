// Faults around a run that exist only on POSIX systems: named pipes with no process at their
// other end, a disk that fills up (a file size limit), and permissions that only an
// unprivileged user meets (as root the run drops to user nobody in a child process).

#include "dissimilarity_run.h"
#include "run_faults.h"
#include "run_settings.h"
#include "run_state.h"
#include "temp_dir.h"
#include "test_names.h"
#include "worked_example.h"

#include <gtest/gtest.h>

#include <csignal>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

using testsupport::inputIn;
using testsupport::kFailed;
using testsupport::kFailing;
using testsupport::kFailsBeforeProcessing;
using testsupport::kFailsWhileProcessing;
using testsupport::kMatricesOfBoth;
using testsupport::kProcessing;
using testsupport::kSortData;
using testsupport::kWriting;
using testsupport::Outcome;
using testsupport::PathFault;
using testsupport::run;

// A run in a child process, for limits that must not outlive the test (a user, a file size).
struct ChildOutcome {
    bool skipped = false;
    std::string why;
    Outcome outcome;
};

// Runs in a child process that first calls restrict (which returns false when it cannot), so
// that what restrict changes ends with the child.
template <typename Restrict>
ChildOutcome runInChild(dissim::RunState& state, Restrict restrict, const char* whyNot) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return {true, "no pipe to a child process", {}};
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return {true, "cannot start a child process", {}};
    }
    if (child == 0) {
        ::close(channel[0]);
        std::string report;
        if (!restrict()) {
            report = "skip";
        } else {
            const Outcome outcome = run(state);
            report = outcome.done ? "done\n" : "failed\n";
            for (const std::string& event : outcome.events) {
                report += event + "\n";
            }
        }
        const char* data = report.data();
        std::size_t left = report.size();
        while (left > 0) {
            const ssize_t put = ::write(channel[1], data, left);
            if (put <= 0) {
                break;
            }
            data += put;
            left -= static_cast<std::size_t>(put);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string report;
    char chunk[512];
    ssize_t got = 0;
    while ((got = ::read(channel[0], chunk, sizeof chunk)) > 0) {
        report.append(chunk, static_cast<std::size_t>(got));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (report == "skip") {
        return {true, whyNot, {}};
    }
    ChildOutcome result;
    std::size_t start = 0;
    bool first = true;
    for (std::size_t end; (end = report.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = report.substr(start, end - start);
        if (first) {
            result.outcome.done = line == "done";
            first = false;
        } else {
            result.outcome.events.push_back(line);
        }
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Named pipes with no process at their other end: opening them must not wait.

const PathFault kPipeFaults[] = {
    {"InputIsAPipeWithoutWriter",
     [](const TempDir& d) {
         ::mkfifo(d.file("in.fifo").c_str(), 0600);
         return std::pair{d.file("in.fifo"), d.file("out.txt")};
     },
     kFailsWhileProcessing, true},
    {"OutputIsAPipeWithoutReader",
     [](const TempDir& d) {
         ::mkfifo(d.file("out.fifo").c_str(), 0600);
         return std::pair{inputIn(d), d.file("out.fifo")};
     },
     kFailsBeforeProcessing, true},

};

class PipePathFaultTest : public testing::TestWithParam<PathFault> {};

TEST_P(PipePathFaultTest, FailsWithoutTouchingTheInput) {
    testsupport::expectFailsWithoutTouchingTheInput(GetParam());
}

INSTANTIATE_TEST_SUITE_P(RunFaults, PipePathFaultTest, testing::ValuesIn(kPipeFaults),
                         testsupport::ByName());

// A disk that fills up part way through a real file: the bytes written until then stay. The
// file size limit of a child process stands in for the full disk.
TEST(RunFaults, DiskFillingUpKeepsWhatWasWritten) {
    const TempDir dir;
    const std::string input = inputIn(dir);
    constexpr rlim_t kRoom = 20;
    dissim::RunState state = testsupport::runSettings("2", "3", input, dir.file("out.txt"));
    const ChildOutcome result = runInChild(
        state,
        [] {
            const rlimit limit{kRoom, kRoom};
            return ::signal(SIGXFSZ, SIG_IGN) != SIG_ERR && ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        },
        "cannot limit the file size in a child process");
    if (result.skipped) {
        GTEST_SKIP() << result.why;
    }
    EXPECT_FALSE(result.outcome.done);
    EXPECT_EQ(result.outcome.events,
              (std::vector<std::string>{kProcessing, kWriting, kWriting, kFailing, kFailed}));
    EXPECT_EQ(readFile(dir.file("out.txt")), kMatricesOfBoth.substr(0, kRoom));
    EXPECT_EQ(readFile(input), kSortData);
}

// ---------------------------------------------------------------------------------------------
// Permissions. Root reads and writes regardless of them, so as root the run goes in a child
// process that has dropped to the unprivileged user and group 65534 (nobody).

constexpr unsigned kNobody = 65534;

ChildOutcome runWithoutPrivileges(dissim::RunState& state) {
    if (::geteuid() != 0) {
        return {false, {}, run(state)};
    }
    return runInChild(
        state,
        [] {
            return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
        },
        "root cannot drop to user 65534 here, and root ignores permissions");
}

struct PermissionFault {
    const char* name;
    std::pair<std::string, std::string> (*prepare)(const TempDir& dir);
};

const PermissionFault kPermissionFaults[] = {
    {"OutputFolderNotWritable",
     [](const TempDir& d) {
         fs::create_directory(d.file("locked"));
         fs::permissions(d.file("locked"), fs::perms(0555));
         return std::pair{inputIn(d), d.file("locked/out.txt")};
     }},
    {"OutputFileReadOnly",
     [](const TempDir& d) {
         writeFile(d.file("out.txt"), "earlier results\r\n");
         fs::permissions(d.file("out.txt"), fs::perms(0444));
         return std::pair{inputIn(d), d.file("out.txt")};
     }},
    {"InputUnreadable",
     [](const TempDir& d) {
         const std::string input = inputIn(d);
         fs::permissions(input, fs::perms::none);
         return std::pair{input, d.file("out.txt")};
     }},
};

void PrintTo(const PermissionFault& fault, std::ostream* out) {
    *out << fault.name;
}

class PermissionFaultTest : public testing::TestWithParam<PermissionFault> {};

TEST_P(PermissionFaultTest, FailsWithoutTouchingEitherFile) {
    const TempDir dir;
    // The child, if there is one, must be able to reach the files.
    fs::permissions(dir.path(), fs::perms(0755));
    const auto [input, output] = GetParam().prepare(dir);
    const bool outputExisted = fs::exists(output);
    const std::string outputBefore = outputExisted ? readFile(output) : std::string();

    dissim::RunState state = testsupport::runSettings("2", "3", input, output);
    const ChildOutcome result = runWithoutPrivileges(state);
    if (result.skipped) {
        GTEST_SKIP() << result.why;
    }

    EXPECT_FALSE(result.outcome.done);
    EXPECT_EQ(result.outcome.events, kFailsBeforeProcessing);
    fs::permissions(input, fs::perms(0644));
    EXPECT_EQ(readFile(input), kSortData);
    if (outputExisted) {
        EXPECT_EQ(readFile(output), outputBefore);
    } else {
        EXPECT_FALSE(fs::exists(output));
    }
}

INSTANTIATE_TEST_SUITE_P(RunFaults, PermissionFaultTest, testing::ValuesIn(kPermissionFaults),
                         testsupport::ByName());

} // namespace
