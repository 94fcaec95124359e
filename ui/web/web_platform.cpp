#include "web_platform.h"

#include "picker_filters.h"

#include <emscripten.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace dissim::ui::web {
namespace {

// A string the page made with malloc.
struct FreeText {
    void operator()(char* text) const { std::free(text); }
};
using PageText = std::unique_ptr<char, FreeText>;

// clang-format off
EM_JS(void, pageSetLabelText, (const char* name, const char* text), {
  dissimPage.setLabelText(UTF8ToString(name), UTF8ToString(text));
});

EM_JS(void, pageSetLabelDetail, (const char* name, const char* detail), {
  dissimPage.setLabelDetail(UTF8ToString(name), UTF8ToString(detail));
});

EM_ASYNC_JS(char*, pagePrompt, (const char* message, const char* title), {
  var answer = await dissimPage.prompt(UTF8ToString(message), UTF8ToString(title));
  var bytes = lengthBytesUTF8(answer) + 1;
  var copy = _malloc(bytes);
  stringToUTF8(answer, copy, bytes);
  return copy;
});

EM_JS(void, pageBeep, (), {
  dissimPage.beep();
});

// filters: "description\nextensions\n" per entry, extensions separated by ','. outcome: 0 chosen
// (the name is returned), 1 cancelled, 2 failed (the reason is returned).
EM_ASYNC_JS(char*, pageChooseFile, (int save, const char* fileName, const char* filters, int* outcome), {
  var lines = UTF8ToString(filters).split('\n');
  var list = [];
  for (var i = 0; i + 1 < lines.length; i += 2) {
    list.push({ description: lines[i], extensions: lines[i + 1] === "" ? [] : lines[i + 1].split(',') });
  }
  var text = "";
  try {
    var name = await dissimPage.chooseFile(save !== 0, UTF8ToString(fileName), list);
    HEAP32[outcome >> 2] = name === null ? 1 : 0;
    text = name === null ? "" : name;
  } catch (error) {
    HEAP32[outcome >> 2] = 2;
    text = (error && error.message) ? error.message : String(error);
  }
  var bytes = lengthBytesUTF8(text) + 1;
  var copy = _malloc(bytes);
  stringToUTF8(text, copy, bytes);
  return copy;
});

EM_JS(char*, pageDecimalSeparator, (), {
  var separator = '.';
  try {
    new Intl.NumberFormat().formatToParts(1.5).forEach(function (part) {
      if (part.type === 'decimal') separator = part.value;
    });
  } catch (error) {
  }
  var bytes = lengthBytesUTF8(separator) + 1;
  var copy = _malloc(bytes);
  stringToUTF8(separator, copy, bytes);
  return copy;
});
// clang-format on

} // namespace

void WebLabel::setText(const std::string& text) {
    pageSetLabelText(name_, text.c_str());
}

void WebLabel::setDetail(const std::string& detail) {
    pageSetLabelDetail(name_, detail.c_str());
}

std::string WebTextPrompt::ask(const std::string& message, const std::string& title) {
    const PageText answer(pagePrompt(message.c_str(), title.c_str()));
    return answer ? std::string(answer.get()) : std::string();
}

void WebBeeper::beep() {
    pageBeep();
}

std::optional<std::string> WebFileDialogBackend::show(const FileDialogRequest& request) {
    const std::string filters = pickerFilters(request);
    int outcome = 2;
    const PageText text(pageChooseFile(request.mode == FileDialogRequest::Mode::Save ? 1 : 0,
                                       request.fileName.c_str(), filters.c_str(), &outcome));
    const std::string answer = text ? std::string(text.get()) : std::string();
    if (outcome == 1) {
        return std::nullopt;
    }
    if (outcome != 0) {
        throw std::runtime_error("the file cannot be chosen: " + answer);
    }
    return answer;
}

char webDecimalSeparator() {
    const PageText separator(pageDecimalSeparator());
    if (separator && separator.get()[0] > 0 && separator.get()[1] == '\0') {
        return separator.get()[0];
    }
    return '.';
}

} // namespace dissim::ui::web
