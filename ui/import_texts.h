#pragma once

// The Import dialog's fixed texts, the same in every window. An ampersand marks a control's
// access key; the windows that show no access keys drop it.

#include "table_import.h"

#include <array>

namespace dissim::ui::import_texts {

inline constexpr const char* kTitle = "Import";
inline constexpr const char* kFileLabel = "File:";
inline constexpr const char* kSheetLabel = "S&heet:";
inline constexpr const char* kSeparatorLabel = "Se&parator:";
inline constexpr const char* kLayoutLabel = "&Layout:";
inline constexpr const char* kNamesInFirstRow = "First &row holds names";
inline constexpr const char* kNamesInFirstColumn = "First c&olumn holds names";
inline constexpr const char* kSubjectColumnLabel = "S&ubject column:";
inline constexpr const char* kStimulusColumnLabel = "S&timulus column:";
inline constexpr const char* kGroupColumnLabel = "&Group column:";
inline constexpr const char* kFirstStimulusColumnLabel = "&First stimulus column:";
inline constexpr const char* kLastStimulusColumnLabel = "Las&t stimulus column:";
inline constexpr const char* kMissingLabel = "&Missing or contradictory data:";
inline constexpr const char* kPreviewLabel = "Pre&view:";
inline constexpr const char* kFoundLabel = "Found:";
inline constexpr const char* kStimuliLabel = "Stimul&i in the matrices' order:";
inline constexpr const char* kSaveList = "&Save List...";
inline constexpr const char* kProblemsLabel = "Pro&blems:";
inline constexpr const char* kNoProblems = "None.";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancel = "Cancel";
// What assistive technology calls the labels that show a result and have no label of their own
// beside them.
inline constexpr const char* kCountsName = "Counts";
inline constexpr const char* kSaveResultName = "Result of Save List";
inline constexpr const char* kRefusalName = "Why OK is not allowed";

struct LayoutChoice {
    TableLayout layout;
    const char* text;
};
inline constexpr std::array<LayoutChoice, 4> kLayouts = {{
    {TableLayout::SubjectRows, "Rows are subjects"},
    {TableLayout::StimulusRows, "Rows are stimuli"},
    {TableLayout::Long, "One row per subject and stimulus"},
    {TableLayout::GroupRows, "One row per group"},
}};

struct MissingChoice {
    MissingData missing;
    const char* text;
};
inline constexpr std::array<MissingChoice, 3> kMissingChoices = {{
    {MissingData::Stop, "Stop: mend the table first"},
    {MissingData::OwnGroup, "Each unsorted stimulus a group of its own"},
    {MissingData::LeaveOut, "Leave out the subjects concerned"},
}};

struct SeparatorChoice {
    char separator;
    const char* text;
};
inline constexpr std::array<SeparatorChoice, 3> kSeparators = {{
    {',', "Comma"},
    {';', "Semicolon"},
    {'\t', "Tab"},
}};

// The control names every window gives the dialog's controls (object names, element ids), so
// that tests and assistive technology find them alike.
namespace names {
inline constexpr const char* kDialog = "dlgImport";
inline constexpr const char* kFile = "lblImportFile";
inline constexpr const char* kSheet = "cboSheet";
inline constexpr const char* kSeparator = "cboSeparator";
inline constexpr const char* kLayout = "cboLayout";
inline constexpr const char* kNamesInFirstRow = "chkNamesInFirstRow";
inline constexpr const char* kNamesInFirstColumn = "chkNamesInFirstColumn";
inline constexpr const char* kSubjectColumn = "cboSubjectColumn";
inline constexpr const char* kStimulusColumn = "cboStimulusColumn";
inline constexpr const char* kGroupColumn = "cboGroupColumn";
inline constexpr const char* kFirstStimulusColumn = "cboFirstStimulusColumn";
inline constexpr const char* kLastStimulusColumn = "cboLastStimulusColumn";
inline constexpr const char* kMissing = "cboMissing";
inline constexpr const char* kPreview = "tblPreview";
inline constexpr const char* kFound = "lblFound";
inline constexpr const char* kCounts = "lblCounts";
inline constexpr const char* kStimuli = "lstStimuli";
inline constexpr const char* kSaveList = "cmdSaveList";
inline constexpr const char* kSaveResult = "lblSaveResult";
inline constexpr const char* kProblems = "lstProblems";
// Why OK is refused (the model's okRefusal()), or why the file is no table (readError()).
inline constexpr const char* kRefusal = "lblRefusal";
inline constexpr const char* kOk = "cmdImportOk";
inline constexpr const char* kCancel = "cmdImportCancel";
} // namespace names

} // namespace dissim::ui::import_texts
