#include "import_model.h"

#include "files.h"
#include "platform.h"
#include "run_error.h"
#include "workbook_reader.h"

#include <algorithm>
#include <exception>

namespace dissim::ui {
namespace {

std::string countText(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

ImportModel::ImportModel(std::string path, std::string bytes, std::int64_t typedSubjects,
                         std::int64_t typedStimuli, FileDialogBackend& listDialog)
    : path_(std::move(path)), bytes_(std::move(bytes)), typedSubjects_(typedSubjects),
      typedStimuli_(typedStimuli), listDialog_(listDialog) {
    readTable({});
}

void ImportModel::readTable(const TableFileOptions& options) {
    try {
        file_ = readTableFile(bytes_, options);
        readError_.clear();
    } catch (const RunError& error) {
        // The dialog shows why, with OK refused. A workbook keeps its list of sheets, so that a
        // sheet that cannot be read (a chart's, say) can be left for another.
        file_ = TableFile{};
        file_.sheet = options.sheet;
        readError_ = error.what();
        keepSheets();
    }
    guess();
}

void ImportModel::keepSheets() {
    const WorkbookKind kind = workbookKind(bytes_);
    if (kind == WorkbookKind::NotAWorkbook) {
        return;
    }
    file_.format = kind == WorkbookKind::Xlsx ? TableFormat::Xlsx : TableFormat::Ods;
    try {
        file_.sheets = workbookSheetNames(bytes_);
    } catch (const RunError&) {
        // A workbook whose sheets cannot even be listed offers no choice of sheet; readError_
        // already says what is wrong with it.
        file_.sheets.clear();
    }
}

void ImportModel::guess() {
    settings_ = readError_.empty() ? guessImportSettings(file_.table, typedSubjects_, typedStimuli_)
                                   : ImportSettings{};
    importAgain();
}

void ImportModel::importAgain() {
    if (!settings_.stimulusColumns.empty()) {
        firstStimulusColumn_ = settings_.stimulusColumns.front();
        lastStimulusColumn_ = settings_.stimulusColumns.back();
    }
    study_ = readError_.empty() ? importStudy(file_.table, settings_) : ImportedStudy{};
    problemPlaces_.clear();
    for (const ImportProblem& problem : study_.problems) {
        if (problemPlaces_.size() >= kPreviewRows * kPreviewColumns * 4) {
            break;
        }
        problemPlaces_.insert(problem.place);
    }
}

std::string ImportModel::formatText() const {
    switch (file_.format) {
    case TableFormat::Xlsx:
        return "Excel workbook";
    case TableFormat::Ods:
        return "OpenDocument spreadsheet";
    case TableFormat::Text:
        break;
    }
    return "text table";
}

void ImportModel::setSeparator(char separator) {
    if (separator != file_.separator) {
        readTable({separator, 0});
    }
}

void ImportModel::setSheet(std::size_t sheet) {
    if ((sheet != file_.sheet || !readError_.empty()) && sheet < file_.sheets.size()) {
        readTable({0, sheet});
    }
}

void ImportModel::setLayout(TableLayout layout) {
    if (layout == settings_.layout) {
        return;
    }
    // The columns a layout names are guessed afresh for it, the rest kept.
    ImportSettings guessed = settings_;
    guessed.layout = layout;
    if (layout == TableLayout::Long || layout == TableLayout::GroupRows) {
        const ImportSettings best = guessImportSettings(file_.table, 0, 0);
        if (best.layout == layout) {
            guessed = best;
            guessed.missing = settings_.missing;
        } else {
            guessed.namesInFirstRow = true;
            guessed.subjectColumn = 0;
            if (layout == TableLayout::Long) {
                guessed.stimulusColumn = 1;
                guessed.groupColumn = 2;
            } else {
                guessed.stimulusColumns.clear();
                for (std::size_t c = 1; c < file_.table.columns(); ++c) {
                    guessed.stimulusColumns.push_back(static_cast<int>(c));
                }
            }
        }
    }
    settings_ = guessed;
    importAgain();
}

void ImportModel::setNamesInFirstRow(bool names) {
    settings_.namesInFirstRow = names;
    importAgain();
}

void ImportModel::setNamesInFirstColumn(bool names) {
    settings_.namesInFirstColumn = names;
    importAgain();
}

bool ImportModel::usesColumns() const {
    return settings_.layout == TableLayout::Long || settings_.layout == TableLayout::GroupRows;
}

void ImportModel::setSubjectColumn(int column) {
    settings_.subjectColumn = column;
    importAgain();
}

void ImportModel::setStimulusColumn(int column) {
    settings_.stimulusColumn = column;
    importAgain();
}

void ImportModel::setGroupColumn(int column) {
    settings_.groupColumn = column;
    importAgain();
}

void ImportModel::setStimulusColumns(int first, int last) {
    firstStimulusColumn_ = first;
    lastStimulusColumn_ = last;
    settings_.stimulusColumns.clear();
    for (int c = first; c <= last && c >= 0; ++c) {
        settings_.stimulusColumns.push_back(c);
    }
    importAgain();
}

void ImportModel::setMissing(MissingData missing) {
    settings_.missing = missing;
    importAgain();
}

std::vector<std::string> ImportModel::columnChoices() const {
    std::vector<std::string> choices;
    choices.reserve(file_.table.columns());
    for (std::size_t c = 0; c < file_.table.columns(); ++c) {
        std::string choice = columnName(c);
        const std::string_view name = file_.table.cell(0, c);
        if (settings_.namesInFirstRow && !name.empty()) {
            choice += ": ";
            choice += name.substr(0, 40);
        }
        choices.push_back(std::move(choice));
    }
    return choices;
}

std::size_t ImportModel::previewRows() const {
    return std::min(file_.table.rows(), kPreviewRows);
}

std::size_t ImportModel::previewColumns() const {
    return std::min(file_.table.columns(), kPreviewColumns);
}

ImportModel::CellRole ImportModel::previewRole(std::size_t row, std::size_t column) const {
    if (problemPlaces_.count(cellName(row, column)) != 0) {
        return CellRole::Problem;
    }
    const ImportSettings& s = settings_;
    const int c = static_cast<int>(column);
    switch (s.layout) {
    case TableLayout::SubjectRows:
    case TableLayout::StimulusRows:
        if ((s.namesInFirstRow && row == 0) || (s.namesInFirstColumn && column == 0)) {
            return CellRole::Name;
        }
        return CellRole::Code;
    case TableLayout::Long:
        if (s.namesInFirstRow && row == 0) {
            return CellRole::Name;
        }
        if (c == s.subjectColumn || c == s.stimulusColumn) {
            return CellRole::Name;
        }
        return c == s.groupColumn ? CellRole::Code : CellRole::Ignored;
    case TableLayout::GroupRows:
        if ((s.namesInFirstRow && row == 0) || c == s.subjectColumn) {
            return CellRole::Name;
        }
        return std::find(s.stimulusColumns.begin(), s.stimulusColumns.end(), c) !=
                       s.stimulusColumns.end()
                   ? CellRole::Code
                   : CellRole::Ignored;
    }
    return CellRole::Ignored;
}

std::string ImportModel::foundText() const {
    return readError_.empty() ? dissim::foundText(study_) : std::string();
}

std::string ImportModel::countsText() const {
    if (!readError_.empty()) {
        return {};
    }
    const std::size_t subjects = study_.subjects.size();
    const std::size_t stimuli = study_.stimuli.size();
    std::string text = "The table holds " + countText(subjects, "subject", "subjects") + " and " +
                       countText(stimuli, "stimulus", "stimuli") + ".";
    const bool typed = typedSubjects_ > 0 || typedStimuli_ > 0;
    if (typed && (static_cast<std::size_t>(typedSubjects_) != subjects ||
                  static_cast<std::size_t>(typedStimuli_) != stimuli)) {
        text += " Step 1 gave " + std::to_string(typedSubjects_) + " subjects and " +
                std::to_string(typedStimuli_) + " stimuli; the table's counts will be used.";
    }
    return text;
}

std::vector<std::string> ImportModel::problemTexts() const {
    std::vector<std::string> texts;
    const std::size_t listed = std::min(study_.problems.size(), kListedProblems);
    texts.reserve(listed + 1);
    for (std::size_t i = 0; i < listed; ++i) {
        texts.push_back(study_.problems[i].text);
    }
    const std::size_t count = std::max(study_.problemCount, study_.problems.size());
    if (count > listed) {
        texts.push_back("... and " + std::to_string(count - listed) + " more problems.");
    }
    return texts;
}

std::vector<std::string> ImportModel::stimulusLines() const {
    std::vector<std::string> lines;
    lines.reserve(study_.stimuli.size());
    for (std::size_t i = 0; i < study_.stimuli.size(); ++i) {
        lines.push_back(std::to_string(i + 1) + "  " + study_.stimuli[i]);
    }
    return lines;
}

std::string ImportModel::okRefusal() const {
    if (!readError_.empty()) {
        return readError_;
    }
    return study_.usable ? std::string() : study_.refusal;
}

std::string ImportModel::saveStimulusList() {
    FileDialogRequest request;
    request.mode = FileDialogRequest::Mode::Save;
    request.fileName = "stimuli.txt";
    request.filters = {{"Text Files (*.txt) ", "*.txt"}, {"All Files (*.*) ", "*.*"}};
    request.selectedFilter = 0;
    try {
        const auto chosen = listDialog_.show(request);
        if (!chosen) {
            return {};
        }
        writeTextFile(*chosen, stimulusListText(study_), path_);
        return "The list of " + countText(study_.stimuli.size(), "stimulus", "stimuli") +
               " was saved to " + *chosen + ".";
    } catch (const std::exception& error) {
        return std::string("The list was not saved: ") + error.what() + ".";
    }
}

TableReading ImportModel::reading() const {
    TableReading reading;
    reading.path = path_;
    reading.file.separator = file_.format == TableFormat::Text ? file_.separator : 0;
    reading.file.sheet = file_.sheet;
    reading.import = settings_;
    reading.subjects = static_cast<std::int64_t>(study_.subjects.size());
    reading.stimuli = static_cast<std::int64_t>(study_.stimuli.size());
    reading.description = readingText(settings_, study_);
    return reading;
}

} // namespace dissim::ui
