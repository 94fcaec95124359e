#pragma once

#include <QTableWidget>

namespace dissim::ui {

class ImportModel;

// The Import dialog's preview: the table's first rows and columns as a spreadsheet shows them
// (columns A, B, C..., rows 1, 2, 3...), read-only, each cell marked by what the reading makes
// of it: names bold on a tint, codes plain, ignored cells grey, problems on pink.
class ImportPreview : public QTableWidget {
    Q_OBJECT
public:
    explicit ImportPreview(QWidget* parent);

    // Fills the cells from the model; none where the file is no table.
    void showModel(const ImportModel& model);
};

} // namespace dissim::ui
