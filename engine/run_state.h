#pragma once

#include "count_value.h"
#include "matrix16.h"
#include "table_reading.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace dissim {

// The one record that carries a run's settings from their entry to the end of the run,
// with the run's three work arrays. The window owns one for its whole life; run setup and
// file selection write the settings, the run reads them and alone sizes and fills the arrays.
struct RunState {
    Matrix16 subjectMatrix;               // one subject's 0/1 matrix (1: different groups)
    Matrix16 countMatrix;                 // per pair: how many subjects separated the two
    std::vector<std::int16_t> groupCodes; // the current subject's code per stimulus
    CountValue numStimuli;                // as typed; empty until entered
    CountValue numSubjects;               // as typed; empty until entered
    std::string inputFile;                // the sort data file
    std::string outputFile;               // the matrix file
    // How the input file is read as a study's table, where the Import dialog was confirmed for
    // it; none (or one chosen for another path): the input file is plain sort data.
    std::optional<TableReading> tableReading;
};

} // namespace dissim
