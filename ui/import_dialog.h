#pragma once

namespace dissim::ui {

class ImportModel;

// The Import dialog as a window draws it: modal over the window, over the model, which holds
// every choice and every text. Returns true for OK, which the window allows only while the
// model does (okAllowed()); false for Cancel, Escape or a close.
class ImportDialog {
public:
    virtual ~ImportDialog() = default;
    virtual bool show(ImportModel& model) = 0;
};

} // namespace dissim::ui
