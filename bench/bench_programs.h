#pragma once

#include <cstdint>
#include <string>

namespace bench {

// What the benchmark times: the engine's run, the plain reference run beside it, and the floor,
// the same number of bytes written to a new file from a ready buffer in chunks of one size.
enum class Program { Engine, Reference, Write64KiB, Write1MiB, Write2MiB };
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
};

// Runs program once in a child process of its own, so that it starts as a run started from the
// window does and its memory is its own, writing output (a new file). A floor writes bytes. Only
// the program's own work is timed: from before it opens its files to after it closes them.
Sample runProgram(Program program, const Study& study, const std::string& input,
                  const std::string& output, std::uint64_t bytes);

} // namespace bench
