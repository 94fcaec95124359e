// The Import dialog's work as a WebAssembly program under node, for dissim_bench --import and
// --workbook.
//
//   node --no-experimental-fetch dissim_wasm_import.js --import
// The large study's table in every layout read from its CSV text and imported, once each, as the
// dialog's first view of a file does it. Prints one line per layout:
// "NAME<TAB>READ SECONDS<TAB>IMPORT SECONDS<TAB>same|other", the last saying whether the codes
// are the study's. The tables are made before anything is timed.
//
//   node --no-experimental-fetch dissim_wasm_import.js --workbook FILE SIDE
// The workbook FILE's first sheet read (from the host's file), as the dialog reads it: prints
// the seconds, and fails unless the sheet is SIDE x SIDE cells of one character.

#include "import_work.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main(int argc, char** argv) {
    if (argc == 4 && std::string_view(argv[1]) == "--workbook") {
        const double seconds =
            bench::timeWorkbook(argv[2], static_cast<std::size_t>(std::atol(argv[3])));
        std::printf("%.9f\n", seconds);
        return seconds >= 0 ? 0 : 1;
    }
    if (argc != 2 || std::string_view(argv[1]) != "--import") {
        std::fprintf(stderr, "usage: dissim_wasm_import --import | --workbook FILE SIDE\n");
        return 2;
    }
    constexpr std::int64_t kSubjects = 1000;
    constexpr std::int64_t kStimuli = 1000;
    constexpr std::uint64_t kSeed = 20240611;
    const auto tables = bench::importTables(kSubjects, kStimuli, kSeed);
    const auto expected = bench::importedCodes(kSubjects, kStimuli, kSeed);
    bool same = true;
    for (const auto& table : tables) {
        const bench::ImportTiming timing = bench::timeImport(table, expected);
        std::printf("%s\t%.9f\t%.9f\t%s\n", table.name, timing.readSeconds, timing.importSeconds,
                    timing.same ? "same" : "other");
        same = same && timing.same;
    }
    return same ? 0 : 1;
}
