#pragma once

#include "table_file.h"
#include "table_import.h"
#include "table_reading.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace dissim::ui {

class FileDialogBackend;

// What the Import dialog shows and lets the researcher change, once for every window: the table
// read from the chosen file, the way it is read (layout, names, columns, separator, sheet, the
// choice for missing data), and what comes of it (the counts, the stimuli in order, every
// problem). Each change reads the study again. The windows only draw it: each control calls one
// setter and then redraws what the getters give.
class ImportModel {
public:
    // The preview shows the table's first rows and columns.
    static constexpr std::size_t kPreviewRows = 12;
    static constexpr std::size_t kPreviewColumns = 8;
    // The problems listed one by one; the rest are counted.
    static constexpr std::size_t kListedProblems = 100;

    // bytes: the whole file; typedSubjects, typedStimuli: the counts of step 1 (0: none).
    // listDialog: the save dialog for the list of stimuli (not the window's shared dialog,
    // whose file name the list must not change). Never throws for what the file holds: a file
    // that is no table leaves readError() saying why.
    ImportModel(std::string path, std::string bytes, std::int64_t typedSubjects,
                std::int64_t typedStimuli, FileDialogBackend& listDialog);

    // The file.
    const std::string& path() const { return path_; }
    // "text table", "Excel workbook", "OpenDocument spreadsheet".
    std::string formatText() const;
    // Why the file cannot be read as a table; empty when it can.
    const std::string& readError() const { return readError_; }
    bool hasSeparator() const { return readError_.empty() && file_.format == TableFormat::Text; }
    char separator() const { return file_.separator; }
    void setSeparator(char separator);
    // A workbook's sheets, also while the one chosen cannot be read (the others stay choices).
    bool hasSheets() const { return file_.sheets.size() > 1; }
    const std::vector<std::string>& sheets() const { return file_.sheets; }
    std::size_t sheet() const { return file_.sheet; }
    void setSheet(std::size_t sheet);
    const Table& table() const { return file_.table; }

    // How the table is read.
    const ImportSettings& settings() const { return settings_; }
    void setLayout(TableLayout layout);
    void setNamesInFirstRow(bool names);
    void setNamesInFirstColumn(bool names);
    // The long and the group layouts name columns; the wide ones do not.
    bool usesColumns() const;
    void setSubjectColumn(int column);
    void setStimulusColumn(int column); // long
    void setGroupColumn(int column);    // long
    // Group layout: the 0/1 columns from first to last. Each end keeps its choice while the
    // other is moved past it (no columns then, which the study reports).
    void setStimulusColumns(int first, int last);
    int firstStimulusColumn() const { return firstStimulusColumn_; }
    int lastStimulusColumn() const { return lastStimulusColumn_; }
    void setMissing(MissingData missing);
    // Every column as the column choices show it: "A", or "B: card" with the first row's name.
    std::vector<std::string> columnChoices() const;

    // What comes of it.
    const ImportedStudy& study() const { return study_; }
    std::size_t previewRows() const;
    std::size_t previewColumns() const;
    std::string_view previewCell(std::size_t row, std::size_t column) const {
        return file_.table.cell(row, column);
    }
    enum class CellRole { Name, Code, Ignored, Problem };
    CellRole previewRole(std::size_t row, std::size_t column) const;
    // "42 subjects, 10 stimuli; groups given as numbers 1 to 8".
    std::string foundText() const;
    // The table's counts, and step 1's where they differ.
    std::string countsText() const;
    // Each problem in words, located; past kListedProblems one line with how many more.
    std::vector<std::string> problemTexts() const;
    // The stimuli numbered in the order the matrices use: "1  apple".
    std::vector<std::string> stimulusLines() const;
    bool okAllowed() const { return readError_.empty() && study_.usable; }
    // Why OK is refused; empty when it is not.
    std::string okRefusal() const;

    // "Save List...": the list of stimuli, one name per line, to a file chosen in a save
    // dialog. Returns what became of it, for the dialog to show: where it was saved, why it
    // was not, or empty text when the researcher cancelled.
    std::string saveStimulusList();

    // On OK: how the run reads the file.
    TableReading reading() const;

private:
    void readTable(const TableFileOptions& options);
    void keepSheets();
    void guess();
    void importAgain();

    std::string path_;
    std::string bytes_;
    std::int64_t typedSubjects_;
    std::int64_t typedStimuli_;
    FileDialogBackend& listDialog_;
    TableFile file_;
    std::string readError_;
    ImportSettings settings_;
    int firstStimulusColumn_ = -1;
    int lastStimulusColumn_ = -1;
    ImportedStudy study_;
    std::unordered_set<std::string> problemPlaces_; // of the problems in the preview's reach
};

} // namespace dissim::ui
