#include "web_import_dialog.h"

#include "import_dialog_state.h"
#include "import_model.h"
#include "import_texts.h"

#include <emscripten.h>

#include <cstddef>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace dissim::ui::web {
namespace {

namespace texts = import_texts;
namespace names = import_texts::names;

// clang-format off
EM_JS(void, pageImportSetup, (const char* texts), {
  dissimImport.setup(JSON.parse(UTF8ToString(texts)));
});

EM_JS(void, pageImportOpen, (), {
  dissimImport.open();
});

EM_JS(void, pageImportDraw, (const char* state), {
  dissimImport.draw(JSON.parse(UTF8ToString(state)));
});

EM_JS(void, pageImportClose, (), {
  dissimImport.close();
});

// "control id\nvalue", in memory the caller frees.
EM_ASYNC_JS(char*, pageImportNext, (), {
  var action = await dissimImport.next();
  var bytes = lengthBytesUTF8(action) + 1;
  var copy = _malloc(bytes);
  stringToUTF8(action, copy, bytes);
  return copy;
});
// clang-format on

struct FreeText {
    void operator()(char* text) const { std::free(text); }
};

struct Action {
    std::string control;
    int value = 0;
};

Action nextAction() {
    const std::unique_ptr<char, FreeText> text(pageImportNext());
    const std::string_view action = text ? std::string_view(text.get()) : std::string_view();
    const std::size_t end = action.find('\n');
    if (end == std::string_view::npos) {
        return {std::string(action), 0};
    }
    return {std::string(action.substr(0, end)),
            std::atoi(std::string(action.substr(end + 1)).c_str())};
}

template <typename Choices> bool inRange(const Choices& choices, int index) {
    return index >= 0 && static_cast<std::size_t>(index) < choices.size();
}

// A choice made in one of the dialog's controls, given to the model's setter.
void choose(ImportModel& model, const Action& action) {
    const std::string& control = action.control;
    const int value = action.value;
    if (control == names::kSheet && value >= 0) {
        model.setSheet(static_cast<std::size_t>(value));
    } else if (control == names::kSeparator && inRange(texts::kSeparators, value)) {
        model.setSeparator(texts::kSeparators[static_cast<std::size_t>(value)].separator);
    } else if (control == names::kLayout && inRange(texts::kLayouts, value)) {
        model.setLayout(texts::kLayouts[static_cast<std::size_t>(value)].layout);
    } else if (control == names::kNamesInFirstRow) {
        model.setNamesInFirstRow(value != 0);
    } else if (control == names::kNamesInFirstColumn) {
        model.setNamesInFirstColumn(value != 0);
    } else if (control == names::kSubjectColumn) {
        model.setSubjectColumn(value);
    } else if (control == names::kStimulusColumn) {
        model.setStimulusColumn(value);
    } else if (control == names::kGroupColumn) {
        model.setGroupColumn(value);
    } else if (control == names::kFirstStimulusColumn) {
        model.setStimulusColumns(value, model.lastStimulusColumn());
    } else if (control == names::kLastStimulusColumn) {
        model.setStimulusColumns(model.firstStimulusColumn(), value);
    } else if (control == names::kMissing && inRange(texts::kMissingChoices, value)) {
        model.setMissing(texts::kMissingChoices[static_cast<std::size_t>(value)].missing);
    }
}

} // namespace

bool WebImportDialog::show(ImportModel& model) {
    if (!textsGiven_) {
        pageImportSetup(importDialogTexts().c_str());
        textsGiven_ = true;
    }
    std::string saveResult;
    pageImportDraw(importDialogState(model, saveResult).c_str());
    pageImportOpen();
    // Closed however show() ends, a failure included: an open modal dialog would leave the page
    // taking no input.
    const std::unique_ptr<void, void (*)(void*)> closer(&model, [](void*) { pageImportClose(); });
    for (;;) {
        const Action action = nextAction();
        if (action.control == names::kCancel) {
            return false;
        }
        if (action.control == names::kOk) {
            if (model.okAllowed()) {
                return true;
            }
            continue;
        }
        if (action.control == names::kSaveList) {
            // Empty text: the save was cancelled, and nothing is said.
            saveResult = model.saveStimulusList();
        } else {
            choose(model, action);
        }
        pageImportDraw(importDialogState(model, saveResult).c_str());
    }
}

} // namespace dissim::ui::web
