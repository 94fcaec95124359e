#pragma once

#include <QString>

namespace dissim::ui {

// A modal text prompt: shows a message and a title over an empty text field with OK and
// Cancel, waits for the user and returns the typed text. Cancel returns empty text.
class TextPrompt {
public:
    virtual ~TextPrompt() = default;
    virtual QString ask(const QString& message, const QString& title) = 0;
};

} // namespace dissim::ui
