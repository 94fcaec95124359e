#include "layout_note.h"

namespace dissim {

bool layoutCanBeTold(std::int64_t subjects, std::int64_t stimuli) {
    return subjects > 1 && stimuli > 1 && subjects != stimuli;
}

std::string transposedLayoutNote(const SortDataReader::LineLayout& layout, std::int64_t subjects,
                                 std::int64_t stimuli) {
    if (!layoutCanBeTold(subjects, stimuli) || layout.codesPerLine != subjects ||
        layout.lines != stimuli) {
        return {};
    }
    const std::string lines = std::to_string(stimuli);
    const std::string codes = std::to_string(subjects);
    return "Each of the file's " + lines + " lines holds " + codes +
           " codes, one per subject, and there are as many lines as stimuli. If each line is "
           "one stimulus, the file is laid out the other way round and these matrices are not "
           "the study's: the codes must come subject by subject, each subject's " +
           lines + " codes in the order of the stimuli (one line per subject).";
}

} // namespace dissim
