#pragma once

#include "file_dialog_backend.h"

namespace dissim::ui {

// The file dialog as Qt's own (non-native) QFileDialog, so that it looks and filters the same
// on every platform. "*.*" selects every file, also names without a dot.
class QtFileDialogBackend : public FileDialogBackend {
public:
    std::optional<QString> show(const FileDialogRequest& request) override;
};

// The patterns of one filter entry as QFileDialog reads them: space-separated, "*.*" as "*".
QString qtPatterns(const QString& pattern);

} // namespace dissim::ui
