#pragma once

#include "import_model.h"

#include <windows.h>

#include <commctrl.h>

namespace dissim::ui::win32 {

// The Import dialog's preview: a list view in report mode that shows the table's first rows and
// columns, headed A, B, C... above and 1, 2, 3... on the left as a spreadsheet heads them, each
// cell in the look of its part in the import: names in bold on a tint, codes plain, ignored
// cells greyed, problems on a pink background. Read-only.
class ImportPreview {
public:
    // How a cell of this role is drawn.
    struct Look {
        COLORREF text;
        COLORREF background;
        bool bold;
    };
    static Look lookOf(ImportModel::CellRole role);

    explicit ImportPreview(HWND control) : control_(control) {}
    ImportPreview(const ImportPreview&) = delete;
    ImportPreview& operator=(const ImportPreview&) = delete;
    ~ImportPreview();

    HWND control() const { return control_; }
    // The dialog's font, and its bold form for names.
    void setFont(HFONT font, UINT dpi);
    // The model's preview, or nothing (a file that is no table).
    void show(const ImportModel* model);
    // The list view's custom draw notification: what to return for it.
    LRESULT customDraw(NMLVCUSTOMDRAW& draw) const;

private:
    void setColumns(std::size_t columns);

    HWND control_;
    HFONT bold_ = nullptr;
    UINT dpi_ = 96;
    const ImportModel* model_ = nullptr;
    std::size_t columns_ = 0; // the list view's columns, the row numbers' included
};

} // namespace dissim::ui::win32
