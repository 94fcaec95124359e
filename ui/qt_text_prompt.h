#pragma once

#include "text_prompt.h"

namespace dissim::ui {

// The prompt as a modal QInputDialog over the active window.
class QtTextPrompt : public TextPrompt {
public:
    QString ask(const QString& message, const QString& title) override;
};

} // namespace dissim::ui
