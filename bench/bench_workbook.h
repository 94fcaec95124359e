#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Reading a workbook's sheet of 1000 x 1000 one-digit codes, as LibreOffice Calc saves it
// (.xlsx, about 3.6 MB, and .ods), by the engine (readWorkbookSheet, the file's bytes read
// first), beside R's readxl reading the same .xlsx
// (readxl::read_excel(path, col_names = FALSE, .name_repair = "minimal"), timed inside R with
// system.time, R's start and the package's loading not counted). The workbooks are made once in
// FOLDER by LibreOffice (soffice, headless) from a CSV of the codes; without soffice the bench
// says so and stops, without Rscript or readxl it leaves R out. Rounds are interleaved: each
// round reads the .xlsx and the .ods and runs R once, in an order that rotates from round to
// round. Each WASM script (dissim_wasm_import.js, the engine compiled to WebAssembly) reads both
// workbooks under node in every round too, timed inside node as the engine is in its process.
// Printed: median, least and most milliseconds of each. Returns false when a reading failed or did
// not give 1000 x 1000 cells.
// WASM holds each build's name and script.
bool benchWorkbook(const std::filesystem::path& folder, int rounds,
                   const std::vector<std::pair<std::string, std::string>>& wasm);

} // namespace bench
