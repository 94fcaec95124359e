#pragma once

#include <cstdint>
#include <string>

namespace bench {

// What the benchmark times: the engine's run, the plain reference run beside it, and the floor,
// the same number of bytes written to a new file from a ready buffer in chunks of one size; with
// --wasm also the engine compiled to WebAssembly, run under node, and the same bytes written from
// WebAssembly under node in 1 MiB chunks.
enum class Program { Engine, Reference, Write64KiB, Write1MiB, Write2MiB, Wasm, WasmWrite1MiB };
inline constexpr Program kPrograms[] = {Program::Engine, Program::Reference, Program::Write64KiB,
                                        Program::Write1MiB, Program::Write2MiB};

const char* programName(Program program);
bool isFloor(Program program);

struct Study {
    const char* name;
    int subjects;
    int stimuli;
    int rounds; // the least number of rounds that gives a median worth quoting
};

struct Sample {
    bool done = false;
    double seconds = 0;
    std::uint64_t bytes = 0;         // the size of the file written
    std::uint64_t peakRiseBytes = 0; // the process's peak resident memory above where it started
    double processSeconds = 0;       // the child process's whole life, its start included
};

// Runs program once in a child process of its own, so that it starts as a run started from the
// window does and its memory is its own, writing output (a new file). A floor writes bytes. Only
// the program's own work is timed: from before it opens its files to after it closes them.
// Program::Wasm and WasmWrite1MiB run wasmScript (dissim_wasm_run.js) under node, which times
// the run or the writes itself; its memory is node's and is not measured. With wasmWarmUp the
// script runs the study once before the timed run, in the same process.
Sample runProgram(Program program, const Study& study, const std::string& input,
                  const std::string& output, std::uint64_t bytes,
                  const std::string& wasmScript = {}, bool wasmWarmUp = false);

} // namespace bench
