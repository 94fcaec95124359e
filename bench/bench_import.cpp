#include "bench_import.h"

#include "bench_programs.h"
#include "bench_sort_data.h"
#include "bench_spread.h"
#include "import_work.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <unistd.h>

namespace bench {
namespace {

constexpr Study kLarge{"large", 1000, 1000, 5};
constexpr std::uint64_t kSeed = 20240611;

void printSpread(const char* what, const Spread& spread) {
    std::printf(" %s %7.1f (%6.1f-%6.1f)", what, spread.median() * 1e3, spread.least() * 1e3,
                spread.most() * 1e3);
}

// One round of node importing every layout: "NAME<TAB>READ<TAB>IMPORT<TAB>same|other" lines.
bool wasmRound(const std::string& script, std::map<std::string, Spread>& read,
               std::map<std::string, Spread>& imported) {
    const std::string command = "node --no-experimental-fetch '" + script + "' --import";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        std::perror("dissim_bench: node");
        return false;
    }
    bool same = true;
    char line[256];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        char name[64] = {};
        double readSeconds = 0;
        double importSeconds = 0;
        char verdict[8] = {};
        if (std::sscanf(line, "%63[^\t]\t%lf\t%lf\t%7s", name, &readSeconds, &importSeconds,
                        verdict) == 4) {
            read[name].values.push_back(readSeconds);
            imported[name].values.push_back(importSeconds);
            same = same && std::string(verdict) == "same";
        }
    }
    return ::pclose(pipe) == 0 && same;
}

} // namespace

bool benchImport(const std::filesystem::path& folder, int rounds,
                 const std::vector<std::string>& wasmScripts) {
    const std::vector<ImportTable> tables = importTables(kLarge.subjects, kLarge.stimuli, kSeed);
    const std::vector<std::int16_t> expected =
        importedCodes(kLarge.subjects, kLarge.stimuli, kSeed);
    const std::string stem = (folder / ("dissim-bench-" + std::to_string(::getpid()))).string();
    const std::string input = stem + "-import-plain.txt";
    const std::string output = stem + "-import-matrices.txt";
    std::ofstream(input, std::ios::binary) << makeSortData(kLarge.subjects, kLarge.stimuli, kSeed);

    const std::size_t entries = tables.size() + 1 + wasmScripts.size(); // the run, node's rounds
    std::vector<Spread> read(tables.size());
    std::vector<Spread> imported(tables.size());
    std::vector<Spread> guessed(tables.size());
    std::vector<bool> guessRight(tables.size(), true);
    std::vector<Spread> ratio(tables.size());
    Spread run;
    std::vector<std::map<std::string, Spread>> wasmRead(wasmScripts.size());
    std::vector<std::map<std::string, Spread>> wasmImported(wasmScripts.size());
    bool good = true;
    for (int round = 0; round < rounds; ++round) {
        std::vector<double> seconds(tables.size());
        double runSeconds = 0;
        for (std::size_t k = 0; k < entries; ++k) {
            const std::size_t e = (k + static_cast<std::size_t>(round)) % entries;
            if (e < tables.size()) {
                const ImportTiming timing = timeImport(tables[e], expected);
                read[e].values.push_back(timing.readSeconds);
                imported[e].values.push_back(timing.importSeconds);
                guessed[e].values.push_back(timing.guessSeconds);
                guessRight[e] = guessRight[e] && timing.guessed;
                seconds[e] = timing.readSeconds + timing.importSeconds;
                good = good && timing.same;
            } else if (e == tables.size()) {
                const Sample sample = runProgram(Program::Engine, kLarge, input, output, 0);
                ::unlink(output.c_str());
                runSeconds = sample.seconds;
                good = good && sample.done;
                run.values.push_back(sample.seconds);
            } else {
                const std::size_t w = e - tables.size() - 1;
                good = wasmRound(wasmScripts[w], wasmRead[w], wasmImported[w]) && good;
            }
        }
        for (std::size_t t = 0; t < tables.size(); ++t) {
            ratio[t].values.push_back(runSeconds > 0 ? seconds[t] / runSeconds : 0.0);
        }
    }
    ::unlink(input.c_str());

    std::printf("import: S=%d N=%d, %d rounds; milliseconds, median (least-most)\n",
                kLarge.subjects, kLarge.stimuli, rounds);
    std::printf("  %-22s %10s", "the run of plain data", "");
    printSpread("run ", run);
    std::printf("\n");
    for (std::size_t t = 0; t < tables.size(); ++t) {
        Spread both;
        for (std::size_t r = 0; r < read[t].values.size(); ++r) {
            both.values.push_back(read[t].values[r] + imported[t].values[r]);
        }
        std::printf("  %-22s %7.1f MB", tables[t].name,
                    static_cast<double>(tables[t].text.size()) / 1e6);
        printSpread("read", read[t]);
        printSpread("import", imported[t]);
        printSpread("both", both);
        std::printf("  / run %.3f", ratio[t].median());
        printSpread("guess", guessed[t]);
        std::printf("%s\n", guessRight[t] ? "" : " (a wrong guess)");
    }
    for (std::size_t w = 0; w < wasmScripts.size(); ++w) {
        std::printf("  WebAssembly under node (%s):\n", wasmScripts[w].c_str());
        for (const auto& [name, spread] : wasmRead[w]) {
            std::printf("  %-22s %10s", name.c_str(), "");
            printSpread("read", spread);
            printSpread("import", wasmImported[w][name]);
            std::printf("\n");
        }
    }
    if (!good) {
        std::printf("  AN IMPORT GAVE OTHER CODES than the study's, or a run failed\n");
    }
    return good;
}

} // namespace bench
