#pragma once

#include "import_collector.h"
#include "table.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace dissim {

// The problems an import reports, each as one sentence that names its place as a spreadsheet
// does. Kept out of line, away from the loops over a table's cells: a loop that builds no text
// itself holds no objects to clean up, which keeps its calls cheap where exceptions are thrown
// through JavaScript (WebAssembly).

// "C7 is empty: subject "J2" did not sort stimulus "apple"" (or "C7 holds NA: ...").
void reportUnsortedCell(ImportCollector& out, std::size_t row, std::size_t column,
                        std::string_view trimmed, std::int32_t subject, std::size_t stimulus);
// A subject named again at (row, column), first named at (firstRow, firstColumn).
void reportRepeatedSubject(ImportCollector& out, std::size_t row, std::size_t column,
                           std::int32_t subject, std::size_t firstRow, std::size_t firstColumn,
                           std::int32_t first);
void reportNoSubject(ImportCollector& out, std::size_t row, std::size_t subjectColumn);
void reportNoStimulus(ImportCollector& out, std::size_t row, std::size_t stimulusColumn,
                      std::int32_t subject);
// Long: the stimulus's group at row differs from the one given at firstRow.
void reportLongConflict(ImportCollector& out, const Table& table, std::size_t row,
                        std::size_t firstRow, std::size_t groupColumn, std::int32_t subject,
                        std::size_t stimulus);
// Long: no row of the subject (the first of which is firstRow) lists the stimulus.
void reportNotListed(ImportCollector& out, std::size_t firstRow, std::int32_t subject,
                     std::size_t stimulus);
// Group rows: a cell that is neither 0 nor 1; the stimulus in a second group; in none.
void reportNotZeroOne(ImportCollector& out, std::size_t row, std::size_t column,
                      std::string_view trimmed, std::int32_t subject);
void reportSecondGroup(ImportCollector& out, std::size_t row, std::size_t column,
                       std::size_t firstRow, std::int32_t subject, std::size_t stimulus);
void reportInNoGroup(ImportCollector& out, std::size_t column, std::int32_t subject,
                     std::size_t stimulus);

// The settings' columns for the long and group layouts, each with what it is for: each chosen,
// within the table and none chosen twice. Reports what does not fit; true when all do.
bool columnsFit(const Table& table, const std::vector<std::pair<const char*, int>>& columns,
                ImportCollector& out);
// Reports a table with no subject or fewer than 2 stimuli.
void needStudy(std::size_t subjects, std::size_t stimuli, ImportCollector& out);

} // namespace dissim
