#include "import_problems.h"

#include "group_key.h"
#include "item_text.h"

#include <string>

namespace dissim {

namespace {

using Kind = ImportProblem::Kind;

} // namespace

void reportUnsortedCell(ImportCollector& out, std::size_t row, std::size_t column,
                        std::string_view trimmed, std::int32_t subject, std::size_t stimulus) {
    if (!out.listsMore()) {
        return out.problem(Kind::Unsorted, {}, {}, subject);
    }
    std::string place = cellName(row, column);
    std::string text = place + (trimmed.empty() ? " is empty" : " holds NA") + ": subject " +
                       inQuotes(out.subjectName(subject)) + " did not sort stimulus " +
                       inQuotes(out.stimulusName(stimulus));
    out.problem(Kind::Unsorted, std::move(place), std::move(text), subject);
}

void reportRepeatedSubject(ImportCollector& out, std::size_t row, std::size_t column,
                           std::int32_t subject, std::size_t firstRow, std::size_t firstColumn,
                           std::int32_t first) {
    const std::string place = cellName(row, column);
    const std::string firstPlace = cellName(firstRow, firstColumn);
    out.problem(Kind::RepeatedSubject, place,
                place + " names subject " + inQuotes(out.subjectName(subject)) +
                    " again (first in " + firstPlace + ").",
                subject);
    out.problem(Kind::RepeatedSubject, firstPlace,
                firstPlace + " names subject " + inQuotes(out.subjectName(first)) + ", whom " +
                    place + " names again.",
                first);
}

void reportNoSubject(ImportCollector& out, std::size_t row, std::size_t subjectColumn) {
    if (!out.listsMore()) {
        return out.problem(Kind::NoSubject, {}, {}, -1);
    }
    out.problem(Kind::NoSubject, rowName(row),
                rowName(row) + " has no subject: " + cellName(row, subjectColumn) + " is empty.",
                -1);
}

void reportNoStimulus(ImportCollector& out, std::size_t row, std::size_t stimulusColumn,
                      std::int32_t subject) {
    if (!out.listsMore()) {
        return out.problem(Kind::Layout, {}, {}, subject);
    }
    std::string place = cellName(row, stimulusColumn);
    std::string text = place + " is empty: " + rowName(row) + " of subject " +
                       inQuotes(out.subjectName(subject)) + " names no stimulus.";
    out.problem(Kind::Layout, std::move(place), std::move(text), subject);
}

void reportLongConflict(ImportCollector& out, const Table& table, std::size_t row,
                        std::size_t firstRow, std::size_t groupColumn, std::int32_t subject,
                        std::size_t stimulus) {
    if (!out.listsMore()) {
        return out.problem(Kind::Conflict, {}, {}, subject);
    }
    std::string place = cellName(row, groupColumn);
    std::string text = place + " puts stimulus " + inQuotes(out.stimulusName(stimulus)) +
                       " of subject " + inQuotes(out.subjectName(subject)) + " into group " +
                       inQuotes(trimmedCell(table.cell(row, groupColumn))) + ", but " +
                       cellName(firstRow, groupColumn) + " puts it into group " +
                       inQuotes(trimmedCell(table.cell(firstRow, groupColumn))) + ".";
    out.problem(Kind::Conflict, std::move(place), std::move(text), subject);
}

void reportNotListed(ImportCollector& out, std::size_t firstRow, std::int32_t subject,
                     std::size_t stimulus) {
    if (!out.listsMore()) {
        return out.problem(Kind::Unsorted, {}, {}, subject);
    }
    std::string place = rowName(firstRow);
    std::string text = "No row of subject " + inQuotes(out.subjectName(subject)) + " (first in " +
                       place + ") lists stimulus " + inQuotes(out.stimulusName(stimulus)) + ".";
    out.problem(Kind::Unsorted, std::move(place), std::move(text), subject);
}

void reportNotZeroOne(ImportCollector& out, std::size_t row, std::size_t column,
                      std::string_view trimmed, std::int32_t subject) {
    if (!out.listsMore()) {
        return out.problem(Kind::Layout, {}, {}, subject);
    }
    std::string place = cellName(row, column);
    std::string text = place + " holds " + inQuotes(trimmed) +
                       " where 1 (in the group) or 0 (not in it) is expected.";
    out.problem(Kind::Layout, std::move(place), std::move(text), subject);
}

void reportSecondGroup(ImportCollector& out, std::size_t row, std::size_t column,
                       std::size_t firstRow, std::int32_t subject, std::size_t stimulus) {
    if (!out.listsMore()) {
        return out.problem(Kind::Conflict, {}, {}, subject);
    }
    std::string place = cellName(row, column);
    std::string text = place + " puts stimulus " + inQuotes(out.stimulusName(stimulus)) +
                       " into a second group of subject " + inQuotes(out.subjectName(subject)) +
                       " (the first is " + rowName(firstRow) + ").";
    out.problem(Kind::Conflict, std::move(place), std::move(text), subject);
}

void reportInNoGroup(ImportCollector& out, std::size_t column, std::int32_t subject,
                     std::size_t stimulus) {
    if (!out.listsMore()) {
        return out.problem(Kind::Unsorted, {}, {}, subject);
    }
    const std::string name = columnName(column);
    out.problem(Kind::Unsorted, "column " + name,
                "Subject " + inQuotes(out.subjectName(subject)) + " put stimulus " +
                    inQuotes(out.stimulusName(stimulus)) + " (column " + name + ") into no group.",
                subject);
}

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
    // Settings that pair every row with a subject and a stimulus of its own make a study of
    // rows x rows cells: refused before room is taken for them, as no study is that large.
    if (subjects > 0 && stimuli > kMaxStudyCells / subjects) {
        out.problem(Kind::Layout, {},
                    "The table would hold " + std::to_string(subjects) + " subjects and " +
                        std::to_string(stimuli) +
                        " stimuli, more than a study can: choose the layout and its columns again.",
                    -1);
        return;
    }
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

} // namespace dissim
