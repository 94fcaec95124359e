// The group layout: one row per group, with a subject column and a 0/1 column per stimulus
// (1: the stimulus is in the row's group; 0 or empty: it is not).

#include "group_key.h"
#include "import_layouts.h"
#include "import_problems.h"

namespace dissim {

namespace {

// Every subject's group of every stimulus: the row (+ 1) of the first group that holds it.
[[gnu::noinline]] void readGroupCells(const Table& table, std::size_t firstRow,
                                      const std::int32_t* rowSubject, const int* stimulusColumns,
                                      std::size_t n, ImportCollector& out) {
    for (std::size_t r = firstRow; r < table.rows(); ++r) {
        const std::int32_t subject = rowSubject[r];
        if (subject < 0) {
            continue;
        }
        for (std::size_t j = 0; j < n; ++j) {
            const auto c = static_cast<std::size_t>(stimulusColumns[j]);
            const std::string_view mark = trimmedCell(table.cell(r, c));
            if (mark != "1") {
                if (mark == "0" || isMissingCode(mark)) {
                    continue;
                }
                const GroupKey key = groupKeyOf(mark);
                if (key.isNumber && key.number == 0.0) {
                    continue;
                }
                if (!key.isNumber || key.number != 1.0) {
                    reportNotZeroOne(out, r, c, mark, subject);
                    continue;
                }
            }
            std::int32_t& given = out.group(subject, j);
            if (given == 0) {
                given = static_cast<std::int32_t>(r) + 1;
            } else {
                reportSecondGroup(out, r, c, static_cast<std::size_t>(given) - 1, subject, j);
            }
        }
    }
}

[[gnu::noinline]] void findUnsorted(const int* stimulusColumns, std::size_t n,
                                    ImportCollector& out) {
    for (std::size_t s = 0; s < out.subjects(); ++s) {
        const auto subject = static_cast<std::int32_t>(s);
        for (std::size_t j = 0; j < n; ++j) {
            if (out.group(subject, j) == 0) {
                reportInNoGroup(out, static_cast<std::size_t>(stimulusColumns[j]), subject, j);
            }
        }
    }
}

} // namespace

void readGroupRows(const Table& table, const ImportSettings& settings, ImportCollector& out) {
    std::vector<std::pair<const char*, int>> columns{{"subject", settings.subjectColumn}};
    for (const int column : settings.stimulusColumns) {
        columns.emplace_back("stimulus", column);
    }
    if (!columnsFit(table, columns, out)) {
        return;
    }
    out.groupsAreRows();
    const std::size_t firstRow = settings.namesInFirstRow ? 1 : 0;
    std::vector<std::int32_t> rowSubject(table.rows(), -1);
    SubjectIndex subjects(out);
    rowSubjects(table, firstRow, static_cast<std::size_t>(settings.subjectColumn), subjects,
                rowSubject.data(), out);
    const std::size_t n = settings.stimulusColumns.size();
    needStudy(out.subjects(), n, out);
    if (out.settingsMisfit()) {
        return;
    }
    std::vector<std::string> stimuli;
    for (const int column : settings.stimulusColumns) {
        stimuli.emplace_back(firstRow == 1
                                 ? trimmedCell(table.cell(0, static_cast<std::size_t>(column)))
                                 : std::string_view());
    }
    out.setStimuli(std::move(stimuli));
    readGroupCells(table, firstRow, rowSubject.data(), settings.stimulusColumns.data(), n, out);
    findUnsorted(settings.stimulusColumns.data(), n, out);
}

} // namespace dissim
