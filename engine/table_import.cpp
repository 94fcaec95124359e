#include "table_import.h"

#include "group_key.h"
#include "import_collector.h"
#include "name_index.h"
#include "natural_order.h"

#include <algorithm>
#include <numeric>
#include <string_view>
#include <unordered_map>

namespace dissim {

namespace {

using Kind = ImportProblem::Kind;

std::string quoted(std::string_view text) {
    std::string result = "\"";
    result.append(text);
    result += '"';
    return result;
}

bool rowIsEmpty(const Table& table, std::size_t row) {
    for (std::size_t c = 0; c < table.cellsIn(row); ++c) {
        if (!trimmedCell(table.cell(row, c)).empty()) {
            return false;
        }
    }
    return true;
}

// "C7 is empty: subject "J2" did not sort stimulus "apple"".
void unsortedCell(ImportCollector& out, std::size_t row, std::size_t column,
                  std::string_view trimmed, std::int32_t subject, std::size_t stimulus) {
    std::string place = cellName(row, column);
    std::string text = place + (trimmed.empty() ? " is empty" : " holds NA") + ": subject " +
                       quoted(out.subjectName(subject)) + " did not sort stimulus " +
                       quoted(out.stimulusName(stimulus));
    out.problem(Kind::Unsorted, std::move(place), std::move(text), subject);
}

// The settings' columns for the long and group layouts: each chosen, within the table and
// none chosen twice. Reports what does not fit; true when all do.
bool columnsFit(const Table& table, const std::vector<std::pair<const char*, int>>& columns,
                ImportCollector& out) {
    bool fit = true;
    std::vector<std::size_t> chosenBy(table.columns(), 0); // the choice's index + 1
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const auto [what, column] = columns[i];
        if (column < 0) {
            out.problem(Kind::Layout, {}, std::string("No ") + what + " column is chosen.", -1);
            fit = false;
            continue;
        }
        const auto place = columnName(static_cast<std::size_t>(column));
        if (static_cast<std::size_t>(column) >= table.columns()) {
            out.problem(Kind::Layout, "column " + place,
                        "The " + std::string(what) + " column, column " + place +
                            ", is past the table's last column.",
                        -1);
            fit = false;
            continue;
        }
        std::size_t& chooser = chosenBy[static_cast<std::size_t>(column)];
        if (chooser != 0) {
            const std::string before = columns[chooser - 1].first;
            out.problem(Kind::Layout, "column " + place,
                        before == what
                            ? "The " + before + " columns include column " + place + " twice."
                            : "The " + before + " column and the " + what +
                                  " column are both column " + place + ".",
                        -1);
            fit = false;
            continue;
        }
        chooser = i + 1;
    }
    return fit;
}

void needStudy(std::size_t subjects, std::size_t stimuli, ImportCollector& out) {
    if (subjects == 0) {
        out.problem(Kind::Layout, {}, "The table holds no subject.", -1);
    }
    if (stimuli < 2) {
        out.problem(Kind::Layout, {},
                    "The table holds " + std::to_string(stimuli) +
                        (stimuli == 1 ? " stimulus" : " stimuli") + "; a study needs at least 2.",
                    -1);
    }
}

// Interns the subjects of the long and group layouts in the order they first appear.
class SubjectIndex {
public:
    explicit SubjectIndex(ImportCollector& out) : out_(out) {}
    std::int32_t of(std::string_view name) {
        if (last_ >= 0 && name == lastName_) { // a subject's rows mostly follow each other
            return last_;
        }
        const auto [number, added] = index_.insert(name);
        if (added) {
            out_.addSubject(name); // numbered as the index numbers it
        }
        lastName_ = name;
        last_ = number;
        return last_;
    }

private:
    ImportCollector& out_;
    NameIndex index_;
    std::string_view lastName_;
    std::int32_t last_ = -1;
};

// The subject of each row, or -1 for a row skipped (the names row, an empty row, a row with no
// subject, which is a problem).
std::vector<std::int32_t> rowSubjects(const Table& table, std::size_t firstRow,
                                      std::size_t subjectColumn, ImportCollector& out) {
    SubjectIndex subjects(out);
    std::vector<std::int32_t> result(table.rows(), -1);
    for (std::size_t r = firstRow; r < table.rows(); ++r) {
        const std::string_view name = trimmedCell(table.cell(r, subjectColumn));
        if (!name.empty()) {
            result[r] = subjects.of(name);
        } else if (!rowIsEmpty(table, r)) {
            out.problem(
                Kind::NoSubject, rowName(r),
                rowName(r) + " has no subject: " + cellName(r, subjectColumn) + " is empty.", -1);
        }
    }
    return result;
}

void readWide(const Table& table, const ImportSettings& settings, ImportCollector& out) {
    const bool subjectRows = settings.layout == TableLayout::SubjectRows;
    const std::size_t firstRow = settings.namesInFirstRow ? 1 : 0;
    const std::size_t firstColumn = settings.namesInFirstColumn ? 1 : 0;
    // Rows and columns with nothing in them at all are no subject and no stimulus: spreadsheets
    // leave them at the ends of a table.
    std::vector<char> rowUsed(table.rows(), 0);
    std::vector<char> columnUsed(table.columns(), 0);
    for (std::size_t r = 0; r < table.rows(); ++r) {
        for (std::size_t c = 0; c < table.cellsIn(r); ++c) {
            if (!trimmedCell(table.cell(r, c)).empty()) {
                rowUsed[r] = columnUsed[c] = 1;
            }
        }
    }
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
    const auto nameCell = [&](bool isRow, std::size_t line) -> std::pair<std::size_t, std::size_t> {
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
        if (firstOfName[i] < 0) {
            continue;
        }
        const auto first = static_cast<std::size_t>(firstOfName[i]);
        const auto [r, c] = nameCell(subjectRows, subjectLines[i]);
        const auto [firstR, firstC] = nameCell(subjectRows, subjectLines[first]);
        std::string place = cellName(r, c);
        std::string text = place + " names subject " +
                           quoted(out.subjectName(static_cast<std::int32_t>(i))) +
                           " again (first in " + cellName(firstR, firstC) + ").";
        out.problem(Kind::RepeatedSubject, std::move(place), std::move(text),
                    static_cast<std::int32_t>(i));
        out.problem(Kind::RepeatedSubject, cellName(firstR, firstC),
                    cellName(firstR, firstC) + " names subject " +
                        quoted(out.subjectName(static_cast<std::int32_t>(first))) + ", whom " +
                        cellName(r, c) + " names again.",
                    static_cast<std::int32_t>(first));
    }
    // In the table's order, row by row: the cells are read where they lie.
    GroupIds ids;
    for (std::size_t a = 0; a < rows.size(); ++a) {
        for (std::size_t b = 0; b < columns.size(); ++b) {
            const auto subject = static_cast<std::int32_t>(subjectRows ? a : b);
            const std::size_t stimulus = subjectRows ? b : a;
            const std::string_view code = trimmedCell(table.cell(rows[a], columns[b]));
            if (isMissingCode(code)) {
                unsortedCell(out, rows[a], columns[b], code, subject, stimulus);
                continue;
            }
            const GroupKey key = groupKeyOf(code);
            out.group(subject, stimulus) = ids.id(key);
            out.noteCode(subject, key);
        }
    }
}

void readLong(const Table& table, const ImportSettings& settings, ImportCollector& out) {
    if (!columnsFit(table,
                    {{"subject", settings.subjectColumn},
                     {"stimulus", settings.stimulusColumn},
                     {"group", settings.groupColumn}},
                    out)) {
        return;
    }
    const auto subjectColumn = static_cast<std::size_t>(settings.subjectColumn);
    const auto stimulusColumn = static_cast<std::size_t>(settings.stimulusColumn);
    const auto groupColumn = static_cast<std::size_t>(settings.groupColumn);
    const std::size_t firstRow = settings.namesInFirstRow ? 1 : 0;
    const std::vector<std::int32_t> rowSubject = rowSubjects(table, firstRow, subjectColumn, out);

    // Each row's stimulus as first met (later put in natural order: each subject's cards are
    // shuffled) and its group (0 for none).
    NameIndex stimulusIndex;
    std::vector<std::string_view> metStimuli;
    std::vector<std::int32_t> rowStimulus(table.rows(), -1);
    std::vector<std::int32_t> rowGroup(table.rows(), 0);
    std::vector<std::uint32_t> subjectFirstRow(out.subjects(), 0);
    std::string_view lastName;
    std::int32_t last = -1;
    GroupIds ids;
    for (std::size_t r = firstRow; r < table.rows(); ++r) {
        const std::int32_t subject = rowSubject[r];
        if (subject < 0) {
            continue;
        }
        if (subjectFirstRow[static_cast<std::size_t>(subject)] == 0) {
            subjectFirstRow[static_cast<std::size_t>(subject)] = static_cast<std::uint32_t>(r) + 1;
        }
        const std::string_view name = trimmedCell(table.cell(r, stimulusColumn));
        if (name.empty()) {
            out.problem(Kind::Layout, cellName(r, stimulusColumn),
                        cellName(r, stimulusColumn) + " is empty: " + rowName(r) + " of subject " +
                            quoted(out.subjectName(subject)) + " names no stimulus.",
                        subject);
            continue;
        }
        if (last < 0 || name != lastName) {
            const auto [number, added] = stimulusIndex.insert(name);
            if (added) {
                metStimuli.push_back(name);
            }
            last = number;
            lastName = name;
        }
        rowStimulus[r] = last;
        const std::string_view code = trimmedCell(table.cell(r, groupColumn));
        if (!isMissingCode(code)) {
            const GroupKey key = groupKeyOf(code);
            rowGroup[r] = ids.id(key);
            out.noteCode(subject, key);
        }
    }
    needStudy(out.subjects(), metStimuli.size(), out);
    if (out.settingsMisfit()) {
        return;
    }
    std::vector<std::int32_t> order(metStimuli.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) {
        return naturalLess(metStimuli[static_cast<std::size_t>(a)],
                           metStimuli[static_cast<std::size_t>(b)]);
    });
    std::vector<std::int32_t> place(metStimuli.size());
    std::vector<std::string> stimuli;
    for (std::size_t i = 0; i < order.size(); ++i) {
        place[static_cast<std::size_t>(order[i])] = static_cast<std::int32_t>(i);
        stimuli.emplace_back(metStimuli[static_cast<std::size_t>(order[i])]);
    }
    const std::size_t n = stimuli.size();
    out.setStimuli(std::move(stimuli));

    // Every subject's group of every stimulus, row by row. listedAt: the row (+ 1) that gave
    // the stimulus its group, or else the first that lists it without one.
    std::vector<std::uint32_t> listedAt(out.subjects() * n, 0);
    for (std::size_t r = firstRow; r < table.rows(); ++r) {
        if (rowStimulus[r] < 0) {
            continue;
        }
        const std::int32_t subject = rowSubject[r];
        const auto j = static_cast<std::size_t>(place[static_cast<std::size_t>(rowStimulus[r])]);
        std::uint32_t& listed = listedAt[static_cast<std::size_t>(subject) * n + j];
        std::int32_t& given = out.group(subject, j);
        const std::int32_t group = rowGroup[r];
        if (group == 0) {
            listed = listed == 0 ? static_cast<std::uint32_t>(r) + 1 : listed;
        } else if (given == 0) {
            given = group;
            listed = static_cast<std::uint32_t>(r) + 1;
        } else if (given != group) {
            std::string cell = cellName(r, groupColumn);
            const std::size_t firstGiven = listed - 1;
            std::string text = cell + " puts stimulus " + quoted(out.stimulusName(j)) +
                               " of subject " + quoted(out.subjectName(subject)) + " into group " +
                               quoted(trimmedCell(table.cell(r, groupColumn))) + ", but " +
                               cellName(firstGiven, groupColumn) + " puts it into group " +
                               quoted(trimmedCell(table.cell(firstGiven, groupColumn))) + ".";
            out.problem(Kind::Conflict, std::move(cell), std::move(text), subject);
        }
    }
    for (std::size_t s = 0; s < out.subjects(); ++s) {
        const auto subject = static_cast<std::int32_t>(s);
        for (std::size_t j = 0; j < n; ++j) {
            if (out.group(subject, j) != 0) {
                continue;
            }
            if (const std::uint32_t listed = listedAt[s * n + j]; listed != 0) {
                const std::size_t r = listed - 1;
                unsortedCell(out, r, groupColumn, trimmedCell(table.cell(r, groupColumn)), subject,
                             j);
                continue;
            }
            const std::string first = rowName(subjectFirstRow[s] - 1);
            out.problem(Kind::Unsorted, first,
                        "No row of subject " + quoted(out.subjectName(subject)) + " (first in " +
                            first + ") lists stimulus " + quoted(out.stimulusName(j)) + ".",
                        subject);
        }
    }
}

void readGroupRows(const Table& table, const ImportSettings& settings, ImportCollector& out) {
    std::vector<std::pair<const char*, int>> columns{{"subject", settings.subjectColumn}};
    for (const int column : settings.stimulusColumns) {
        columns.emplace_back("stimulus", column);
    }
    if (!columnsFit(table, columns, out)) {
        return;
    }
    out.groupsAreRows();
    const auto subjectColumn = static_cast<std::size_t>(settings.subjectColumn);
    const std::size_t firstRow = settings.namesInFirstRow ? 1 : 0;
    const std::vector<std::int32_t> rowSubject = rowSubjects(table, firstRow, subjectColumn, out);
    needStudy(out.subjects(), settings.stimulusColumns.size(), out);
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
    const std::size_t n = settings.stimulusColumns.size();
    for (std::size_t r = firstRow; r < table.rows(); ++r) {
        const std::int32_t subject = rowSubject[r];
        if (subject < 0) {
            continue;
        }
        for (std::size_t j = 0; j < n; ++j) {
            const auto c = static_cast<std::size_t>(settings.stimulusColumns[j]);
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
                    std::string cell = cellName(r, c);
                    std::string text = cell + " holds " + quoted(mark) +
                                       " where 1 (in the group) or 0 (not in it) is expected.";
                    out.problem(Kind::Layout, std::move(cell), std::move(text), subject);
                    continue;
                }
            }
            std::int32_t& given = out.group(subject, j);
            if (given == 0) {
                given = static_cast<std::int32_t>(r) + 1;
                continue;
            }
            std::string cell = cellName(r, c);
            std::string text = cell + " puts stimulus " + quoted(out.stimulusName(j)) +
                               " into a second group of subject " +
                               quoted(out.subjectName(subject)) + " (the first is " +
                               rowName(static_cast<std::size_t>(given) - 1) + ").";
            out.problem(Kind::Conflict, std::move(cell), std::move(text), subject);
        }
    }
    for (std::size_t s = 0; s < out.subjects(); ++s) {
        const auto subject = static_cast<std::int32_t>(s);
        for (std::size_t j = 0; j < n; ++j) {
            if (out.group(subject, j) == 0) {
                const std::string column =
                    columnName(static_cast<std::size_t>(settings.stimulusColumns[j]));
                out.problem(Kind::Unsorted, "column " + column,
                            "Subject " + quoted(out.subjectName(subject)) + " put stimulus " +
                                quoted(out.stimulusName(j)) + " (column " + column +
                                ") into no group.",
                            subject);
            }
        }
    }
}

} // namespace

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
