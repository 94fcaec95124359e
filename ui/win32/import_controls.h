#pragma once

// The Import dialog's controls: their ids, and for each the name every window gives it
// (import_texts.h), so that tests find a control by the same name in every window. Listed in
// the order they are made, which is the order Tab goes through them: each caption just before
// the control it names, so that its access key moves to that control and assistive technology
// reads it as that control's name.

#include "import_texts.h"

#include <windows.h>

#include <array>
#include <string_view>

namespace dissim::ui::win32::import_controls {

enum Id : int {
    kFileCaption = 300,
    kFile,
    kSheetCaption,
    kSheet,
    kSeparatorCaption,
    kSeparator,
    kLayoutCaption,
    kLayout,
    kNamesInFirstRow,
    kNamesInFirstColumn,
    kSubjectColumnCaption,
    kSubjectColumn,
    kStimulusColumnCaption,
    kStimulusColumn,
    kGroupColumnCaption,
    kGroupColumn,
    kFirstStimulusColumnCaption,
    kFirstStimulusColumn,
    kLastStimulusColumnCaption,
    kLastStimulusColumn,
    kMissingCaption,
    kMissing,
    kPreviewCaption,
    kPreview,
    kFoundCaption,
    kFound,
    kCounts,
    kStimuliCaption,
    kStimuli,
    kSaveList,
    kSaveResult,
    kProblemsCaption,
    kProblems,
    kRefusal,
    kOk = IDOK,
    kCancel = IDCANCEL,
};

enum class Kind { Caption, Text, Choice, Check, List, Preview, Button, DefaultButton };

struct Control {
    Id id;
    Kind kind;
    const char* text; // a caption's or a button's text; nullptr where the dialog fills it in
    const char* name; // the name of import_texts.h; nullptr for a caption
};

namespace texts = import_texts;
namespace names = import_texts::names;

inline constexpr std::array<Control, 36> kControls = {{
    {kFileCaption, Kind::Caption, texts::kFileLabel, nullptr},
    {kFile, Kind::Text, nullptr, names::kFile},
    {kSheetCaption, Kind::Caption, texts::kSheetLabel, nullptr},
    {kSheet, Kind::Choice, nullptr, names::kSheet},
    {kSeparatorCaption, Kind::Caption, texts::kSeparatorLabel, nullptr},
    {kSeparator, Kind::Choice, nullptr, names::kSeparator},
    {kLayoutCaption, Kind::Caption, texts::kLayoutLabel, nullptr},
    {kLayout, Kind::Choice, nullptr, names::kLayout},
    {kNamesInFirstRow, Kind::Check, texts::kNamesInFirstRow, names::kNamesInFirstRow},
    {kNamesInFirstColumn, Kind::Check, texts::kNamesInFirstColumn, names::kNamesInFirstColumn},
    {kSubjectColumnCaption, Kind::Caption, texts::kSubjectColumnLabel, nullptr},
    {kSubjectColumn, Kind::Choice, nullptr, names::kSubjectColumn},
    {kStimulusColumnCaption, Kind::Caption, texts::kStimulusColumnLabel, nullptr},
    {kStimulusColumn, Kind::Choice, nullptr, names::kStimulusColumn},
    {kGroupColumnCaption, Kind::Caption, texts::kGroupColumnLabel, nullptr},
    {kGroupColumn, Kind::Choice, nullptr, names::kGroupColumn},
    {kFirstStimulusColumnCaption, Kind::Caption, texts::kFirstStimulusColumnLabel, nullptr},
    {kFirstStimulusColumn, Kind::Choice, nullptr, names::kFirstStimulusColumn},
    {kLastStimulusColumnCaption, Kind::Caption, texts::kLastStimulusColumnLabel, nullptr},
    {kLastStimulusColumn, Kind::Choice, nullptr, names::kLastStimulusColumn},
    {kMissingCaption, Kind::Caption, texts::kMissingLabel, nullptr},
    {kMissing, Kind::Choice, nullptr, names::kMissing},
    {kPreviewCaption, Kind::Caption, texts::kPreviewLabel, nullptr},
    {kPreview, Kind::Preview, nullptr, names::kPreview},
    {kFoundCaption, Kind::Caption, texts::kFoundLabel, nullptr},
    {kFound, Kind::Text, nullptr, names::kFound},
    {kCounts, Kind::Text, nullptr, names::kCounts},
    {kStimuliCaption, Kind::Caption, texts::kStimuliLabel, nullptr},
    {kStimuli, Kind::List, nullptr, names::kStimuli},
    {kSaveList, Kind::Button, texts::kSaveList, names::kSaveList},
    {kSaveResult, Kind::Text, nullptr, names::kSaveResult},
    {kProblemsCaption, Kind::Caption, texts::kProblemsLabel, nullptr},
    {kProblems, Kind::List, nullptr, names::kProblems},
    {kRefusal, Kind::Text, nullptr, names::kRefusal},
    {kOk, Kind::DefaultButton, texts::kOk, names::kOk},
    {kCancel, Kind::Button, texts::kCancel, names::kCancel},
}};

// The id of the control with this name, or 0.
constexpr int idOf(std::string_view name) {
    for (const Control& control : kControls) {
        if (control.name != nullptr && name == control.name) {
            return control.id;
        }
    }
    return 0;
}

} // namespace dissim::ui::win32::import_controls
