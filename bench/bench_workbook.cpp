#include "bench_workbook.h"

#include "bench_spread.h"
#include "import_work.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace bench {
namespace {

constexpr int kSide = 1000;

bool run(const std::string& command) {
    return std::system(command.c_str()) == 0;
}

std::string quotedPath(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

// The CSV of the codes and LibreOffice's .xlsx and .ods of it, made once.
bool makeWorkbooks(const std::filesystem::path& folder) {
    const std::filesystem::path csv = folder / "dissim-bench-workbook.csv";
    if (std::filesystem::exists(folder / "dissim-bench-workbook.xlsx") &&
        std::filesystem::exists(folder / "dissim-bench-workbook.ods")) {
        return true;
    }
    if (!run("command -v soffice >/dev/null")) {
        std::printf("workbook: LibreOffice (soffice) makes the workbooks; install "
                    "libreoffice-calc-nogui\n");
        return false;
    }
    std::mt19937 random(20240611);
    std::ofstream out(csv, std::ios::binary);
    for (int row = 0; row < kSide; ++row) {
        for (int column = 0; column < kSide; ++column) {
            out << (column > 0 ? "," : "") << static_cast<int>(1 + random() % 9);
        }
        out << '\n';
    }
    out.close();
    std::printf("workbook: making the .xlsx and .ods with LibreOffice (a minute)\n");
    const std::string home = (folder / "dissim-bench-soffice-home").string();
    for (const char* format : {"xlsx", "ods"}) {
        if (!run("HOME='" + home +
                 "' soffice --headless --infilter='CSV:44,34,76,1' "
                 "--convert-to " +
                 format + " --outdir " + quotedPath(folder) + " " + quotedPath(csv) +
                 " >/dev/null 2>&1")) {
            std::printf("workbook: LibreOffice failed to make the .%s\n", format);
            return false;
        }
    }
    std::filesystem::remove_all(home);
    std::filesystem::remove(csv);
    return true;
}

// The seconds a command prints, timed in its own process; negative when it failed.
double printedSeconds(const std::string& command) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1.0;
    }
    double seconds = -1.0;
    if (std::fscanf(pipe, "%lf", &seconds) != 1) {
        seconds = -1.0;
    }
    return ::pclose(pipe) == 0 ? seconds : -1.0;
}

// node reading the workbook with the engine compiled to WebAssembly (dissim_wasm_import.js
// --workbook), timed inside node.
double timeWasm(const std::string& script, const std::filesystem::path& path) {
    return printedSeconds("node --no-experimental-fetch '" + script + "' --workbook " +
                          quotedPath(path) + " " + std::to_string(kSide));
}

// readxl's reading in a process of R's own, timed inside R.
double timeReadxl(const std::filesystem::path& path) {
    return printedSeconds("Rscript -e 'suppressMessages(library(readxl)); "
                          "t <- system.time(x <- readxl::read_excel(\"" +
                          path.string() +
                          "\", col_names = FALSE, .name_repair = \"minimal\"))[[\"elapsed\"]]; "
                          "cat(if (nrow(x) == 1000 && ncol(x) == 1000) t else -1)' 2>/dev/null");
}

void print(const char* what, const Spread& spread) {
    std::printf("  %-48s %8.1f (%6.1f-%6.1f)\n", what, spread.median() * 1e3, spread.least() * 1e3,
                spread.most() * 1e3);
}

} // namespace

bool benchWorkbook(const std::filesystem::path& folder, int rounds,
                   const std::vector<std::pair<std::string, std::string>>& wasm) {
    if (!makeWorkbooks(folder)) {
        return false;
    }
    const std::filesystem::path xlsx = folder / "dissim-bench-workbook.xlsx";
    const std::filesystem::path ods = folder / "dissim-bench-workbook.ods";
    const bool withR = run("Rscript -e 'library(readxl)' >/dev/null 2>&1");
    if (!withR) {
        std::printf("workbook: no Rscript with readxl (r-cran-readxl): R left out\n");
    }
    // Entries: the engine on each workbook, node's builds on each, then R.
    struct Entry {
        std::string what;
        std::function<double()> time;
        Spread spread;
    };
    std::vector<Entry> entries;
    for (const auto* path : {&xlsx, &ods}) {
        entries.push_back(
            {"engine, " + path->extension().string() + " (readWorkbookSheet)",
             [path] { return timeWorkbook(path->string(), static_cast<std::size_t>(kSide)); },
             {}});
    }
    for (const auto& [name, script] : wasm) {
        for (const auto* path : {&xlsx, &ods}) {
            entries.push_back({"WebAssembly " + name + ", " + path->extension().string(),
                               [&script, path] { return timeWasm(script, *path); },
                               {}});
        }
    }
    if (withR) {
        entries.push_back(
            {"R readxl::read_excel, .xlsx", [&xlsx] { return timeReadxl(xlsx); }, {}});
    }
    bool good = true;
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < entries.size(); ++k) {
            Entry& entry = entries[(k + static_cast<std::size_t>(round)) % entries.size()];
            const double seconds = entry.time();
            good = good && seconds >= 0;
            entry.spread.values.push_back(seconds);
        }
    }
    std::printf("workbook: a sheet of %d x %d one-digit codes saved by LibreOffice, .xlsx %.1f MB, "
                ".ods %.1f MB; %d rounds; milliseconds, median (least-most)\n",
                kSide, kSide, static_cast<double>(std::filesystem::file_size(xlsx)) / 1e6,
                static_cast<double>(std::filesystem::file_size(ods)) / 1e6, rounds);
    for (const Entry& entry : entries) {
        print(entry.what.c_str(), entry.spread);
    }
    if (!good) {
        std::printf("  A READING FAILED or gave other than %d x %d cells\n", kSide, kSide);
    }
    return good;
}

} // namespace bench
