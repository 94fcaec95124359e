#pragma once

// The import the benchmark times, shared by the native bench and the engine's WebAssembly
// program for node: one study written as a comma-separated table in each of the layouts
// researchers keep, and the reading of such a table into the codes the run reads.

#include "table_import.h"

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct ImportTable {
    const char* name;
    std::string text; // the table as a CSV file holds it
    dissim::ImportSettings settings;
};

// The study of makeSortData(subjects, stimuli, seed) in every layout: subject rows, stimulus rows
// (with numbers, and with each subject's own words), one row per subject and stimulus (each
// subject's stimuli shuffled, group ids unique over the file), one row per group.
std::vector<ImportTable> importTables(std::int64_t subjects, std::int64_t stimuli,
                                      std::uint64_t seed);

// The study's codes as the import gives them: each subject's groups numbered in order of first
// appearance.
std::vector<std::int16_t> importedCodes(std::int64_t subjects, std::int64_t stimuli,
                                        std::uint64_t seed);

struct ImportTiming {
    double readSeconds = 0;   // the text into a table (readTextTable)
    double importSeconds = 0; // the table into codes (importStudy)
    double guessSeconds = 0;  // the settings guessed from the table (guessImportSettings)
    bool same = false;        // the codes are the study's
    bool guessed = false;     // the guess is the table's settings
};

// Reads the table's text, guesses its settings and imports it, timing each step.
ImportTiming timeImport(const ImportTable& table, const std::vector<std::int16_t>& expected);

// Reads a workbook's first sheet as the Import dialog does (the file's bytes, then
// readWorkbookSheet): seconds, or a negative number when it fails (the reason printed) or the
// sheet is not side x side cells of one character.
double timeWorkbook(const std::string& path, std::size_t side);

} // namespace bench
