#include "table_import.h"

#include "group_key.h"
#include "import_collector.h"
#include "import_layouts.h"
#include "import_problems.h"

#include <unordered_map>

namespace dissim {

namespace {

// Which rows and columns hold anything at all.
[[gnu::noinline]] void markUsed(const Table& table, char* rowUsed, char* columnUsed) {
    for (std::size_t r = 0; r < table.rows(); ++r) {
        const std::size_t cells = table.cellsIn(r);
        for (std::size_t c = 0; c < cells; ++c) {
            if (!trimmedCell(table.cell(r, c)).empty()) {
                rowUsed[r] = columnUsed[c] = 1;
            }
        }
    }
}

// Every code, in the table's order, row by row: the cells are read where they lie.
[[gnu::noinline]] void readWideCells(const Table& table, const std::size_t* rows,
                                     std::size_t rowCount, const std::size_t* columns,
                                     std::size_t columnCount, bool subjectRows, GroupIds& ids,
                                     ImportCollector& out) {
    for (std::size_t a = 0; a < rowCount; ++a) {
        for (std::size_t b = 0; b < columnCount; ++b) {
            const auto subject = static_cast<std::int32_t>(subjectRows ? a : b);
            const std::size_t stimulus = subjectRows ? b : a;
            const std::string_view code = trimmedCell(table.cell(rows[a], columns[b]));
            if (isMissingCode(code)) {
                reportUnsortedCell(out, rows[a], columns[b], code, subject, stimulus);
                continue;
            }
            const GroupKey key = groupKeyOf(code);
            out.group(subject, stimulus) = ids.id(key);
            out.noteCode(subject, key);
        }
    }
}

} // namespace

void readWide(const Table& table, const ImportSettings& settings, ImportCollector& out) {
    const bool subjectRows = settings.layout == TableLayout::SubjectRows;
    const std::size_t firstRow = settings.namesInFirstRow ? 1 : 0;
    const std::size_t firstColumn = settings.namesInFirstColumn ? 1 : 0;
    // Rows and columns with nothing in them at all are no subject and no stimulus: spreadsheets
    // leave them at the ends of a table.
    std::vector<char> rowUsed(table.rows(), 0);
    std::vector<char> columnUsed(table.columns(), 0);
    markUsed(table, rowUsed.data(), columnUsed.data());
    std::vector<std::size_t> rows;
    std::vector<std::size_t> columns;
    for (std::size_t r = firstRow; r < table.rows(); ++r) {
        if (rowUsed[r]) {
            rows.push_back(r);
        }
    }
    for (std::size_t c = firstColumn; c < table.columns(); ++c) {
        if (columnUsed[c]) {
            columns.push_back(c);
        }
    }
    const std::vector<std::size_t>& subjectLines = subjectRows ? rows : columns;
    const std::vector<std::size_t>& stimulusLines = subjectRows ? columns : rows;
    needStudy(subjectLines.size(), stimulusLines.size(), out);
    if (out.settingsMisfit()) {
        return;
    }
    // A row is named by its first cell, a column by its top cell, where the settings say so.
    const auto nameCell = [](bool isRow, std::size_t line) -> std::pair<std::size_t, std::size_t> {
        return isRow ? std::pair{line, std::size_t{0}} : std::pair{std::size_t{0}, line};
    };
    const bool subjectsNamed = subjectRows ? firstColumn == 1 : firstRow == 1;
    const bool stimuliNamed = subjectRows ? firstRow == 1 : firstColumn == 1;
    std::unordered_map<std::string_view, std::size_t> named;
    std::vector<std::int32_t> firstOfName(subjectLines.size(), -1);
    for (std::size_t i = 0; i < subjectLines.size(); ++i) {
        std::string_view name;
        if (subjectsNamed) {
            const auto [r, c] = nameCell(subjectRows, subjectLines[i]);
            name = trimmedCell(table.cell(r, c));
        }
        out.addSubject(name);
        if (!name.empty()) {
            const auto [entry, added] = named.try_emplace(name, i);
            if (!added) {
                firstOfName[i] = static_cast<std::int32_t>(entry->second);
            }
        }
    }
    std::vector<std::string> stimuli;
    stimuli.reserve(stimulusLines.size());
    for (const std::size_t line : stimulusLines) {
        if (stimuliNamed) {
            const auto [r, c] = nameCell(!subjectRows, line);
            stimuli.emplace_back(trimmedCell(table.cell(r, c)));
        } else {
            stimuli.emplace_back();
        }
    }
    out.setStimuli(std::move(stimuli));
    for (std::size_t i = 0; i < subjectLines.size(); ++i) {
        if (firstOfName[i] >= 0) {
            const auto first = static_cast<std::size_t>(firstOfName[i]);
            const auto [r, c] = nameCell(subjectRows, subjectLines[i]);
            const auto [firstR, firstC] = nameCell(subjectRows, subjectLines[first]);
            reportRepeatedSubject(out, r, c, static_cast<std::int32_t>(i), firstR, firstC,
                                  firstOfName[i]);
        }
    }
    GroupIds ids;
    readWideCells(table, rows.data(), rows.size(), columns.data(), columns.size(), subjectRows, ids,
                  out);
}

ImportedStudy importStudy(const Table& table, const ImportSettings& settings) {
    ImportCollector out(settings.missing);
    switch (settings.layout) {
    case TableLayout::SubjectRows:
    case TableLayout::StimulusRows:
        readWide(table, settings, out);
        break;
    case TableLayout::Long:
        readLong(table, settings, out);
        break;
    case TableLayout::GroupRows:
        readGroupRows(table, settings, out);
        break;
    }
    return out.finish();
}

} // namespace dissim
