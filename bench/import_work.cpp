#include "import_work.h"

#include "bench_sort_data.h"
#include "text_table_reader.h"
#include "workbook_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

namespace bench {
namespace {

using Codes = std::vector<std::vector<int>>;

Codes studyCodes(std::int64_t subjects, std::int64_t stimuli, std::uint64_t seed) {
    const std::string text = makeSortData(subjects, stimuli, seed);
    Codes codes(static_cast<std::size_t>(subjects));
    std::size_t s = 0;
    int value = 0;
    bool inNumber = false;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            inNumber = true;
            continue;
        }
        if (inNumber) {
            codes[s].push_back(value);
            value = 0;
            inNumber = false;
        }
        if (c == '\n') {
            ++s;
        }
    }
    return codes;
}

std::string stimulusName(std::size_t j) {
    return "stimulus " + std::to_string(j + 1);
}

std::string subjectName(std::size_t s) {
    return "J" + std::to_string(s + 1);
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

std::vector<ImportTable> importTables(std::int64_t subjects, std::int64_t stimuli,
                                      std::uint64_t seed) {
    const Codes codes = studyCodes(subjects, stimuli, seed);
    const auto s = static_cast<std::size_t>(subjects);
    const auto n = static_cast<std::size_t>(stimuli);
    std::vector<ImportTable> tables;

    ImportTable subjectRows{"subject rows", "subject", {}};
    for (std::size_t j = 0; j < n; ++j) {
        subjectRows.text += "," + stimulusName(j);
    }
    subjectRows.text += "\r\n";
    for (std::size_t i = 0; i < s; ++i) {
        subjectRows.text += subjectName(i);
        for (const int code : codes[i]) {
            subjectRows.text += "," + std::to_string(code);
        }
        subjectRows.text += "\r\n";
    }
    subjectRows.settings.layout = dissim::TableLayout::SubjectRows;
    subjectRows.settings.namesInFirstRow = subjectRows.settings.namesInFirstColumn = true;
    tables.push_back(std::move(subjectRows));

    for (const bool words : {false, true}) {
        ImportTable stimulusRows{words ? "stimulus rows, words" : "stimulus rows", "\"\"", {}};
        for (std::size_t i = 0; i < s; ++i) {
            stimulusRows.text += "," + subjectName(i);
        }
        stimulusRows.text += "\r\n";
        for (std::size_t j = 0; j < n; ++j) {
            stimulusRows.text += stimulusName(j);
            for (std::size_t i = 0; i < s; ++i) {
                const std::string code = std::to_string(codes[i][j]);
                stimulusRows.text += words ? ",\"pile " + code + ";G" + code + "\"" : "," + code;
            }
            stimulusRows.text += "\r\n";
        }
        stimulusRows.settings.layout = dissim::TableLayout::StimulusRows;
        stimulusRows.settings.namesInFirstRow = stimulusRows.settings.namesInFirstColumn = true;
        tables.push_back(std::move(stimulusRows));
    }

    ImportTable longForm{"one row per stimulus", "participant,card,group id,category,time\r\n", {}};
    std::mt19937_64 random(seed);
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < s; ++i) {
        for (std::size_t j = 0; j < n; ++j) {
            order[j] = j;
        }
        for (std::size_t k = n; k > 1; --k) {
            std::swap(order[k - 1], order[random() % k]);
        }
        for (const std::size_t j : order) {
            longForm.text += subjectName(i) + "," + stimulusName(j) + "," +
                             std::to_string(10 * i + static_cast<std::size_t>(codes[i][j])) + ",," +
                             std::to_string(j % 60) + ".5\r\n";
        }
    }
    longForm.settings.layout = dissim::TableLayout::Long;
    longForm.settings.namesInFirstRow = true;
    longForm.settings.subjectColumn = 0;
    longForm.settings.stimulusColumn = 1;
    longForm.settings.groupColumn = 2;
    tables.push_back(std::move(longForm));

    ImportTable groupRows{"one row per group", "subject,pile", {}};
    for (std::size_t j = 0; j < n; ++j) {
        groupRows.text += "," + stimulusName(j);
    }
    groupRows.text += ",size\r\n";
    for (std::size_t i = 0; i < s; ++i) {
        const int groups = *std::max_element(codes[i].begin(), codes[i].end());
        for (int group = 1; group <= groups; ++group) {
            groupRows.text += subjectName(i) + "," + std::to_string(group);
            const auto size = std::count(codes[i].begin(), codes[i].end(), group);
            for (const int code : codes[i]) {
                groupRows.text += code == group ? ",1" : ",0";
            }
            groupRows.text += "," + std::to_string(size) + "\r\n";
        }
    }
    groupRows.settings.layout = dissim::TableLayout::GroupRows;
    groupRows.settings.namesInFirstRow = true;
    groupRows.settings.subjectColumn = 0;
    for (std::size_t j = 0; j < n; ++j) {
        groupRows.settings.stimulusColumns.push_back(static_cast<int>(j) + 2);
    }
    tables.push_back(std::move(groupRows));
    return tables;
}

std::vector<std::int16_t> importedCodes(std::int64_t subjects, std::int64_t stimuli,
                                        std::uint64_t seed) {
    std::vector<std::int16_t> result;
    for (const auto& subject : studyCodes(subjects, stimuli, seed)) {
        std::vector<std::int16_t> renumbered(10, 0);
        std::int16_t next = 0;
        for (const int code : subject) {
            auto& number = renumbered[static_cast<std::size_t>(code)];
            if (number == 0) {
                number = ++next;
            }
            result.push_back(number);
        }
    }
    return result;
}

ImportTiming timeImport(const ImportTable& table, const std::vector<std::int16_t>& expected) {
    ImportTiming timing;
    auto start = std::chrono::steady_clock::now();
    const dissim::Table read = dissim::readTextTable(table.text, ',');
    timing.readSeconds = secondsSince(start);
    start = std::chrono::steady_clock::now();
    const dissim::ImportSettings guess = dissim::guessImportSettings(read, 0, 0);
    timing.guessSeconds = secondsSince(start);
    timing.guessed = guess == table.settings;
    start = std::chrono::steady_clock::now();
    const dissim::ImportedStudy study = dissim::importStudy(read, table.settings);
    timing.importSeconds = secondsSince(start);
    timing.same = study.usable && study.codes == expected;
    return timing;
}

double timeWorkbook(const std::string& path, std::size_t side) {
    const auto start = std::chrono::steady_clock::now();
    try {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream bytes;
        bytes << in.rdbuf();
        const dissim::Table table = dissim::readWorkbookSheet(bytes.str(), 0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return table.rows() == side && table.columns() == side &&
                       table.cell(side - 1, side - 1).size() == 1
                   ? seconds
                   : -1.0;
    } catch (const std::exception& error) {
        std::printf("workbook: %s: %s\n", path.c_str(), error.what());
        return -1.0;
    }
}

} // namespace bench
