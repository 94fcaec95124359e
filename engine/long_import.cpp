// The long layout: one row per subject and stimulus, with the subject, the stimulus and the
// group in columns of their own, and the subjects' rows in any order.

#include "group_key.h"
#include "import_layouts.h"
#include "import_problems.h"
#include "natural_order.h"

#include <algorithm>
#include <numeric>

namespace dissim {

namespace {

struct LongColumns {
    std::size_t subject;
    std::size_t stimulus;
    std::size_t group;
};

// Each row's stimulus as first met and its group (0 for none), and each subject's first row
// (+ 1).
[[gnu::noinline]] void readLongRows(const Table& table, std::size_t firstRow,
                                    const LongColumns& columns, const std::int32_t* rowSubject,
                                    NameIndex& stimulusIndex,
                                    std::vector<std::string_view>& metStimuli,
                                    std::int32_t* rowStimulus, std::int32_t* rowGroup,
                                    std::uint32_t* subjectFirstRow, GroupIds& ids,
                                    ImportCollector& out) {
    std::string_view lastName;
    std::int32_t last = -1;
    for (std::size_t r = firstRow; r < table.rows(); ++r) {
        const std::int32_t subject = rowSubject[r];
        if (subject < 0) {
            continue;
        }
        std::uint32_t& first = subjectFirstRow[static_cast<std::size_t>(subject)];
        first = first == 0 ? static_cast<std::uint32_t>(r) + 1 : first;
        const std::string_view name = trimmedCell(table.cell(r, columns.stimulus));
        if (name.empty()) {
            reportNoStimulus(out, r, columns.stimulus, subject);
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
        const std::string_view code = trimmedCell(table.cell(r, columns.group));
        if (!isMissingCode(code)) {
            const GroupKey key = groupKeyOf(code);
            rowGroup[r] = ids.id(key);
            out.noteCode(subject, key);
        }
    }
}

// Every subject's group of every stimulus, row by row. listedAt: the row (+ 1) that gave the
// stimulus its group, or else the first that lists it without one.
[[gnu::noinline]] void giveGroups(const Table& table, std::size_t firstRow, std::size_t groupColumn,
                                  const std::int32_t* rowSubject, const std::int32_t* rowStimulus,
                                  const std::int32_t* rowGroup, const std::int32_t* place,
                                  std::size_t n, std::uint32_t* listedAt, ImportCollector& out) {
    for (std::size_t r = firstRow; r < table.rows(); ++r) {
        if (rowStimulus[r] < 0) {
            continue;
        }
        const std::int32_t subject = rowSubject[r];
        const auto j = static_cast<std::size_t>(place[rowStimulus[r]]);
        std::uint32_t& listed = listedAt[static_cast<std::size_t>(subject) * n + j];
        std::int32_t& given = out.group(subject, j);
        const std::int32_t group = rowGroup[r];
        if (group == 0) {
            listed = listed == 0 ? static_cast<std::uint32_t>(r) + 1 : listed;
        } else if (given == 0) {
            given = group;
            listed = static_cast<std::uint32_t>(r) + 1;
        } else if (given != group) {
            reportLongConflict(out, table, r, listed - 1, groupColumn, subject, j);
        }
    }
}

// The stimuli each subject gave no group: listed without one, or never listed.
[[gnu::noinline]] void findUnsorted(const Table& table, std::size_t groupColumn, std::size_t n,
                                    const std::uint32_t* listedAt,
                                    const std::uint32_t* subjectFirstRow, ImportCollector& out) {
    for (std::size_t s = 0; s < out.subjects(); ++s) {
        const auto subject = static_cast<std::int32_t>(s);
        for (std::size_t j = 0; j < n; ++j) {
            if (out.group(subject, j) != 0) {
                continue;
            }
            if (const std::uint32_t listed = listedAt[s * n + j]; listed != 0) {
                const std::size_t r = listed - 1;
                reportUnsortedCell(out, r, groupColumn, trimmedCell(table.cell(r, groupColumn)),
                                   subject, j);
            } else {
                reportNotListed(out, subjectFirstRow[s] - 1, subject, j);
            }
        }
    }
}

} // namespace

void rowSubjects(const Table& table, std::size_t firstRow, std::size_t subjectColumn,
                 SubjectIndex& subjects, std::int32_t* result, ImportCollector& out) {
    for (std::size_t r = firstRow; r < table.rows(); ++r) {
        const std::string_view name = trimmedCell(table.cell(r, subjectColumn));
        if (!name.empty()) {
            result[r] = subjects.of(name);
            continue;
        }
        for (std::size_t c = 0; c < table.cellsIn(r); ++c) {
            if (!trimmedCell(table.cell(r, c)).empty()) {
                reportNoSubject(out, r, subjectColumn);
                break;
            }
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
    const LongColumns columns{static_cast<std::size_t>(settings.subjectColumn),
                              static_cast<std::size_t>(settings.stimulusColumn),
                              static_cast<std::size_t>(settings.groupColumn)};
    const std::size_t firstRow = settings.namesInFirstRow ? 1 : 0;
    std::vector<std::int32_t> rowSubject(table.rows(), -1);
    SubjectIndex subjects(out);
    rowSubjects(table, firstRow, columns.subject, subjects, rowSubject.data(), out);

    NameIndex stimulusIndex;
    std::vector<std::string_view> metStimuli;
    std::vector<std::int32_t> rowStimulus(table.rows(), -1);
    std::vector<std::int32_t> rowGroup(table.rows(), 0);
    std::vector<std::uint32_t> subjectFirstRow(out.subjects(), 0);
    GroupIds ids;
    readLongRows(table, firstRow, columns, rowSubject.data(), stimulusIndex, metStimuli,
                 rowStimulus.data(), rowGroup.data(), subjectFirstRow.data(), ids, out);
    needStudy(out.subjects(), metStimuli.size(), out);
    if (out.settingsMisfit()) {
        return;
    }
    // The stimuli in natural order: each subject lists them in an order of their own.
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

    std::vector<std::uint32_t> listedAt(out.subjects() * n, 0);
    giveGroups(table, firstRow, columns.group, rowSubject.data(), rowStimulus.data(),
               rowGroup.data(), place.data(), n, listedAt.data(), out);
    findUnsorted(table, columns.group, n, listedAt.data(), subjectFirstRow.data(), out);
}

} // namespace dissim
