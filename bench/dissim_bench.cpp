// Measures the dissimilarity run as a person gets it, against the floor of its output: the time
// to write the same number of bytes to a new file from a ready buffer.
//
//   dissim_bench [--sizes typical,large] [--conditions settled,warm] [--rounds N] [--verbose]
//                [--wasm NAME=FILE.js ...] [--wasm-warmed NAME=FILE.js ...] [FOLDER]
//   dissim_bench --reader [--rounds N] [FOLDER]   the sort data reader alone (bench_reader.h)
//   dissim_bench --import [--rounds N] [--wasm NAME=FILE.js ...] [FOLDER]
//                                                 tables read and imported (bench_import.h)
//   dissim_bench --workbook [--rounds N] [--wasm NAME=FILE.js ...] [FOLDER]
//                                                 a 1000 x 1000 sheet read from .xlsx and .ods,
//                                                 beside R's readxl (bench_workbook.h)
//
// Two conditions. Settled: before every measured run the previous output is deleted, the disks
// are synced and the machine stays idle for 3 s, as before a person's one run (a machine that
// has been idle hands freed memory back, and taking it again costs the next writer). Warm: runs
// follow each other at once, as when runs are repeated.
//
// In every round the engine, the plain reference run and each floor run once, in an order that
// rotates from round to round, each in a child process of its own and into a new file, so that
// drift of the machine reaches all of them alike. Printed per program: median, least and most
// seconds, and the median over the rounds of its time divided by the floor's in that round; the
// floor is the floor program with the lowest median. Before the rounds, the engine's output is
// compared byte for byte with the reference run's. Every file made is deleted again.
//
// --wasm adds the engine compiled to WebAssembly (bench/wasm_engine_run.cpp, built with
// Emscripten; several builds under several names may be given) to every round, run under node
// on the same files, and prints each one's time over the native engine's in the same round. Its
// time is the run's, measured inside node as the engine's is inside its process; node's start
// and the module's compilation are shown apart ("whole process"). --wasm-warmed times a build
// on its process's second run, its code by then compiled by node's optimising compiler, where a
// first run starts in the baseline compiler's code. With either, the first build also writes
// the output's bytes from WebAssembly in 1 MiB chunks ("wasm write 1 MiB"), against the native
// "write 1 MiB".

#include "bench_import.h"
#include "bench_programs.h"
#include "bench_reader.h"
#include "bench_sort_data.h"
#include "bench_workbook.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using bench::Program;
using bench::programName;
using bench::Sample;
using bench::Study;

constexpr Study kStudies[] = {
    {"small", 50, 40, 9}, {"typical", 500, 200, 9}, {"large", 1000, 1000, 5}};
constexpr const char* kDefaultStudies[] = {"typical", "large"};
constexpr std::uint64_t kSeed = 20240611;
constexpr double kMiB = 1024.0 * 1024.0;
// What the run may use beyond its two matrices: buffers, batches, the reader.
constexpr double kMemorySlackMiB = 64;
constexpr auto kSettleTime = std::chrono::seconds(3);

enum class Condition { Settled, Warm };

// One program of the rounds: the native ones, or a WebAssembly build under a name of its own.
struct Entry {
    Program program;
    std::string name;
    std::string script;  // the WebAssembly programs: the node script
    bool warmUp = false; // Program::Wasm: timed on the process's second run
};

struct Options {
    int rounds = 0; // 0: each study's own
    std::vector<Entry> wasm;
    bool verbose = false;
    bool reader = false;
    bool import = false;
    bool workbook = false;
    std::vector<Study> studies;
    std::vector<Condition> conditions;
    std::filesystem::path folder;
};

[[noreturn]] void usage(const char* why) {
    std::fprintf(stderr,
                 "dissim_bench: %s\n"
                 "usage: dissim_bench [--sizes small,typical,large] [--conditions settled,warm]\n"
                 "                    [--rounds N] [--verbose] [--wasm NAME=FILE.js ...]\n"
                 "                    [--wasm-warmed NAME=FILE.js ...] [FOLDER]\n"
                 "       dissim_bench --reader [--rounds N] [FOLDER]\n"
                 "       dissim_bench --import [--rounds N] [--wasm NAME=FILE.js ...] [FOLDER]\n"
                 "       dissim_bench --workbook [--rounds N] [--wasm NAME=FILE.js ...] "
                 "[FOLDER]\n"
                 "  FOLDER is where the files are written (default: the temporary folder)\n",
                 why);
    std::exit(2);
}

std::vector<std::string> commaList(const std::string& list) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= list.size()) {
        const std::size_t end = std::min(list.find(',', start), list.size());
        items.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

const Study& studyNamed(const std::string& name) {
    const auto* found = std::find_if(std::begin(kStudies), std::end(kStudies),
                                     [&](const Study& s) { return name == s.name; });
    if (found == std::end(kStudies)) {
        usage(("unknown size \"" + name + "\"").c_str());
    }
    return *found;
}

Options parseOptions(int argc, char** argv) {
    Options options;
    bool foldered = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc) {
            options.rounds = std::atoi(argv[++i]);
            if (options.rounds < 1) {
                usage("--rounds needs a whole number of at least 1");
            }
        } else if (arg == "--sizes" && i + 1 < argc) {
            for (const std::string& name : commaList(argv[++i])) {
                options.studies.push_back(studyNamed(name));
            }
        } else if (arg == "--conditions" && i + 1 < argc) {
            for (const std::string& name : commaList(argv[++i])) {
                if (name != "settled" && name != "warm") {
                    usage(("unknown condition \"" + name + "\"").c_str());
                }
                options.conditions.push_back(name == "settled" ? Condition::Settled
                                                               : Condition::Warm);
            }
        } else if (arg == "--reader") {
            options.reader = true;
        } else if (arg == "--import") {
            options.import = true;
        } else if (arg == "--workbook") {
            options.workbook = true;
        } else if ((arg == "--wasm" || arg == "--wasm-warmed") && i + 1 < argc) {
            const std::string build = argv[++i];
            const std::size_t equals = build.find('=');
            if (equals == std::string::npos || equals == 0 || equals + 1 == build.size()) {
                usage("--wasm and --wasm-warmed need NAME=FILE.js");
            }
            options.wasm.push_back({Program::Wasm, build.substr(0, equals),
                                    build.substr(equals + 1), arg == "--wasm-warmed"});
        } else if (arg == "--verbose") {
            options.verbose = true;
        } else if (arg == "-h" || arg == "--help") {
            usage("measures the run as a person gets it, against the cost of writing its bytes");
        } else if (!arg.starts_with("-") && !foldered) {
            options.folder = arg;
            foldered = true;
        } else {
            usage(("unexpected argument \"" + std::string(arg) + "\"").c_str());
        }
    }
    if (options.studies.empty()) {
        for (const char* name : kDefaultStudies) {
            options.studies.push_back(studyNamed(name));
        }
    }
    if (options.conditions.empty()) {
        options.conditions = {Condition::Settled, Condition::Warm};
    }
    if (!foldered) {
        options.folder = std::filesystem::temp_directory_path();
    }
    return options;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    return values.size() % 2 == 1 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// Whether two files hold the same bytes.
bool sameBytes(const std::string& a, const std::string& b) {
    std::ifstream fa(a, std::ios::binary);
    std::ifstream fb(b, std::ios::binary);
    std::vector<char> ba(1 << 20);
    std::vector<char> bb(1 << 20);
    while (fa && fb) {
        fa.read(ba.data(), static_cast<std::streamsize>(ba.size()));
        fb.read(bb.data(), static_cast<std::streamsize>(bb.size()));
        if (fa.gcount() != fb.gcount() ||
            !std::equal(ba.begin(), ba.begin() + fa.gcount(), bb.begin())) {
            return false;
        }
    }
    return fa.eof() && fb.eof();
}

struct Timings {
    std::vector<std::vector<double>> seconds;        // per program, per round
    std::vector<std::vector<double>> processSeconds; // per program, per round: the whole child
    std::vector<double> engineRises;                 // the engine's peak memory rise per round
    bool allDone = true;
};

Timings measureRounds(const std::vector<Entry>& entries, const Study& study, Condition condition,
                      int rounds, const std::string& input, const std::string& prefix,
                      std::uint64_t bytes, bool verbose) {
    const std::size_t programs = entries.size();
    Timings timings;
    timings.seconds.resize(programs);
    timings.processSeconds.resize(programs);
    // Warm runs are measured after one unmeasured round, so that even the first finds the
    // machine as the one before left it.
    const int first = condition == Condition::Warm ? -1 : 0;
    for (int round = first; round < rounds; ++round) {
        for (std::size_t k = 0; k < programs; ++k) {
            const std::size_t index = (static_cast<std::size_t>(round + 1) + k) % programs;
            const Entry& entry = entries[index];
            const Program program = entry.program;
            const std::string output =
                prefix + std::to_string(round + 1) + "-" + std::to_string(index) + "-out.txt";
            if (condition == Condition::Settled) {
                ::sync();
                std::this_thread::sleep_for(kSettleTime);
            }
            const Sample sample =
                bench::runProgram(program, study, input, output, bytes, entry.script, entry.warmUp);
            ::unlink(output.c_str());
            if (round < 0) {
                continue;
            }
            if (verbose) {
                std::printf("  round %d %-16s %9.4f s  %llu bytes\n", round + 1, entry.name.c_str(),
                            sample.seconds, static_cast<unsigned long long>(sample.bytes));
            }
            timings.allDone = timings.allDone && sample.done && sample.bytes == bytes;
            timings.seconds[index].push_back(sample.seconds);
            timings.processSeconds[index].push_back(sample.processSeconds);
            if (program == Program::Engine) {
                timings.engineRises.push_back(static_cast<double>(sample.peakRiseBytes) / kMiB);
            }
        }
    }
    return timings;
}

// Prints one table and returns whether the engine's memory stayed within its bound.
bool report(const std::vector<Entry>& entries, const Study& study, Condition condition,
            const Timings& timings) {
    const std::size_t programs = entries.size();
    std::size_t floor = 0;
    double floorMedian = 0;
    for (std::size_t p = 0; p < programs; ++p) {
        const double m = median(timings.seconds[p]);
        if (bench::isFloor(entries[p].program) && (floorMedian == 0 || m < floorMedian)) {
            floor = p;
            floorMedian = m;
        }
    }
    std::printf("%s, %s: %zu rounds\n", study.name,
                condition == Condition::Settled ? "settled (sync, 3 s idle before each run)"
                                                : "warm (runs back to back)",
                timings.seconds[0].size());
    std::printf("  %-16s %9s %9s %9s %8s\n", "program", "median s", "min s", "max s", "/ floor");
    for (std::size_t p = 0; p < programs; ++p) {
        const std::vector<double>& s = timings.seconds[p];
        std::vector<double> ratios;
        for (std::size_t r = 0; r < s.size(); ++r) {
            ratios.push_back(s[r] / timings.seconds[floor][r]);
        }
        std::printf("  %-16s %9.4f %9.4f %9.4f %8.2f%s\n", entries[p].name.c_str(), median(s),
                    *std::min_element(s.begin(), s.end()), *std::max_element(s.begin(), s.end()),
                    median(ratios), p == floor ? "  (floor)" : "");
    }
    // Each WebAssembly build against the native engine, and WebAssembly's writes against the
    // native ones of the same chunk size, round by round.
    const auto index = [&](Program program) {
        return static_cast<std::size_t>(
            std::find_if(entries.begin(), entries.end(),
                         [&](const Entry& e) { return e.program == program; }) -
            entries.begin());
    };
    for (std::size_t p = 0; p < programs; ++p) {
        const bool write = entries[p].program == Program::WasmWrite1MiB;
        if (entries[p].program != Program::Wasm && !write) {
            continue;
        }
        const std::size_t native = index(write ? Program::Write1MiB : Program::Engine);
        std::vector<double> ratios;
        for (std::size_t r = 0; r < timings.seconds[p].size(); ++r) {
            ratios.push_back(timings.seconds[p][r] / timings.seconds[native][r]);
        }
        std::printf("  %s / %s: median %.2f (least %.2f, most %.2f over %zu rounds); whole "
                    "process (node's start included) median %.4f s\n",
                    entries[p].name.c_str(), entries[native].name.c_str(), median(ratios),
                    *std::min_element(ratios.begin(), ratios.end()),
                    *std::max_element(ratios.begin(), ratios.end()), ratios.size(),
                    median(timings.processSeconds[p]));
    }
    const double dim = study.stimuli + 1.0;
    const double boundMiB = 2 * dim * dim * 2 / kMiB;
    const double mostRise =
        *std::max_element(timings.engineRises.begin(), timings.engineRises.end());
    const bool within = mostRise <= boundMiB + kMemorySlackMiB;
    std::printf("  engine memory: at most %.1f MiB above the process before the run; bound %.1f "
                "MiB + %.0f MiB: %s\n",
                mostRise, boundMiB, kMemorySlackMiB, within ? "within" : "BEYOND");
    std::fflush(stdout);
    return within;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = parseOptions(argc, argv);
    // The native engine first: the ratios divide by it.
    std::vector<Entry> entries;
    for (const Program program : bench::kPrograms) {
        entries.push_back({program, programName(program), {}});
    }
    entries.insert(entries.end(), options.wasm.begin(), options.wasm.end());
    if (!options.wasm.empty()) {
        entries.push_back({Program::WasmWrite1MiB, programName(Program::WasmWrite1MiB),
                           options.wasm.front().script});
    }
    std::error_code error;
    if (!std::filesystem::is_directory(options.folder, error)) {
        usage(("\"" + options.folder.string() + "\" is not a folder").c_str());
    }
    std::vector<std::string> scripts;
    for (const Entry& entry : options.wasm) {
        scripts.push_back(entry.script);
    }
    // The reader's, the import's and the workbooks' benchmarks: 7 rounds unless told.
    const int benchRounds = options.rounds > 0 ? options.rounds : 7;
    if (options.import) {
        return bench::benchImport(options.folder, benchRounds, scripts) ? 0 : 1;
    }
    if (options.workbook) {
        std::vector<std::pair<std::string, std::string>> builds;
        for (const Entry& entry : options.wasm) {
            builds.emplace_back(entry.name, entry.script);
        }
        return bench::benchWorkbook(options.folder, benchRounds, builds) ? 0 : 1;
    }
    if (options.reader) {
        return bench::benchReader(options.folder, benchRounds) ? 0 : 1;
    }
    std::printf("folder %s; engine: the engine's whole run; reference: one thread, a block at a "
                "time in one write(); write X: the output's bytes in X chunks (the floor is the "
                "fastest by median)\n",
                options.folder.c_str());
    bool good = true;
    const std::string prefix =
        (options.folder / ("dissim-bench-" + std::to_string(::getpid()) + "-")).string();
    for (const Study& study : options.studies) {
        const std::string input = prefix + study.name + "-sort-data.txt";
        std::ofstream(input, std::ios::binary)
            << bench::makeSortData(study.subjects, study.stimuli, kSeed);
        // The engine's output checked against the reference run's, and its size for the floors.
        const std::string engineOut = prefix + study.name + "-engine.txt";
        const std::string referenceOut = prefix + study.name + "-reference.txt";
        const Sample engine = bench::runProgram(Program::Engine, study, input, engineOut, 0);
        const Sample reference =
            bench::runProgram(Program::Reference, study, input, referenceOut, 0);
        const bool same = engine.done && reference.done && sameBytes(engineOut, referenceOut);
        ::unlink(engineOut.c_str());
        std::printf("\n%s: S=%d N=%d, %llu bytes; engine output %s the reference's\n", study.name,
                    study.subjects, study.stimuli, static_cast<unsigned long long>(engine.bytes),
                    same ? "byte for byte" : "DIFFERS FROM");
        good = good && same;
        for (const Entry& wasm : options.wasm) {
            const std::string wasmOut = prefix + study.name + "-" + wasm.name + ".txt";
            const Sample sample = bench::runProgram(Program::Wasm, study, input, wasmOut, 0,
                                                    wasm.script, wasm.warmUp);
            const bool wasmSame = sample.done && sameBytes(wasmOut, referenceOut);
            ::unlink(wasmOut.c_str());
            std::printf("%s output %s the reference's\n", wasm.name.c_str(),
                        wasmSame ? "byte for byte" : "DIFFERS FROM");
            good = good && wasmSame;
        }
        ::unlink(referenceOut.c_str());
        for (const Condition condition : options.conditions) {
            const int rounds = options.rounds > 0 ? options.rounds : study.rounds;
            const Timings timings =
                measureRounds(entries, study, condition, rounds, input, prefix + study.name + "-",
                              engine.bytes, options.verbose);
            good = report(entries, study, condition, timings) && timings.allDone && good;
        }
        ::unlink(input.c_str());
    }
    std::printf("\n/ floor: the median over the rounds of the program's time over the floor's in "
                "the same round; bound: two (N+1)^2 16-bit arrays\n");
    return good ? 0 : 1;
}
