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

#include "measured_work.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kProgram = "dissim_wasm_run";

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--write") {
        const std::vector<char> chunk = bench::floorChunk(std::size_t{1} << 20);
        const auto start = std::chrono::steady_clock::now();
        const bool done =
            bench::writeFloor(kProgram, argv[3], std::strtoull(argv[2], nullptr, 10), chunk);
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
    if (warmUp) {
        const std::string output = std::string(args[3]) + ".warm-up";
        const bool done = bench::runEngine(kProgram, args[0], args[1], args[2], output);
        ::unlink(output.c_str());
        if (!done) {
            std::printf("failed 0\n");
            return 1;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    const bool done = bench::runEngine(kProgram, args[0], args[1], args[2], args[3]);
    std::printf("%s %.9f\n", done ? "done" : "failed", secondsSince(start));
    return done ? 0 : 1;
}
