#include "table_reading.h"

#include "files.h"
#include "run_error.h"

namespace dissim {

ImportedStudy readImportedStudy(InputFile& input, const TableReading& reading) {
    const std::string bytes = readWholeFile(input);
    const TableFile file = readTableFile(bytes, reading.file);
    ImportedStudy study = importStudy(file.table, reading.import);
    if (!study.usable) {
        throw RunError("the table can no longer be read as it was imported: " + study.refusal);
    }
    const auto subjects = static_cast<std::int64_t>(study.subjects.size());
    const auto stimuli = static_cast<std::int64_t>(study.stimuli.size());
    if (subjects != reading.subjects || stimuli != reading.stimuli) {
        throw RunError("the table now holds " + std::to_string(subjects) + " subjects and " +
                       std::to_string(stimuli) + " stimuli, not the " +
                       std::to_string(reading.subjects) + " and " +
                       std::to_string(reading.stimuli) +
                       " it held when it was imported: select the input file again");
    }
    return study;
}

} // namespace dissim
