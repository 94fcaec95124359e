#include "import_preview.h"

#include "import_model.h"

#include <QHeaderView>

namespace dissim::ui {
namespace {

// The tint of names and the pink of problems, light enough for black text on either.
const QColor kNameTint(221, 232, 244);
const QColor kProblemPink(255, 200, 200);

// How a cell of this role looks, and what assistive technology is told of it besides its
// text (the colours alone would say nothing to a person who does not see them).
void styleCell(QTableWidgetItem& item, ImportModel::CellRole role, const QPalette& palette) {
    switch (role) {
    case ImportModel::CellRole::Name: {
        QFont bold = item.font();
        bold.setBold(true);
        item.setFont(bold);
        item.setBackground(kNameTint);
        item.setForeground(QColor(Qt::black));
        item.setData(Qt::AccessibleDescriptionRole, QStringLiteral("name"));
        break;
    }
    case ImportModel::CellRole::Code:
        break;
    case ImportModel::CellRole::Ignored:
        item.setForeground(palette.color(QPalette::Disabled, QPalette::Text));
        item.setData(Qt::AccessibleDescriptionRole, QStringLiteral("ignored"));
        break;
    case ImportModel::CellRole::Problem:
        item.setBackground(kProblemPink);
        item.setForeground(QColor(Qt::black));
        item.setData(Qt::AccessibleDescriptionRole, QStringLiteral("problem"));
        break;
    }
}

} // namespace

ImportPreview::ImportPreview(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setWordWrap(false);
    // Tab leaves the table for the next control instead of walking its cells.
    setTabKeyNavigation(false);
    horizontalHeader()->setDefaultSectionSize(100);
    // Rows as high as a line of text, so that most of the preview's rows show at once.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setHighlightSections(false);
    verticalHeader()->setHighlightSections(false);
}

void ImportPreview::showModel(const ImportModel& model) {
    const bool table = model.readError().empty();
    const int rows = table ? static_cast<int>(model.previewRows()) : 0;
    const int columns = table ? static_cast<int>(model.previewColumns()) : 0;
    clear();
    setRowCount(rows);
    setColumnCount(columns);
    QStringList columnNames;
    for (int column = 0; column < columns; ++column) {
        columnNames << QString::fromStdString(columnName(static_cast<std::size_t>(column)));
    }
    setHorizontalHeaderLabels(columnNames);
    QStringList rowNames;
    for (int row = 0; row < rows; ++row) {
        rowNames << QString::number(row + 1);
    }
    setVerticalHeaderLabels(rowNames);
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const auto r = static_cast<std::size_t>(row);
            const auto c = static_cast<std::size_t>(column);
            const std::string_view text = model.previewCell(r, c);
            auto* item = new QTableWidgetItem(
                QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            styleCell(*item, model.previewRole(r, c), palette());
            setItem(row, column, item);
        }
    }
}

} // namespace dissim::ui
