#pragma once

#include <QDialog>

#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace dissim::ui {

class ImportModel;
class ImportPreview;

// The Import dialog's window over one model: the file, the choices of how it is read, the
// preview and what comes of it (import_texts.h names every control). Each control makes one
// change to the model; after every change all controls are drawn again from the model, which
// is the one place that knows what the table gives. OK is allowed only while the model allows
// it; Escape cancels.
class ImportWindow : public QDialog {
    Q_OBJECT
public:
    ImportWindow(ImportModel& model, QWidget* parent);

private:
    void buildChoices();
    void buildResults();
    void buildButtons();
    void chainTabOrder();
    // Makes one change to the model and draws the dialog again; ignored while it is drawn.
    template <typename Change> void change(Change&& makeChange);
    void saveList();
    void refresh();
    void refreshChoices(bool table);
    void refreshResults(bool table);

    ImportModel& model_;
    bool refreshing_ = false;
    std::vector<QWidget*> tabOrder_;

    QLabel* file_ = nullptr;
    QLabel* sheetLabel_ = nullptr;
    QComboBox* sheet_ = nullptr;
    QLabel* separatorLabel_ = nullptr;
    QComboBox* separator_ = nullptr;
    QComboBox* layout_ = nullptr;
    QCheckBox* namesInFirstRow_ = nullptr;
    QCheckBox* namesInFirstColumn_ = nullptr;
    QLabel* subjectColumnLabel_ = nullptr;
    QComboBox* subjectColumn_ = nullptr;
    QLabel* stimulusColumnLabel_ = nullptr;
    QComboBox* stimulusColumn_ = nullptr;
    QLabel* groupColumnLabel_ = nullptr;
    QComboBox* groupColumn_ = nullptr;
    QLabel* firstStimulusColumnLabel_ = nullptr;
    QComboBox* firstStimulusColumn_ = nullptr;
    QLabel* lastStimulusColumnLabel_ = nullptr;
    QComboBox* lastStimulusColumn_ = nullptr;
    QComboBox* missing_ = nullptr;
    ImportPreview* preview_ = nullptr;
    QLabel* found_ = nullptr;
    QLabel* counts_ = nullptr;
    QListWidget* stimuli_ = nullptr;
    QPushButton* saveList_ = nullptr;
    QLabel* saveResult_ = nullptr;
    QListWidget* problems_ = nullptr;
    QLabel* refusal_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace dissim::ui
