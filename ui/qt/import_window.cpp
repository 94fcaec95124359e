#include "import_window.h"

#include "import_model.h"
#include "import_preview.h"
#include "import_texts.h"
#include "qt_platform.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace dissim::ui {
namespace {

namespace texts = import_texts;
namespace names = import_texts::names;

QString text(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// A control's name for assistive technology: its label's text without the access key's mark.
QString withoutAccessKey(const char* labelText) {
    QString plain = text(labelText);
    plain.remove(u'&');
    return plain;
}

template <typename Widget> Widget* named(Widget* widget, const char* name, const QString& spoken) {
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(spoken);
    return widget;
}

// A label that shows a result: plain text, selectable with the mouse, and read by its fixed
// name with the result as its description.
QLabel* resultLabel(QWidget* parent, const char* name, const QString& spoken) {
    auto* label = named(new QLabel(parent), name, spoken);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

void showResult(QLabel& label, const QString& result) {
    label.setText(result);
    label.setAccessibleDescription(result);
}

// A combo box whose width does not follow its longest choice (a column's long name).
QComboBox* choiceBox(QWidget* parent, const char* name, const char* labelText) {
    auto* combo = named(new QComboBox(parent), name, withoutAccessKey(labelText));
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    combo->setMinimumContentsLength(10);
    return combo;
}

QLabel* buddyLabel(QWidget* parent, const char* labelText, QWidget& buddy) {
    auto* label = new QLabel(text(labelText), parent);
    label->setBuddy(&buddy);
    return label;
}

// Replaces a combo box's choices only when they changed, so that redrawing the dialog keeps
// an open list as it is.
void setChoices(QComboBox& combo, const QStringList& choices) {
    QStringList present;
    for (int i = 0; i < combo.count(); ++i) {
        present << combo.itemText(i);
    }
    if (present != choices) {
        combo.clear();
        combo.addItems(choices);
    }
}

QStringList choicesOf(const std::vector<std::string>& items) {
    QStringList choices;
    for (const std::string& item : items) {
        choices << text(item);
    }
    return choices;
}

void setLines(QListWidget& list, const QStringList& lines) {
    QStringList present;
    for (int i = 0; i < list.count(); ++i) {
        present << list.item(i)->text();
    }
    if (present != lines) {
        list.clear();
        list.addItems(lines);
    }
}

void showControl(QWidget& control, QLabel* label, bool shown) {
    control.setVisible(shown);
    if (label != nullptr) {
        label->setVisible(shown);
    }
}

} // namespace

ImportWindow::ImportWindow(ImportModel& model, QWidget* parent) : QDialog(parent), model_(model) {
    setObjectName(QLatin1String(names::kDialog));
    setWindowTitle(text(texts::kTitle));
    setAccessibleName(text(texts::kTitle));
    setModal(true);
    setSizeGripEnabled(true);
    resize(900, 640);

    auto* whole = new QVBoxLayout(this);
    auto* fileRow = new QHBoxLayout;
    file_ = resultLabel(this, names::kFile, withoutAccessKey(texts::kFileLabel));
    fileRow->addWidget(new QLabel(text(texts::kFileLabel), this));
    fileRow->addWidget(file_, 1);
    whole->addLayout(fileRow);

    // Created in the order Tab walks them.
    buildChoices();
    buildResults();
    buildButtons();
    tabOrder_ = {sheet_,
                 separator_,
                 layout_,
                 namesInFirstRow_,
                 namesInFirstColumn_,
                 subjectColumn_,
                 stimulusColumn_,
                 firstStimulusColumn_,
                 groupColumn_,
                 lastStimulusColumn_,
                 missing_,
                 preview_,
                 stimuli_,
                 saveList_,
                 problems_,
                 ok_,
                 cancel_};
    chainTabOrder();

    refresh();
    // The first control that takes a choice has the focus.
    if (model_.hasSheets()) {
        sheet_->setFocus();
    } else if (model_.hasSeparator()) {
        separator_->setFocus();
    } else if (model_.readError().empty()) {
        layout_->setFocus();
    } else {
        cancel_->setFocus();
    }
}

void ImportWindow::buildChoices() {
    // The labels in a column of their own; each row's controls from the left.
    auto* grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    static_cast<QVBoxLayout*>(layout())->addLayout(grid);
    const auto row = [grid](int at) {
        auto* controls = new QHBoxLayout;
        grid->addLayout(controls, at, 1);
        return controls;
    };

    sheet_ = choiceBox(this, names::kSheet, texts::kSheetLabel);
    sheetLabel_ = buddyLabel(this, texts::kSheetLabel, *sheet_);
    separator_ = choiceBox(this, names::kSeparator, texts::kSeparatorLabel);
    separatorLabel_ = buddyLabel(this, texts::kSeparatorLabel, *separator_);
    for (const texts::SeparatorChoice& choice : texts::kSeparators) {
        separator_->addItem(text(choice.text));
    }
    // A workbook has sheets, a text table a separator: the two share a place.
    QHBoxLayout* fileRow = row(0);
    grid->addWidget(sheetLabel_, 0, 0);
    grid->addWidget(separatorLabel_, 0, 0);
    fileRow->addWidget(sheet_);
    fileRow->addWidget(separator_);
    fileRow->addStretch(1);

    layout_ = choiceBox(this, names::kLayout, texts::kLayoutLabel);
    for (const texts::LayoutChoice& choice : texts::kLayouts) {
        layout_->addItem(text(choice.text));
    }
    layout_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    namesInFirstRow_ = named(new QCheckBox(text(texts::kNamesInFirstRow), this),
                             names::kNamesInFirstRow, withoutAccessKey(texts::kNamesInFirstRow));
    namesInFirstColumn_ =
        named(new QCheckBox(text(texts::kNamesInFirstColumn), this), names::kNamesInFirstColumn,
              withoutAccessKey(texts::kNamesInFirstColumn));
    grid->addWidget(buddyLabel(this, texts::kLayoutLabel, *layout_), 1, 0);
    QHBoxLayout* layoutRow = row(1);
    layoutRow->addWidget(layout_);
    layoutRow->addSpacing(12);
    layoutRow->addWidget(namesInFirstRow_);
    layoutRow->addSpacing(12);
    layoutRow->addWidget(namesInFirstColumn_);
    layoutRow->addStretch(1);

    // The long layout's columns and the group layout's share the row: only one set shows.
    subjectColumn_ = choiceBox(this, names::kSubjectColumn, texts::kSubjectColumnLabel);
    subjectColumnLabel_ = buddyLabel(this, texts::kSubjectColumnLabel, *subjectColumn_);
    stimulusColumn_ = choiceBox(this, names::kStimulusColumn, texts::kStimulusColumnLabel);
    stimulusColumnLabel_ = buddyLabel(this, texts::kStimulusColumnLabel, *stimulusColumn_);
    firstStimulusColumn_ =
        choiceBox(this, names::kFirstStimulusColumn, texts::kFirstStimulusColumnLabel);
    firstStimulusColumnLabel_ =
        buddyLabel(this, texts::kFirstStimulusColumnLabel, *firstStimulusColumn_);
    groupColumn_ = choiceBox(this, names::kGroupColumn, texts::kGroupColumnLabel);
    groupColumnLabel_ = buddyLabel(this, texts::kGroupColumnLabel, *groupColumn_);
    lastStimulusColumn_ =
        choiceBox(this, names::kLastStimulusColumn, texts::kLastStimulusColumnLabel);
    lastStimulusColumnLabel_ =
        buddyLabel(this, texts::kLastStimulusColumnLabel, *lastStimulusColumn_);
    grid->addWidget(subjectColumnLabel_, 2, 0);
    QHBoxLayout* columnRow = row(2);
    for (QWidget* widget : std::initializer_list<QWidget*>{
             subjectColumn_, stimulusColumnLabel_, stimulusColumn_, firstStimulusColumnLabel_,
             firstStimulusColumn_, groupColumnLabel_, groupColumn_, lastStimulusColumnLabel_,
             lastStimulusColumn_}) {
        if (qobject_cast<QLabel*>(widget) != nullptr) {
            columnRow->addSpacing(12);
        }
        columnRow->addWidget(widget);
    }
    columnRow->addStretch(1);

    missing_ = choiceBox(this, names::kMissing, texts::kMissingLabel);
    for (const texts::MissingChoice& choice : texts::kMissingChoices) {
        missing_->addItem(text(choice.text));
    }
    missing_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    grid->addWidget(buddyLabel(this, texts::kMissingLabel, *missing_), 3, 0);
    QHBoxLayout* missingRow = row(3);
    missingRow->addWidget(missing_);
    missingRow->addStretch(1);

    connect(sheet_, &QComboBox::currentIndexChanged, this, [this](int index) {
        change([&] { model_.setSheet(static_cast<std::size_t>(index)); });
    });
    connect(separator_, &QComboBox::currentIndexChanged, this, [this](int index) {
        change([&] { model_.setSeparator(texts::kSeparators.at(std::size_t(index)).separator); });
    });
    connect(layout_, &QComboBox::currentIndexChanged, this, [this](int index) {
        change([&] { model_.setLayout(texts::kLayouts.at(std::size_t(index)).layout); });
    });
    connect(namesInFirstRow_, &QCheckBox::toggled, this,
            [this](bool on) { change([&] { model_.setNamesInFirstRow(on); }); });
    connect(namesInFirstColumn_, &QCheckBox::toggled, this,
            [this](bool on) { change([&] { model_.setNamesInFirstColumn(on); }); });
    connect(subjectColumn_, &QComboBox::currentIndexChanged, this,
            [this](int index) { change([&] { model_.setSubjectColumn(index); }); });
    connect(stimulusColumn_, &QComboBox::currentIndexChanged, this,
            [this](int index) { change([&] { model_.setStimulusColumn(index); }); });
    connect(groupColumn_, &QComboBox::currentIndexChanged, this,
            [this](int index) { change([&] { model_.setGroupColumn(index); }); });
    connect(firstStimulusColumn_, &QComboBox::currentIndexChanged, this, [this](int index) {
        change([&] { model_.setStimulusColumns(index, model_.lastStimulusColumn()); });
    });
    connect(lastStimulusColumn_, &QComboBox::currentIndexChanged, this, [this](int index) {
        change([&] { model_.setStimulusColumns(model_.firstStimulusColumn(), index); });
    });
    connect(missing_, &QComboBox::currentIndexChanged, this, [this](int index) {
        change([&] { model_.setMissing(texts::kMissingChoices.at(std::size_t(index)).missing); });
    });
}

void ImportWindow::buildResults() {
    auto* whole = static_cast<QVBoxLayout*>(layout());
    preview_ =
        named(new ImportPreview(this), names::kPreview, withoutAccessKey(texts::kPreviewLabel));
    whole->addWidget(buddyLabel(this, texts::kPreviewLabel, *preview_));
    whole->addWidget(preview_, 3);

    auto* found = new QGridLayout;
    found_ = resultLabel(this, names::kFound, withoutAccessKey(texts::kFoundLabel));
    counts_ = resultLabel(this, names::kCounts, text(texts::kCountsName));
    found->addWidget(new QLabel(text(texts::kFoundLabel), this), 0, 0, Qt::AlignTop);
    found->addWidget(found_, 0, 1);
    found->addWidget(counts_, 1, 1);
    found->setColumnStretch(1, 1);
    whole->addLayout(found);

    auto* lists = new QHBoxLayout;
    auto* stimuliColumn = new QVBoxLayout;
    stimuli_ =
        named(new QListWidget(this), names::kStimuli, withoutAccessKey(texts::kStimuliLabel));
    stimuliColumn->addWidget(buddyLabel(this, texts::kStimuliLabel, *stimuli_));
    stimuliColumn->addWidget(stimuli_, 1);
    auto* saveRow = new QHBoxLayout;
    saveList_ = named(new QPushButton(text(texts::kSaveList), this), names::kSaveList,
                      withoutAccessKey(texts::kSaveList));
    saveResult_ = resultLabel(this, names::kSaveResult, text(texts::kSaveResultName));
    saveRow->addWidget(saveList_);
    saveRow->addWidget(saveResult_, 1);
    stimuliColumn->addLayout(saveRow);
    lists->addLayout(stimuliColumn, 1);

    auto* problemsColumn = new QVBoxLayout;
    problems_ =
        named(new QListWidget(this), names::kProblems, withoutAccessKey(texts::kProblemsLabel));
    problemsColumn->addWidget(buddyLabel(this, texts::kProblemsLabel, *problems_));
    problemsColumn->addWidget(problems_, 1);
    lists->addLayout(problemsColumn, 2);
    whole->addLayout(lists, 1);

    connect(saveList_, &QPushButton::clicked, this, &ImportWindow::saveList);
}

void ImportWindow::buildButtons() {
    auto* whole = static_cast<QVBoxLayout*>(layout());
    refusal_ = resultLabel(this, names::kRefusal, text(texts::kRefusalName));
    whole->addWidget(refusal_);

    // OK then Cancel at the right, in the order Tab takes them.
    auto* buttons = new QHBoxLayout;
    ok_ = named(new QPushButton(text(texts::kOk), this), names::kOk, text(texts::kOk));
    cancel_ =
        named(new QPushButton(text(texts::kCancel), this), names::kCancel, text(texts::kCancel));
    ok_->setDefault(true);
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    whole->addLayout(buttons);
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (model_.okAllowed()) {
            accept();
        }
    });
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

void ImportWindow::chainTabOrder() {
    for (std::size_t i = 0; i + 1 < tabOrder_.size(); ++i) {
        QWidget::setTabOrder(tabOrder_[i], tabOrder_[i + 1]);
    }
}

template <typename Change> void ImportWindow::change(Change&& makeChange) {
    if (refreshing_) {
        return;
    }
    makeChange();
    refresh();
}

void ImportWindow::saveList() {
    // Empty text: the researcher cancelled the save dialog, and nothing is said.
    showResult(*saveResult_, text(model_.saveStimulusList()));
    refresh();
}

void ImportWindow::refresh() {
    refreshing_ = true;
    const bool table = model_.readError().empty();
    QString file = fromEnginePath(model_.path());
    if (table) {
        file += QStringLiteral(" (") + text(model_.formatText()) + u')';
    }
    showResult(*file_, file);
    refreshChoices(table);
    refreshResults(table);
    refreshing_ = false;
}

void ImportWindow::refreshChoices(bool table) {
    const ImportSettings& settings = model_.settings();

    showControl(*sheet_, sheetLabel_, model_.hasSheets());
    setChoices(*sheet_, choicesOf(model_.sheets()));
    sheet_->setCurrentIndex(model_.hasSheets() ? static_cast<int>(model_.sheet()) : -1);

    showControl(*separator_, separatorLabel_, model_.hasSeparator());
    int separator = -1;
    for (std::size_t i = 0; i < texts::kSeparators.size(); ++i) {
        if (texts::kSeparators[i].separator == model_.separator()) {
            separator = static_cast<int>(i);
        }
    }
    separator_->setCurrentIndex(separator);

    int layout = -1;
    for (std::size_t i = 0; i < texts::kLayouts.size(); ++i) {
        if (texts::kLayouts[i].layout == settings.layout) {
            layout = static_cast<int>(i);
        }
    }
    layout_->setEnabled(table);
    layout_->setCurrentIndex(layout);

    const bool wide =
        settings.layout == TableLayout::SubjectRows || settings.layout == TableLayout::StimulusRows;
    namesInFirstRow_->setEnabled(table);
    namesInFirstRow_->setChecked(settings.namesInFirstRow);
    namesInFirstColumn_->setEnabled(table && wide);
    namesInFirstColumn_->setChecked(settings.namesInFirstColumn);

    const bool columns = table && model_.usesColumns();
    const bool longLayout = columns && settings.layout == TableLayout::Long;
    const bool groupLayout = columns && settings.layout == TableLayout::GroupRows;
    const QStringList choices = columns ? choicesOf(model_.columnChoices()) : QStringList();
    const std::pair<QComboBox*, int> columnBoxes[] = {
        {subjectColumn_, settings.subjectColumn},
        {stimulusColumn_, settings.stimulusColumn},
        {groupColumn_, settings.groupColumn},
        {firstStimulusColumn_, model_.firstStimulusColumn()},
        {lastStimulusColumn_, model_.lastStimulusColumn()},
    };
    for (const auto& [box, column] : columnBoxes) {
        setChoices(*box, choices);
        box->setCurrentIndex(column < box->count() ? column : -1);
    }
    showControl(*subjectColumn_, subjectColumnLabel_, columns);
    showControl(*stimulusColumn_, stimulusColumnLabel_, longLayout);
    showControl(*groupColumn_, groupColumnLabel_, longLayout);
    showControl(*firstStimulusColumn_, firstStimulusColumnLabel_, groupLayout);
    showControl(*lastStimulusColumn_, lastStimulusColumnLabel_, groupLayout);

    int missing = -1;
    for (std::size_t i = 0; i < texts::kMissingChoices.size(); ++i) {
        if (texts::kMissingChoices[i].missing == settings.missing) {
            missing = static_cast<int>(i);
        }
    }
    missing_->setEnabled(table);
    missing_->setCurrentIndex(missing);
}

void ImportWindow::refreshResults(bool table) {
    preview_->showModel(model_);
    preview_->setEnabled(table);
    showResult(*found_, table ? text(model_.foundText()) : QString());
    showResult(*counts_, table ? text(model_.countsText()) : QString());

    setLines(*stimuli_, table ? choicesOf(model_.stimulusLines()) : QStringList());
    stimuli_->setEnabled(table);
    saveList_->setEnabled(table && !model_.study().stimuli.empty());

    QStringList problems;
    if (table) {
        problems = choicesOf(model_.problemTexts());
        if (problems.isEmpty()) {
            problems << text(texts::kNoProblems);
        }
    }
    setLines(*problems_, problems);
    problems_->setEnabled(table);

    showResult(*refusal_, text(table ? model_.okRefusal() : model_.readError()));
    ok_->setEnabled(model_.okAllowed());
}

} // namespace dissim::ui
