#pragma once

#include "table_file.h"
#include "table_import.h"

#include <cstdint>
#include <string>

namespace dissim {

class InputFile;

// How the run reads its input file as a study's table, as the Import dialog showed it when the
// researcher confirmed it: the file's options (separator, sheet), the layout and the choice for
// missing data, and the counts the dialog showed. Kept in the run state for the one path it was
// chosen for; any other input file is plain sort data.
struct TableReading {
    std::string path;
    TableFileOptions file;
    ImportSettings import;
    std::int64_t subjects = 0;
    std::int64_t stimuli = 0;
    std::string description; // how the table is read, in words (readingText)
};

// The study in the open input file, read as reading says. Throws RunError when the file can no
// longer be read that way, or now holds another study than the dialog showed (it was changed
// since): the run must not write matrices the researcher did not see coming.
ImportedStudy readImportedStudy(InputFile& input, const TableReading& reading);

} // namespace dissim
