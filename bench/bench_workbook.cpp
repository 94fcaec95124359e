#include "bench_workbook.h"

#include "bench_spread.h"
#include "workbook_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
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

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The engine's reading: the file's bytes, then the sheet; seconds, or a negative number when
// the table is not the 1000 x 1000 codes.
double timeEngine(const std::filesystem::path& path) {
    const auto start = std::chrono::steady_clock::now();
    try {
        const std::string bytes = fileBytes(path);
        const dissim::Table table = dissim::readWorkbookSheet(bytes, 0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return table.rows() == kSide && table.columns() == kSide &&
                       table.cell(kSide - 1, kSide - 1).size() == 1
                   ? seconds
                   : -1.0;
    } catch (const std::exception& error) {
        std::printf("workbook: %s: %s\n", path.c_str(), error.what());
        return -1.0;
    }
}

// readxl's reading in a process of R's own, timed inside R; negative when R failed.
double timeReadxl(const std::filesystem::path& path) {
    const std::string command =
        "Rscript -e 'suppressMessages(library(readxl)); "
        "t <- system.time(x <- readxl::read_excel(\"" +
        path.string() +
        "\", col_names = FALSE, .name_repair = \"minimal\"))[[\"elapsed\"]]; "
        "cat(if (nrow(x) == 1000 && ncol(x) == 1000) t else -1)' 2>/dev/null";
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

void print(const char* what, const Spread& spread) {
    std::printf("  %-34s %8.1f (%6.1f-%6.1f)\n", what, spread.median() * 1e3, spread.least() * 1e3,
                spread.most() * 1e3);
}

} // namespace

bool benchWorkbook(const std::filesystem::path& folder, int rounds) {
    if (!makeWorkbooks(folder)) {
        return false;
    }
    const std::filesystem::path xlsx = folder / "dissim-bench-workbook.xlsx";
    const std::filesystem::path ods = folder / "dissim-bench-workbook.ods";
    const bool withR = run("Rscript -e 'library(readxl)' >/dev/null 2>&1");
    if (!withR) {
        std::printf("workbook: no Rscript with readxl (r-cran-readxl): R left out\n");
    }
    const int entries = withR ? 3 : 2;
    Spread engineXlsx;
    Spread engineOds;
    Spread readxl;
    bool good = true;
    for (int round = 0; round < rounds; ++round) {
        for (int k = 0; k < entries; ++k) {
            const int e = (k + round) % entries;
            const double seconds = e == 0   ? timeEngine(xlsx)
                                   : e == 1 ? timeEngine(ods)
                                            : timeReadxl(xlsx);
            good = good && seconds >= 0;
            (e == 0 ? engineXlsx : e == 1 ? engineOds : readxl).values.push_back(seconds);
        }
    }
    std::printf("workbook: a sheet of %d x %d one-digit codes saved by LibreOffice, .xlsx %.1f MB, "
                ".ods %.1f MB; %d rounds; milliseconds, median (least-most)\n",
                kSide, kSide, static_cast<double>(std::filesystem::file_size(xlsx)) / 1e6,
                static_cast<double>(std::filesystem::file_size(ods)) / 1e6, rounds);
    print("engine, .xlsx (readWorkbookSheet)", engineXlsx);
    print("engine, .ods (readWorkbookSheet)", engineOds);
    if (withR) {
        print("R readxl::read_excel, .xlsx", readxl);
    }
    if (!good) {
        std::printf("  A READING FAILED or gave other than %d x %d cells\n", kSide, kSide);
    }
    return good;
}

} // namespace bench
