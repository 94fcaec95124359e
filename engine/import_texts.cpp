// The texts the Import dialog and the input label show of an imported study.

#include "table_import.h"

#include "decimal_text.h"

#include <cmath>

namespace dissim {

namespace {

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// A code in its shortest text: "3", "-1", "2.5".
std::string numberText(double value) {
    const double magnitude = std::fabs(value);
    const std::string digits =
        writeDecimal(magnitude, magnitude < 1e16 ? DecimalForm::fixed : DecimalForm::general);
    return (value < 0 ? "-" : "") + digits;
}

std::string countsText(const ImportedStudy& study) {
    return counted(study.subjects.size(), "subject", "subjects") + ", " +
           counted(study.stimuli.size(), "stimulus", "stimuli");
}

// "columns C to L" for columns that follow each other, else "columns C, E, F".
std::string columnsText(const std::vector<int>& columns) {
    if (columns.empty()) {
        return "none";
    }
    bool consecutive = true;
    for (std::size_t i = 1; i < columns.size(); ++i) {
        consecutive = consecutive && columns[i] == columns[i - 1] + 1;
    }
    const auto name = [](int column) { return columnName(static_cast<std::size_t>(column)); };
    if (columns.size() == 1) {
        return "column " + name(columns[0]);
    }
    if (consecutive) {
        return "columns " + name(columns.front()) + " to " + name(columns.back());
    }
    std::string text = "columns ";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        text += (i == 0 ? "" : ", ") + name(columns[i]);
    }
    return text;
}

std::string columnText(int column) {
    return column < 0 ? std::string("none")
                      : "column " + columnName(static_cast<std::size_t>(column));
}

std::string layoutText(const ImportSettings& settings) {
    switch (settings.layout) {
    case TableLayout::SubjectRows:
    case TableLayout::StimulusRows: {
        const bool subjectRows = settings.layout == TableLayout::SubjectRows;
        std::string text = subjectRows ? "rows are subjects" : "rows are stimuli";
        if (settings.namesInFirstRow) {
            text += subjectRows ? ", the first row names the stimuli"
                                : ", the first row names the subjects";
        }
        if (settings.namesInFirstColumn) {
            text += subjectRows ? ", the first column names the subjects"
                                : ", the first column names the stimuli";
        }
        return text;
    }
    case TableLayout::Long:
        return "one row per subject and stimulus (subject: " + columnText(settings.subjectColumn) +
               ", stimulus: " + columnText(settings.stimulusColumn) +
               ", group: " + columnText(settings.groupColumn) + ")";
    case TableLayout::GroupRows:
        return "one row per group (subject: " + columnText(settings.subjectColumn) +
               ", stimuli: " + columnsText(settings.stimulusColumns) + ")";
    }
    return {};
}

// The names, at most a few of them: "J3, J7 and 4 more".
std::string someNames(const std::vector<std::string>& names) {
    constexpr std::size_t kShown = 5;
    std::string text;
    for (std::size_t i = 0; i < names.size() && i < kShown; ++i) {
        text += (i == 0 ? "" : ", ") + names[i];
    }
    if (names.size() > kShown) {
        text += " and " + std::to_string(names.size() - kShown) + " more";
    }
    return text;
}

} // namespace

std::string foundText(const ImportedStudy& study) {
    std::string text = countsText(study);
    if (study.groupsAsRows) {
        text += "; groups given as rows";
    } else if (!study.numericGroups) {
        text += "; groups given as words";
    } else if (study.lowestGroup != study.highestGroup) {
        text += "; groups given as numbers " + numberText(study.lowestGroup) + " to " +
                numberText(study.highestGroup);
    } else if (!study.subjects.empty()) {
        text += "; groups given as the number " + numberText(study.lowestGroup);
    }
    if (!study.leftOut.empty()) {
        text += "; " + counted(study.leftOut.size(), "subject", "subjects") + " left out";
    }
    return text;
}

std::string readingText(const ImportSettings& settings, const ImportedStudy& study) {
    std::string text = layoutText(settings) + ": " + countsText(study);
    bool unsorted = false;
    bool noSubject = false;
    for (const ImportProblem& problem : study.problems) {
        unsorted = unsorted || problem.kind == ImportProblem::Kind::Unsorted;
        noSubject = noSubject || problem.kind == ImportProblem::Kind::NoSubject;
    }
    if (settings.missing == MissingData::OwnGroup && unsorted) {
        text += "; each unsorted stimulus a group of its own";
    }
    if (settings.missing != MissingData::Stop && noSubject) {
        text += "; rows with no subject skipped";
    }
    if (settings.missing == MissingData::LeaveOut && !study.leftOut.empty()) {
        text += "; left out: " + someNames(study.leftOut);
    }
    return text;
}

std::string stimulusListText(const ImportedStudy& study) {
    std::string text;
    for (const std::string& name : study.stimuli) {
        text += name;
        text += '\n';
    }
    return text;
}

} // namespace dissim
