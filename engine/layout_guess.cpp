// The guess of how a table holds a study, for the Import dialog's first view: the layout, the
// rows and columns of names and the columns of the long and group layouts. Only a first part
// of a large table is looked at, so that the guess costs little whatever the table's size; the
// researcher corrects what it gets wrong.

#include "group_key.h"
#include "table_import.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace dissim {

namespace {

// The rows looked at: up to 2000, fewer in a wide table (about 200000 cells).
constexpr std::size_t kSampleRows = 2000;
constexpr std::size_t kSampleCells = 200000;
constexpr std::size_t kSampleColumns = 1000;
// A long table is no wider than this, nor has a group table more columns other than its 0/1
// ones.
constexpr std::size_t kLongColumns = 64;

enum class CellKind { Empty, Number, Text };

CellKind kindOf(std::string_view cell) {
    const std::string_view trimmed = trimmedCell(cell);
    if (trimmed.empty()) {
        return CellKind::Empty;
    }
    return groupKeyOf(trimmed).isNumber ? CellKind::Number : CellKind::Text;
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isLetter(char c) {
    return lower(c) >= 'a' && lower(c) <= 'z';
}

// Whether a word of the cell (a run of letters) starts with one of the stems; a stem of two
// letters ("id") must be the whole word.
bool hasWord(std::string_view cell, std::initializer_list<std::string_view> stems) {
    std::size_t i = 0;
    std::string word;
    while (i < cell.size()) {
        if (!isLetter(cell[i])) {
            ++i;
            continue;
        }
        word.clear();
        while (i < cell.size() && isLetter(cell[i])) {
            word += lower(cell[i]);
            ++i;
        }
        for (const std::string_view stem : stems) {
            if (word.starts_with(stem) && (stem.size() > 2 || word.size() == stem.size())) {
                return true;
            }
        }
    }
    return false;
}

bool namesSubjects(std::string_view cell) {
    return hasWord(cell, {"subj", "particip", "judge", "sorter", "respondent", "panelist",
                          "assessor", "person", "rater", "user"});
}

bool namesStimuli(std::string_view cell) {
    return hasWord(cell, {"stim", "item", "card", "product", "object", "word", "picture", "image",
                          "photo", "sample", "odo"});
}

bool namesGroups(std::string_view cell) {
    return hasWord(cell, {"group", "pile", "categor", "cluster", "class"});
}

// What a column holds in the rows looked at.
struct ColumnFacts {
    std::size_t filled = 0;   // non-empty cells
    std::size_t numbers = 0;  // of them numbers
    std::size_t distinct = 0; // distinct texts
    std::size_t runs = 0;     // runs of equal cells, one after the other
    bool zeroOne = true;      // every filled cell 0 or 1
    bool anyOne = false;
};

bool rowIsEmpty(const Table& table, std::size_t row) {
    for (std::size_t c = 0; c < table.cellsIn(row); ++c) {
        if (!trimmedCell(table.cell(row, c)).empty()) {
            return false;
        }
    }
    return true;
}

// The rows up to the last that holds anything: spreadsheets leave empty rows at the end.
std::size_t usedRows(const Table& table) {
    std::size_t rows = table.rows();
    while (rows > 0 && rowIsEmpty(table, rows - 1)) {
        --rows;
    }
    return rows;
}

// Likewise the columns up to the last that holds anything.
std::size_t usedColumns(const Table& table) {
    std::size_t columns = 0;
    for (std::size_t r = 0; r < table.rows(); ++r) {
        for (std::size_t c = table.cellsIn(r); c > columns; --c) {
            if (!trimmedCell(table.cell(r, c - 1)).empty()) {
                columns = c;
                break;
            }
        }
    }
    return columns;
}

class TableSample {
public:
    TableSample(const Table& table, std::size_t firstRow)
        : table_(table), first_(firstRow),
          end_(std::min(usedRows(table),
                        firstRow + std::clamp<std::size_t>(
                                       kSampleCells / std::max<std::size_t>(table.columns(), 1), 20,
                                       kSampleRows))) {}

    std::size_t rows() const { return end_ > first_ ? end_ - first_ : 0; }
    std::size_t begin() const { return first_; }
    std::size_t end() const { return end_; }

    // What the column holds; only counts where not full (no distinct texts, no runs).
    ColumnFacts column(std::size_t c, bool full = true) const {
        ColumnFacts facts;
        std::unordered_set<std::string_view> seen;
        std::string_view previous;
        bool first = true;
        for (std::size_t r = first_; r < end_; ++r) {
            const std::string_view cell = trimmedCell(table_.cell(r, c));
            if (full && (first || cell != previous)) {
                ++facts.runs;
            }
            first = false;
            previous = cell;
            if (cell.empty()) {
                continue;
            }
            ++facts.filled;
            if (full) {
                seen.insert(cell);
            }
            const GroupKey key = groupKeyOf(cell);
            facts.numbers += key.isNumber ? 1 : 0;
            if (!key.isNumber || (key.number != 0.0 && key.number != 1.0)) {
                facts.zeroOne = false;
            }
            facts.anyOne = facts.anyOne || (key.isNumber && key.number == 1.0);
        }
        facts.distinct = seen.size();
        return facts;
    }

    // How many rows hold distinct pairs of the two columns' cells.
    std::size_t distinctPairs(std::size_t a, std::size_t b) const {
        std::unordered_map<std::string_view, std::unordered_set<std::string_view>> pairs;
        std::size_t count = 0;
        for (std::size_t r = first_; r < end_; ++r) {
            count +=
                pairs[trimmedCell(table_.cell(r, a))].insert(trimmedCell(table_.cell(r, b))).second;
        }
        return count;
    }

private:
    const Table& table_;
    std::size_t first_;
    std::size_t end_;
};

bool allDistinct(const Table& table, std::size_t firstRow, std::size_t column) {
    std::unordered_set<std::string_view> seen;
    const std::size_t end = std::min(usedRows(table), firstRow + kSampleRows);
    for (std::size_t r = firstRow; r < end; ++r) {
        if (!seen.insert(trimmedCell(table.cell(r, column))).second) {
            return false;
        }
    }
    return true;
}

// The first row names the columns.
bool guessHeaderRow(const Table& table) {
    if (table.rows() < 2 || table.columns() < 2) {
        return false;
    }
    const std::size_t columns = std::min(table.columns(), kSampleColumns);
    std::size_t texts = 0;
    std::size_t numbers = 0;
    bool words = false;
    std::unordered_set<std::string_view> seen;
    for (std::size_t c = 0; c < columns; ++c) {
        const std::string_view cell = trimmedCell(table.cell(0, c));
        const CellKind kind = kindOf(cell);
        if (kind == CellKind::Empty && c > 0) {
            return false;
        }
        texts += kind == CellKind::Text;
        numbers += kind == CellKind::Number;
        words = words || namesSubjects(cell) || namesStimuli(cell) || namesGroups(cell);
        if (c > 0) {
            seen.insert(cell);
        }
    }
    const bool topLeftEmpty = trimmedCell(table.cell(0, 0)).empty();
    if (words || (topLeftEmpty && seen.size() == columns - 1)) {
        return true;
    }
    // Names above numbers: the first row mostly text where the rows below are mostly numbers,
    // or a column of text over numbers only.
    const TableSample body(table, 1);
    std::size_t bodyFilled = 0;
    std::size_t bodyNumbers = 0;
    bool textOverNumbers = false;
    for (std::size_t c = 0; c < columns; ++c) {
        const ColumnFacts facts = body.column(c, false);
        bodyFilled += facts.filled;
        bodyNumbers += facts.numbers;
        textOverNumbers = textOverNumbers || (kindOf(table.cell(0, c)) == CellKind::Text &&
                                              facts.filled > 0 && facts.numbers == facts.filled);
    }
    return (texts > numbers && bodyNumbers * 2 >= bodyFilled) || textOverNumbers;
}

// The first column names the rows (wide layouts).
bool guessNamesColumn(const Table& table, bool headerRow) {
    if (table.columns() < 2) {
        return false;
    }
    const std::size_t firstRow = headerRow ? 1 : 0;
    const TableSample body(table, firstRow);
    const ColumnFacts names = body.column(0);
    if (body.rows() == 0 || names.filled < body.rows()) {
        return false;
    }
    const std::string_view topLeft = trimmedCell(table.cell(0, 0));
    const bool distinct = allDistinct(table, firstRow, 0);
    if (headerRow && distinct &&
        (topLeft.empty() || namesSubjects(topLeft) || namesStimuli(topLeft))) {
        return true;
    }
    std::size_t filled = 0;
    std::size_t numbers = 0;
    for (std::size_t c = 1; c < std::min(table.columns(), kSampleColumns); ++c) {
        const ColumnFacts facts = body.column(c, false);
        filled += facts.filled;
        numbers += facts.numbers;
    }
    return names.numbers * 2 < names.filled && numbers * 2 >= filled;
}

bool guessGroupRows(const Table& table, bool headerRow, ImportSettings& settings) {
    const TableSample body(table, headerRow ? 1 : 0);
    if (body.rows() < 2) {
        return false;
    }
    std::vector<int> zeroOne;
    bool anyOne = false;
    std::size_t others = 0;
    int subject = -1;
    double blockiest = 0.0;
    bool named = false;
    // Every column: a group table has one per stimulus, however many there are.
    for (std::size_t c = 0; c < table.columns(); ++c) {
        const ColumnFacts counts = body.column(c, false);
        if (counts.filled > 0 && counts.zeroOne) {
            zeroOne.push_back(static_cast<int>(c));
            anyOne = anyOne || counts.anyOne;
            continue;
        }
        if (++others > kLongColumns) {
            return false;
        }
        // The subject column repeats its values, each subject's in one block, or its header
        // says what it is.
        const ColumnFacts facts = body.column(c);
        if (facts.filled == 0 || facts.distinct >= facts.filled || named) {
            continue;
        }
        named = headerRow && namesSubjects(table.cell(0, c));
        const double blocks = static_cast<double>(facts.distinct) / static_cast<double>(facts.runs);
        if (named || blocks > blockiest) {
            subject = static_cast<int>(c);
            blockiest = blocks;
        }
    }
    if (zeroOne.size() < 2 || !anyOne || subject < 0) {
        return false;
    }
    settings.layout = TableLayout::GroupRows;
    settings.subjectColumn = subject;
    settings.stimulusColumns = zeroOne;
    return true;
}

bool guessLong(const Table& table, bool headerRow, ImportSettings& settings) {
    const TableSample body(table, headerRow ? 1 : 0);
    const std::size_t columns = table.columns();
    if (columns < 3 || columns > kLongColumns || body.rows() < 2 * columns) {
        return false;
    }
    std::vector<ColumnFacts> facts;
    for (std::size_t c = 0; c < columns; ++c) {
        facts.push_back(body.column(c));
    }
    const auto header = [&](std::size_t c) {
        return headerRow ? trimmedCell(table.cell(0, c)) : std::string_view();
    };
    // Subject and stimulus: every subject lists every stimulus about once.
    const double rows = static_cast<double>(body.rows());
    double best = 0.0;
    std::size_t subject = 0;
    std::size_t stimulus = 0;
    for (std::size_t a = 0; a < columns; ++a) {
        for (std::size_t b = a + 1; b < columns; ++b) {
            const ColumnFacts& x = facts[a];
            const ColumnFacts& y = facts[b];
            if (x.distinct < 2 || y.distinct < 2 || x.distinct >= x.filled ||
                y.distinct >= y.filled) {
                continue;
            }
            const double product =
                static_cast<double>(x.distinct) * static_cast<double>(y.distinct);
            if (rows > product * 1.05 || rows < product * 0.5) {
                continue;
            }
            double score =
                static_cast<double>(body.rows() == 0 ? 0 : body.distinctPairs(a, b)) / rows;
            if (score < 0.9) {
                continue;
            }
            const bool named = (namesSubjects(header(a)) || namesSubjects(header(b))) &&
                               (namesStimuli(header(a)) || namesStimuli(header(b)));
            score += named ? 1.0 : 0.0;
            if (score <= best) {
                continue;
            }
            best = score;
            // The subject's rows come in blocks, or its header says so.
            const double blocksA = static_cast<double>(x.distinct) / static_cast<double>(x.runs);
            const double blocksB = static_cast<double>(y.distinct) / static_cast<double>(y.runs);
            const bool aIsSubject = namesSubjects(header(a)) || namesStimuli(header(b)) ||
                                    (!namesSubjects(header(b)) && blocksA >= blocksB);
            subject = aIsSubject ? a : b;
            stimulus = aIsSubject ? b : a;
        }
    }
    if (best == 0.0) {
        return false;
    }
    // The group: a column its header calls so (an id before a name, a full column before one
    // with gaps), or else the first whose values repeat (a time or a note seldom does).
    int group = -1;
    int groupScore = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        const ColumnFacts& f = facts[c];
        if (c == subject || c == stimulus || f.filled * 2 < body.rows() || f.distinct < 1) {
            continue;
        }
        const std::string_view name = header(c);
        int score = 0;
        if (namesGroups(name)) {
            score = 4 + (hasWord(name, {"id", "number", "no", "nr"}) ? 2 : 0) +
                    (f.filled == body.rows() ? 1 : 0);
        } else if (f.distinct < f.filled) {
            score = 1;
        }
        if (score > groupScore) {
            groupScore = score;
            group = static_cast<int>(c);
        }
    }
    if (group < 0) {
        return false;
    }
    settings.layout = TableLayout::Long;
    settings.subjectColumn = static_cast<int>(subject);
    settings.stimulusColumn = static_cast<int>(stimulus);
    settings.groupColumn = group;
    return true;
}

TableLayout guessWideLayout(const Table& table, const ImportSettings& names,
                            std::int64_t typedSubjects, std::int64_t typedStimuli) {
    const auto dataRows = static_cast<std::int64_t>(usedRows(table)) - names.namesInFirstRow;
    const auto dataColumns =
        static_cast<std::int64_t>(usedColumns(table)) - names.namesInFirstColumn;
    const std::int64_t s = typedSubjects;
    const std::int64_t n = typedStimuli;
    // The typed counts, where they tell the two apart.
    if (s > 0 && n > 0 && s != n) {
        if (dataRows == n && dataColumns == s) {
            return TableLayout::StimulusRows;
        }
        if (dataRows == s && dataColumns == n) {
            return TableLayout::SubjectRows;
        }
    }
    if ((s > 0 && dataColumns == s && dataRows != s) ||
        (n > 0 && dataRows == n && dataColumns != n)) {
        return TableLayout::StimulusRows;
    }
    if ((s > 0 && dataRows == s && dataColumns != s) ||
        (n > 0 && dataColumns == n && dataRows != n)) {
        return TableLayout::SubjectRows;
    }
    // Words in the headers: the top-left cell names what the rows are, the first row and the
    // first column what the columns and rows are.
    if (names.namesInFirstRow) {
        const std::string_view topLeft = table.cell(0, 0);
        if (names.namesInFirstColumn && namesSubjects(topLeft)) {
            return TableLayout::SubjectRows;
        }
        if (names.namesInFirstColumn && namesStimuli(topLeft)) {
            return TableLayout::StimulusRows;
        }
        for (std::size_t c = names.namesInFirstColumn;
             c < std::min(table.columns(), kSampleColumns); ++c) {
            if (namesSubjects(table.cell(0, c))) {
                return TableLayout::StimulusRows;
            }
            if (namesStimuli(table.cell(0, c))) {
                return TableLayout::SubjectRows;
            }
        }
    }
    if (names.namesInFirstColumn) {
        for (std::size_t r = names.namesInFirstRow; r < std::min(table.rows(), kSampleRows); ++r) {
            if (namesSubjects(table.cell(r, 0))) {
                return TableLayout::SubjectRows;
            }
            if (namesStimuli(table.cell(r, 0))) {
                return TableLayout::StimulusRows;
            }
        }
    }
    // Named rows and columns are most often a stimulus-by-subject table (the layout of the
    // field's statistics packages); plain numbers are the run's own subject rows.
    return names.namesInFirstRow && names.namesInFirstColumn ? TableLayout::StimulusRows
                                                             : TableLayout::SubjectRows;
}

} // namespace

ImportSettings guessImportSettings(const Table& table, std::int64_t typedSubjects,
                                   std::int64_t typedStimuli) {
    ImportSettings settings;
    if (table.rows() == 0 || table.columns() == 0) {
        return settings;
    }
    settings.namesInFirstRow = guessHeaderRow(table);
    if (guessGroupRows(table, settings.namesInFirstRow, settings) ||
        guessLong(table, settings.namesInFirstRow, settings)) {
        return settings;
    }
    settings.namesInFirstColumn = guessNamesColumn(table, settings.namesInFirstRow);
    settings.layout = guessWideLayout(table, settings, typedSubjects, typedStimuli);
    return settings;
}

} // namespace dissim
