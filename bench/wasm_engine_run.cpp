// The engine's whole run as a WebAssembly program under node, for dissim_bench --wasm: built
// with Emscripten and -sNODERAWFS=1, so that it reads and writes the host's files as the native
// engine does.
//
//   node --no-experimental-fetch dissim_wasm_run.js [--warm-up] SUBJECTS STIMULI INPUT OUTPUT
//   node --no-experimental-fetch dissim_wasm_run.js --write BYTES OUTPUT
//
// Prints "done SECONDS" or "failed SECONDS", timed as the native engine is in the benchmark:
// from before the run opens its files to after it has closed them (node's start and the
// WebAssembly module's compilation are not in it). --warm-up runs once before, into
// OUTPUT.warm-up, which it deletes again: the timed run then finds its code compiled by node's
// optimising compiler, where a first run starts in the baseline compiler's code. --write writes
// BYTES to a new file from a ready buffer in 1 MiB chunks, as the benchmark's native floor does:
// what writing costs from WebAssembly, through node's file calls.

#include "dissimilarity_run.h"
#include "run_state.h"

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

class QuietObserver : public dissim::RunObserver {
public:
    void statusChanged(std::string_view) override {}
    void runFailing(std::string_view description) override {
        std::fprintf(stderr, "dissim_wasm_run: the run failed: %.*s\n",
                     static_cast<int>(description.size()), description.data());
    }
};

bool writeBytes(const char* output, std::uint64_t bytes, const std::vector<char>& chunk) {
    const int fd = ::open(output, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) {
        return false;
    }
    for (std::uint64_t left = bytes; left > 0;) {
        const auto part = static_cast<std::size_t>(left < chunk.size() ? left : chunk.size());
        const ssize_t put = ::write(fd, chunk.data(), part);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            ::close(fd);
            return false;
        }
        left -= static_cast<std::uint64_t>(put);
    }
    return ::close(fd) == 0;
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--write") {
        std::vector<char> chunk(std::size_t{1} << 20);
        for (std::size_t i = 0; i < chunk.size(); ++i) {
            chunk[i] = " 1 "[i % 3];
        }
        const auto start = std::chrono::steady_clock::now();
        const bool done = writeBytes(argv[3], std::strtoull(argv[2], nullptr, 10), chunk);
        std::printf("%s %.9f\n", done ? "done" : "failed", secondsSince(start));
        return done ? 0 : 1;
    }
    const bool warmUp = argc == 6 && std::string_view(argv[1]) == "--warm-up";
    if (argc != 5 && !warmUp) {
        std::fprintf(stderr, "usage: dissim_wasm_run [--warm-up] SUBJECTS STIMULI INPUT OUTPUT\n"
                             "       dissim_wasm_run --write BYTES OUTPUT\n");
        return 2;
    }
    char** const args = warmUp ? argv + 2 : argv + 1;
    const auto settings = [&](const std::string& output) {
        dissim::RunState state;
        state.numSubjects = dissim::CountValue(args[0]);
        state.numStimuli = dissim::CountValue(args[1]);
        state.inputFile = args[2];
        state.outputFile = output;
        return state;
    };
    QuietObserver observer;
    if (warmUp) {
        const std::string output = std::string(args[3]) + ".warm-up";
        dissim::RunState state = settings(output);
        const bool done = dissim::runDissimilarity(state, observer).done;
        ::unlink(output.c_str());
        if (!done) {
            std::printf("failed 0\n");
            return 1;
        }
    }
    dissim::RunState state = settings(args[3]);
    const auto start = std::chrono::steady_clock::now();
    const bool done = dissim::runDissimilarity(state, observer).done;
    std::printf("%s %.9f\n", done ? "done" : "failed", secondsSince(start));
    return done ? 0 : 1;
}
