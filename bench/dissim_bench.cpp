// Measures the dissimilarity run against the physical floor of its output: the time to write
// the same number of bytes to a new file in the same folder from a ready buffer.
//
//   dissim_bench [--reps N] [--sizes small,typical,large] [FOLDER]
//
// Every run happens in a child process of its own, so that its peak memory is its own and it
// starts as cold as a run started from the window. Run and floor alternate, and the figures
// printed are medians over the repetitions. Every file made is deleted again.

#include "bench_memory.h"
#include "bench_sort_data.h"

#include "dissimilarity_run.h"
#include "run_state.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Size {
    const char* name;
    std::int64_t subjects;
    std::int64_t stimuli;
};

constexpr Size kSizes[] = {{"small", 50, 40}, {"typical", 500, 200}, {"large", 1000, 1000}};
constexpr std::uint64_t kSeed = 20240611;
constexpr std::size_t kFloorChunk = 8u << 20;
constexpr double kMiB = 1024.0 * 1024.0;
// What the run may use beyond its two matrices: buffers, batches, the reader.
constexpr double kMemorySlackMiB = 64;

struct Options {
    int reps = 5;
    bool verbose = false;
    std::vector<Size> sizes;
    std::filesystem::path folder;
};

// What a run in its child process reports back.
struct RunSample {
    bool done = false;
    double seconds = 0;
    std::uint64_t bytes = 0;
    std::uint64_t peakBytes = 0;     // the child's peak resident memory
    std::uint64_t peakRiseBytes = 0; // that peak above the child's memory before the run
    double cpuSeconds = 0;           // processor time of the run, all its threads
    long pageFaults = 0;             // minor and major page faults during the run
};

[[noreturn]] void usage(const char* why) {
    std::fprintf(
        stderr,
        "dissim_bench: %s\n"
        "usage: dissim_bench [--reps N] [--sizes small,typical,large] [--verbose] [FOLDER]\n"
        "  FOLDER is where the files are written (default: the temporary folder)\n",
        why);
    std::exit(2);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    bool foldered = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--reps" && i + 1 < argc) {
            options.reps = std::atoi(argv[++i]);
            if (options.reps < 1) {
                usage("--reps needs a whole number of at least 1");
            }
        } else if (arg == "--sizes" && i + 1 < argc) {
            std::string list = argv[++i];
            std::size_t start = 0;
            while (start <= list.size()) {
                const std::size_t end = std::min(list.find(',', start), list.size());
                const std::string name = list.substr(start, end - start);
                const auto* found = std::find_if(std::begin(kSizes), std::end(kSizes),
                                                 [&](const Size& s) { return name == s.name; });
                if (found == std::end(kSizes)) {
                    usage(("unknown size \"" + name + "\"").c_str());
                }
                options.sizes.push_back(*found);
                start = end + 1;
            }
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "-h" || arg == "--help") {
            usage("measures the run against the cost of writing its bytes");
        } else if (!arg.starts_with("-") && !foldered) {
            options.folder = arg;
            foldered = true;
        } else {
            usage(("unexpected argument \"" + std::string(arg) + "\"").c_str());
        }
    }
    if (options.sizes.empty()) {
        options.sizes.assign(std::begin(kSizes), std::end(kSizes));
    }
    if (!foldered) {
        options.folder = std::filesystem::temp_directory_path();
    }
    return options;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double cpuSeconds(const struct rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

class QuietObserver : public dissim::RunObserver {
public:
    void statusChanged(std::string_view) override {}
    void runFailing(std::string_view description) override { failure = description; }
    std::string failure;
};

// The child's side: one run, timed, with its peak memory.
RunSample runOnce(const Size& size, const std::string& input, const std::string& output) {
    dissim::RunState state;
    state.numSubjects = dissim::CountValue(std::to_string(size.subjects));
    state.numStimuli = dissim::CountValue(std::to_string(size.stimuli));
    state.inputFile = input;
    state.outputFile = output;
    QuietObserver observer;

    bench::resetPeakResident();
    const std::uint64_t before = bench::residentBytes();
    struct rusage usageBefore {};
    ::getrusage(RUSAGE_SELF, &usageBefore);
    const auto start = std::chrono::steady_clock::now();
    const dissim::RunResult result = dissim::runDissimilarity(state, observer);
    RunSample sample;
    sample.seconds = secondsSince(start);
    struct rusage usageAfter {};
    ::getrusage(RUSAGE_SELF, &usageAfter);
    sample.cpuSeconds = cpuSeconds(usageAfter) - cpuSeconds(usageBefore);
    sample.pageFaults =
        usageAfter.ru_minflt + usageAfter.ru_majflt - usageBefore.ru_minflt - usageBefore.ru_majflt;
    sample.peakBytes = bench::peakResidentBytes();
    sample.peakRiseBytes = sample.peakBytes > before ? sample.peakBytes - before : 0;
    sample.done = result.done;
    if (!result.done) {
        std::fprintf(stderr, "dissim_bench: the run failed: %s\n", result.description.c_str());
    }
    struct stat st {};
    if (::stat(output.c_str(), &st) == 0) {
        sample.bytes = static_cast<std::uint64_t>(st.st_size);
    }
    return sample;
}

// Runs in a child process and passes the sample back through a pipe.
RunSample runInChild(const Size& size, const std::string& input, const std::string& output) {
    int fds[2];
    if (::pipe(fds) != 0) {
        std::perror("dissim_bench: pipe");
        std::exit(1);
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("dissim_bench: fork");
        std::exit(1);
    }
    if (child == 0) {
        ::close(fds[0]);
        const RunSample sample = runOnce(size, input, output);
        const bool sent = ::write(fds[1], &sample, sizeof sample) == sizeof sample;
        ::_exit(sent ? 0 : 1);
    }
    ::close(fds[1]);
    RunSample sample;
    const bool got = ::read(fds[0], &sample, sizeof sample) == sizeof sample;
    ::close(fds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "dissim_bench: the run's process ended abnormally\n");
        std::exit(1);
    }
    return sample;
}

// The floor: bytes to a new file from a ready buffer, in large writes, opened and closed like
// the run's output.
double measureFloor(const std::string& path, std::uint64_t bytes, const std::vector<char>& chunk) {
    const auto start = std::chrono::steady_clock::now();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        std::fprintf(stderr, "dissim_bench: cannot create %s: %s\n", path.c_str(),
                     std::strerror(errno));
        std::exit(1);
    }
    std::uint64_t left = bytes;
    while (left > 0) {
        const std::size_t part =
            static_cast<std::size_t>(std::min<std::uint64_t>(left, chunk.size()));
        const ssize_t put = ::write(fd, chunk.data(), part);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            std::fprintf(stderr, "dissim_bench: writing %s failed: %s\n", path.c_str(),
                         std::strerror(errno));
            std::exit(1);
        }
        left -= static_cast<std::uint64_t>(put);
    }
    if (::close(fd) != 0) {
        std::fprintf(stderr, "dissim_bench: closing %s failed\n", path.c_str());
        std::exit(1);
    }
    return secondsSince(start);
}

// An unmeasured write of the same size, deleted at once.
void warmUp(const std::string& path, std::uint64_t bytes, const std::vector<char>& chunk) {
    measureFloor(path, bytes, chunk);
    ::unlink(path.c_str());
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    std::error_code error;
    if (!std::filesystem::is_directory(options.folder, error)) {
        usage(("\"" + options.folder.string() + "\" is not a folder").c_str());
    }
    // The floor's buffer holds matrix-like text, made before any timing.
    std::vector<char> chunk(kFloorChunk);
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        chunk[i] = " 1 "[i % 3];
    }

    std::printf("folder %s, %d repetitions, medians; run = the engine's whole run, floor = "
                "writing its bytes from a ready buffer\n",
                options.folder.c_str(), options.reps);
    std::printf("%-8s %5s %5s %14s %9s %9s %6s %8s %9s %9s %9s rise within bound+%.0f\n", "size",
                "S", "N", "bytes", "run s", "floor s", "ratio", "MB/s", "peak MiB", "rise MiB",
                "bound MiB", kMemorySlackMiB);
    bool allDone = true;
    const std::string prefix =
        (options.folder / ("dissim-bench-" + std::to_string(::getpid()) + "-")).string();
    for (const Size& size : options.sizes) {
        const std::string input = prefix + size.name + "-sort-data.txt";
        const std::string output = prefix + size.name + "-matrices.txt";
        const std::string floorFile = prefix + size.name + "-floor.txt";
        {
            std::ofstream(input, std::ios::binary)
                << bench::makeSortData(size.subjects, size.stimuli, kSeed);
        }
        std::vector<double> runs, floors, ratios, peaks, rises;
        std::uint64_t bytes = 0;
        // The output size to expect before the first run: three bytes an entry and a diagonal.
        const std::uint64_t estimatedBytes = static_cast<std::uint64_t>(
            (size.subjects + 1) * (size.stimuli * (size.stimuli + 1) / 2 * 3 + size.stimuli * 3));
        for (int rep = 0; rep < options.reps; ++rep) {
            // Alternating which goes first keeps any drift of the machine out of the ratio.
            // This machine's memory is handed back to its host when it stays free for a while,
            // and taking it again is slow; so each measurement starts right after a write of
            // the same size that has just freed its pages, and both meet the same memory.
            RunSample sample;
            double floorSeconds = 0;
            const std::uint64_t warmBytes = bytes > 0 ? bytes : estimatedBytes;
            if (rep % 2 == 0) {
                warmUp(floorFile, warmBytes, chunk);
                sample = runInChild(size, input, output);
                ::unlink(output.c_str());
                warmUp(floorFile, sample.bytes, chunk);
                floorSeconds = measureFloor(floorFile, sample.bytes, chunk);
                ::unlink(floorFile.c_str());
            } else {
                warmUp(floorFile, bytes, chunk);
                floorSeconds = measureFloor(floorFile, bytes, chunk);
                ::unlink(floorFile.c_str());
                warmUp(floorFile, bytes, chunk);
                sample = runInChild(size, input, output);
                ::unlink(output.c_str());
            }
            if (options.verbose) {
                std::printf("  %s rep %d: run %.4f s (processor %.4f s, %ld page faults), "
                            "floor %.4f s, ratio %.2f\n",
                            size.name, rep + 1, sample.seconds, sample.cpuSeconds,
                            sample.pageFaults, floorSeconds, sample.seconds / floorSeconds);
            }
            allDone = allDone && sample.done;
            bytes = sample.bytes;
            runs.push_back(sample.seconds);
            floors.push_back(floorSeconds);
            ratios.push_back(sample.seconds / floorSeconds);
            peaks.push_back(static_cast<double>(sample.peakBytes) / kMiB);
            rises.push_back(static_cast<double>(sample.peakRiseBytes) / kMiB);
        }
        ::unlink(input.c_str());
        const double dim = static_cast<double>(size.stimuli + 1);
        const double boundMiB = 2 * dim * dim * 2 / kMiB;
        const double runSeconds = median(runs);
        const double rise = median(rises);
        std::printf("%-8s %5lld %5lld %14llu %9.4f %9.4f %6.2f %8.0f %9.1f %9.1f %9.1f %s\n",
                    size.name, static_cast<long long>(size.subjects),
                    static_cast<long long>(size.stimuli), static_cast<unsigned long long>(bytes),
                    runSeconds, median(floors), median(ratios),
                    static_cast<double>(bytes) / runSeconds / 1e6, median(peaks), rise, boundMiB,
                    rise <= boundMiB + kMemorySlackMiB ? "yes" : "NO");
        std::fflush(stdout);
    }
    std::printf("run, floor: medians; ratio: median of run/floor per repetition; peak: the run's "
                "process at its peak; rise: that peak above the process before the run; bound: "
                "two (N+1)^2 16-bit arrays\n");
    return allDone ? 0 : 1;
}
