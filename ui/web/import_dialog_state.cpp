#include "import_dialog_state.h"

#include "import_model.h"
#include "import_texts.h"
#include "json_text.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace dissim::ui::web {
namespace {

namespace texts = import_texts;
namespace names = import_texts::names;

std::string member(const char* name, const std::string& json) {
    return jsonString(name) + ':' + json;
}

std::string flag(bool value) {
    return value ? "true" : "false";
}

std::string number(long long value) {
    return std::to_string(value);
}

// The position of the choice whose value is given, -1 where none is.
template <typename Choices, typename Value, typename Field>
long long indexOf(const Choices& choices, Value value, Field field) {
    const auto found = std::find_if(choices.begin(), choices.end(),
                                    [&](const auto& choice) { return choice.*field == value; });
    return found == choices.end() ? -1 : found - choices.begin();
}

template <typename Choices> std::string choiceTexts(const Choices& choices) {
    std::vector<std::string> list;
    for (const auto& choice : choices) {
        list.emplace_back(choice.text);
    }
    return jsonStrings(list);
}

std::string object(const std::vector<std::string>& members) {
    std::string json = "{";
    for (const std::string& one : members) {
        json += (json.size() > 1 ? "," : "") + one;
    }
    return json + '}';
}

// A preview cell as far as its column can show it: a cell of a whole text is not handed over
// again at every change. Cut between two UTF-8 characters.
std::string_view shown(std::string_view cell) {
    constexpr std::size_t kShownBytes = 256;
    if (cell.size() <= kShownBytes) {
        return cell;
    }
    std::size_t end = kShownBytes;
    while (end > 0 && (static_cast<unsigned char>(cell[end]) & 0xC0) == 0x80) {
        --end;
    }
    return cell.substr(0, end);
}

const char* roleClass(ImportModel::CellRole role) {
    switch (role) {
    case ImportModel::CellRole::Name:
        return "name";
    case ImportModel::CellRole::Ignored:
        return "ignored";
    case ImportModel::CellRole::Problem:
        return "problem";
    case ImportModel::CellRole::Code:
        break;
    }
    return "code";
}

std::string preview(const ImportModel& model, bool table) {
    const std::size_t rows = table ? model.previewRows() : 0;
    const std::size_t columns = table ? model.previewColumns() : 0;
    std::string cells = "[";
    for (std::size_t row = 0; row < rows; ++row) {
        for (std::size_t column = 0; column < columns; ++column) {
            cells += (cells.size() > 1 ? ",[" : "[") +
                     jsonString(shown(model.previewCell(row, column))) + ',' +
                     jsonString(roleClass(model.previewRole(row, column))) + ']';
        }
    }
    return object({member("rows", number(static_cast<long long>(rows))),
                   member("columns", number(static_cast<long long>(columns))),
                   member("cells", cells + ']')});
}

// The column choices of the long and the group layouts: which show, and the column chosen.
std::string columns(const ImportModel& model, bool table) {
    const ImportSettings& settings = model.settings();
    const bool used = table && model.usesColumns();
    const bool longLayout = used && settings.layout == TableLayout::Long;
    const bool groupLayout = used && settings.layout == TableLayout::GroupRows;
    const std::array<std::pair<const char*, std::pair<bool, int>>, 5> boxes = {{
        {names::kSubjectColumn, {used, settings.subjectColumn}},
        {names::kStimulusColumn, {longLayout, settings.stimulusColumn}},
        {names::kGroupColumn, {longLayout, settings.groupColumn}},
        {names::kFirstStimulusColumn, {groupLayout, model.firstStimulusColumn()}},
        {names::kLastStimulusColumn, {groupLayout, model.lastStimulusColumn()}},
    }};
    std::vector<std::string> members;
    for (const auto& [name, box] : boxes) {
        members.push_back(member(name, object({member("shown", flag(box.first)),
                                               member("chosen", number(box.second))})));
    }
    return object(members);
}

} // namespace

std::string importDialogTexts() {
    const std::vector<std::string> captions = {
        member("importFileCaption", jsonString(texts::kFileLabel)),
        member(names::kSheet, jsonString(texts::kSheetLabel)),
        member(names::kSeparator, jsonString(texts::kSeparatorLabel)),
        member(names::kLayout, jsonString(texts::kLayoutLabel)),
        member(names::kNamesInFirstRow, jsonString(texts::kNamesInFirstRow)),
        member(names::kNamesInFirstColumn, jsonString(texts::kNamesInFirstColumn)),
        member(names::kSubjectColumn, jsonString(texts::kSubjectColumnLabel)),
        member(names::kStimulusColumn, jsonString(texts::kStimulusColumnLabel)),
        member(names::kGroupColumn, jsonString(texts::kGroupColumnLabel)),
        member(names::kFirstStimulusColumn, jsonString(texts::kFirstStimulusColumnLabel)),
        member(names::kLastStimulusColumn, jsonString(texts::kLastStimulusColumnLabel)),
        member(names::kMissing, jsonString(texts::kMissingLabel)),
        member(names::kPreview, jsonString(texts::kPreviewLabel)),
        member("importFoundCaption", jsonString(texts::kFoundLabel)),
        member(names::kStimuli, jsonString(texts::kStimuliLabel)),
        member(names::kSaveList, jsonString(texts::kSaveList)),
        member(names::kProblems, jsonString(texts::kProblemsLabel)),
        member(names::kOk, jsonString(texts::kOk)),
        member(names::kCancel, jsonString(texts::kCancel)),
    };
    return object({
        member("title", jsonString(texts::kTitle)),
        member("captions", object(captions)),
        member("layouts", choiceTexts(texts::kLayouts)),
        member("missing", choiceTexts(texts::kMissingChoices)),
        member("separators", choiceTexts(texts::kSeparators)),
        member("names", object({member(names::kCounts, jsonString(texts::kCountsName)),
                                member(names::kSaveResult, jsonString(texts::kSaveResultName)),
                                member(names::kRefusal, jsonString(texts::kRefusalName))})),
        member("roles", object({member("name", jsonString("name")),
                                member("problem", jsonString("problem"))})),
    });
}

std::string importDialogState(const ImportModel& model, const std::string& saveResult) {
    const bool table = model.readError().empty();
    const ImportSettings& settings = model.settings();
    std::vector<std::string> problems;
    if (table) {
        problems = model.problemTexts();
        if (problems.empty()) {
            problems.emplace_back(texts::kNoProblems);
        }
    }
    const bool wide =
        settings.layout == TableLayout::SubjectRows || settings.layout == TableLayout::StimulusRows;
    return object({
        member("table", flag(table)),
        member("file",
               jsonString(table ? model.path() + " (" + model.formatText() + ')' : model.path())),
        member("sheets",
               jsonStrings(model.hasSheets() ? model.sheets() : std::vector<std::string>{})),
        member("sheet", number(model.hasSheets() ? static_cast<long long>(model.sheet()) : -1)),
        member("hasSeparator", flag(model.hasSeparator())),
        member("separator",
               number(model.hasSeparator() ? indexOf(texts::kSeparators, model.separator(),
                                                     &texts::SeparatorChoice::separator)
                                           : -1)),
        member("layout",
               number(indexOf(texts::kLayouts, settings.layout, &texts::LayoutChoice::layout))),
        member("namesInFirstRow", flag(settings.namesInFirstRow)),
        member("namesInFirstColumn", flag(settings.namesInFirstColumn)),
        member("firstColumnMatters", flag(wide)),
        member("columnChoices",
               jsonStrings(table && model.usesColumns() ? model.columnChoices()
                                                        : std::vector<std::string>{})),
        member("columns", columns(model, table)),
        member("missing", number(indexOf(texts::kMissingChoices, settings.missing,
                                         &texts::MissingChoice::missing))),
        member("preview", preview(model, table)),
        member("found", jsonString(table ? model.foundText() : std::string())),
        member("counts", jsonString(table ? model.countsText() : std::string())),
        member("stimuli", jsonStrings(table ? model.stimulusLines() : std::vector<std::string>{})),
        member("problems", jsonStrings(problems)),
        member("saveResult", jsonString(saveResult)),
        member("refusal", jsonString(table ? model.okRefusal() : model.readError())),
        member("okAllowed", flag(model.okAllowed())),
    });
}

} // namespace dissim::ui::web
