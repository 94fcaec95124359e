#include "table_import_step.h"

#include "files.h"
#include "import_dialog.h"
#include "import_model.h"
#include "label.h"
#include "run_error.h"
#include "run_setup_handler.h"
#include "run_state.h"
#include "run_submission.h"
#include "table_file.h"

#include <optional>
#include <string>

namespace dissim::ui {
namespace {

// A count of step 1 as the look at the file takes it: 0 where none was typed.
std::int64_t typedCount(const CountValue& count) {
    try {
        return count.isEmpty() ? 0 : count.loopCount();
    } catch (const RunError&) {
        return 0;
    }
}

// The file's first bytes, and whether they are all of it; nothing where it cannot be read, or
// is no file on a disk: a pipe or a device is read by the run alone, as plain sort data, since
// reading ahead would wait on its writer (or take the bytes the run needs).
struct FileStart {
    std::string bytes;
    bool whole = false;
};
std::optional<FileStart> readStart(const std::string& path) {
    try {
        InputFile file(path);
        if (!file.isOnDisk()) {
            return std::nullopt;
        }
        FileStart start;
        start.bytes.resize(kInputLookBytes);
        std::size_t got = 0;
        while (got < start.bytes.size()) {
            const std::size_t read = file.read(start.bytes.data() + got, start.bytes.size() - got);
            if (read == 0) {
                start.whole = true;
                break;
            }
            got += read;
        }
        start.bytes.resize(got);
        return start;
    } catch (const RunError&) {
        // The run opens the file again and reports what is wrong with it.
        return std::nullopt;
    }
}

// The whole file for the dialog, or why it cannot be had (too large, unreadable): the dialog
// then shows that, with OK refused.
std::string readWhole(const std::string& path, std::string& error) {
    try {
        InputFile file(path);
        return readWholeFile(file);
    } catch (const RunError& failure) {
        error = failure.what();
        return {};
    }
}

} // namespace

void importInputTable(RunState& state, const WindowLabels& labels, TableImportPlatform& platform) {
    state.tableReading.reset();
    const std::int64_t subjects = typedCount(state.numSubjects);
    const std::int64_t stimuli = typedCount(state.numStimuli);
    const std::optional<FileStart> start = readStart(state.inputFile);
    if (!start || inputKind(start->bytes, start->whole, subjects, stimuli) == InputKind::Plain) {
        return;
    }

    platform.view.setBusy(true);
    std::string error;
    std::string bytes = start->whole ? start->bytes : readWhole(state.inputFile, error);
    ImportModel model(state.inputFile, std::move(bytes), subjects, stimuli, platform.listDialog);
    platform.view.setBusy(false);
    if (!platform.dialog.show(model) || !model.okAllowed()) {
        return;
    }

    TableReading reading = model.reading();
    state.numSubjects = CountValue(std::to_string(reading.subjects));
    state.numStimuli = CountValue(std::to_string(reading.stimuli));
    labels.lblSubsStim.setText(countsSummary(state));
    labels.lblSubsStim.setDetail({});
    labels.lblIfileInfo.setDetail(state.inputFile + "\n" + reading.description);
    state.tableReading = std::move(reading);
}

} // namespace dissim::ui
