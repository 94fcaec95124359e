#pragma once

#include "table.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace dissim {

// A study's table turned into what the run reads: every subject's group code per stimulus, in
// the order the matrices use. The table may be laid out in any of the ways researchers keep
// sort data; the settings say how, and can be guessed from the table. No toolkit, no files.

enum class TableLayout {
    SubjectRows,  // one row per subject, one column per stimulus
    StimulusRows, // one row per stimulus, one column per subject
    Long,         // one row per subject and stimulus: subject, stimulus and group columns
    GroupRows,    // one row per group: a subject column and a 0/1 column per stimulus
};

// What happens to missing and contradictory data.
enum class MissingData {
    Stop,     // every problem refuses the import until the table is mended
    OwnGroup, // each unsorted stimulus is a group of its own; other problems still refuse
    LeaveOut, // the subjects concerned are left out (rows with no subject are skipped)
};

struct ImportSettings {
    TableLayout layout = TableLayout::SubjectRows;
    // The wide layouts (subject or stimulus rows): names in the first row and first column.
    // Long and group layouts: namesInFirstRow says the first row holds the columns' names.
    bool namesInFirstRow = false;
    bool namesInFirstColumn = false;
    // Long and group layouts, columns counted from 0; -1 where none is chosen.
    int subjectColumn = -1;
    int stimulusColumn = -1; // long
    int groupColumn = -1;    // long
    // Group layout: the 0/1 columns, one per stimulus, in the order they stand.
    std::vector<int> stimulusColumns;
    MissingData missing = MissingData::Stop;
    bool operator==(const ImportSettings&) const = default;
};

// One problem of the table, located as a spreadsheet names cells.
struct ImportProblem {
    enum class Kind {
        Unsorted,        // an empty cell; a stimulus in no group, or missing from a subject's rows
        Conflict,        // a stimulus listed twice with different groups, or in two groups
        NoSubject,       // a row with no subject
        RepeatedSubject, // a subject who appears twice (wide layouts)
        Layout,          // the settings do not fit the table (no stimulus column, ...)
    };
    Kind kind = Kind::Layout;
    std::string place;   // "C7", "row 35", "column D"; empty for the table as a whole
    std::string text;    // the whole sentence, place included, for the dialog
    std::string subject; // the subject concerned, by name; empty where none
};

// The most problems an import lists one by one; past them they are only counted
// (ImportedStudy::problemCount), so that a table of empty cells costs no more than a full one.
inline constexpr std::size_t kMaxListedProblems = 1000;

// The most cells (subjects x stimuli) a study may have: settings that pair each row with a
// subject and a stimulus of its own would otherwise take rows x rows of memory.
inline constexpr std::size_t kMaxStudyCells = std::size_t{1} << 25;

// How the cells are read (engine/group_key.h): a cell's text without the spaces around it; a
// code that is a number compares as a number, any other text as written; an empty cell, or NA
// as statistics programs write a missing value, is no group (the stimulus is unsorted). Rows and
// columns with nothing in them are skipped. Names are trimmed; an empty name is the subject's
// or stimulus's number, as where the table names none. The stimuli are in the table's order,
// except in the long layout, where each subject lists them in an order of their own: there they
// are in natural order ("card 2" before "card 10").
struct ImportedStudy {
    // The subjects kept (all but those left out), by name, or "1", "2", ... where the table
    // names none.
    std::vector<std::string> subjects;
    std::vector<std::string> stimuli; // likewise, in the order the matrices use
    // subjects.size() x stimuli.size() codes, subject by subject: within one subject two stimuli
    // share a code exactly when they share a group. Codes count from 1 per subject, in the
    // order the groups first appear over the stimuli. Empty when the import is refused.
    std::vector<std::int16_t> codes;
    // Every problem, whatever the choice: the first kMaxListedProblems of them, in table order
    // as far as the layout allows; problemCount counts them all.
    std::vector<ImportProblem> problems;
    std::size_t problemCount = 0;
    std::vector<std::string> leftOut; // subjects left out by MissingData::LeaveOut
    bool usable = false;              // false: the import is refused (see refusal)
    std::string refusal;              // why, when not usable
    // How the groups were given: all as numbers (from lowestGroup to highestGroup), or as words.
    bool numericGroups = true;
    double lowestGroup = 0;
    double highestGroup = 0;
    // Group rows: each group is a row of the table, and no code is given.
    bool groupsAsRows = false;
};

// The settings that fit the table best, from its first rows; the counts typed at step 1 (0
// where none) help tell subject rows from stimulus rows. The first row names the columns when
// its cells are filled (the top-left one may be empty) and it says so: words of the trade
// ("subject", "stimulus", "group", ...), text over numbers, or an empty top-left cell before
// distinct names. Group rows: two or more columns of 0/1 and a column whose values repeat (the
// subject). Long: two columns every pair of whose values appears about once (subject and
// stimulus; the subject is the one whose rows follow each other, or says so) and a group column
// (called so, or the first other column whose values repeat). Otherwise a wide layout, the
// first column naming the rows when its names are distinct after a header, or text beside
// numbers; rows are stimuli where the typed counts say so, else where the top-left cell, the
// first row or the first column says so in words, else where both names are given (the field's
// packages' layout); subject rows else (the run's own layout). Missing data: Stop.
ImportSettings guessImportSettings(const Table& table, std::int64_t typedSubjects,
                                   std::int64_t typedStimuli);

// The study the table holds under these settings. Never throws for anything the table holds:
// what does not fit is a problem of the study. Refused (usable false) under Stop for any
// problem; under OwnGroup for any but unsorted stimuli and rows with no subject; always for
// settings that do not fit the table, for no subject left, and past 32767 subjects (what the
// count matrix can count).
ImportedStudy importStudy(const Table& table, const ImportSettings& settings);

// "42 subjects, 10 stimuli; groups given as numbers 1 to 8" (or "... as words").
std::string foundText(const ImportedStudy& study);

// How the table is read, for the input label's detail: "rows are stimuli, the first row names
// the subjects: 42 subjects, 10 stimuli", and the choice for missing data where it mattered.
std::string readingText(const ImportSettings& settings, const ImportedStudy& study);

// The stimulus names, one per line, each line ended by a line feed: the list a researcher
// labels a map with.
std::string stimulusListText(const ImportedStudy& study);

} // namespace dissim
