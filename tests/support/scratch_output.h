#pragma once

// An output file opened as a run opens one, beside an empty input file in a fresh folder that
// goes when the test ends.

#include "files.h"
#include "temp_dir.h"

#include <string>

namespace testsupport {

struct ScratchOutput {
    // Opens path, or out.txt in the folder when path is empty.
    explicit ScratchOutput(const std::string& outputPath = {})
        : input(emptyInputIn(dir)), path(outputPath.empty() ? dir.file("out.txt") : outputPath),
          output(path, input) {}

    // What the output file holds now.
    std::string contents() const { return readFile(path); }

    TempDir dir;
    dissim::InputFile input;
    std::string path;
    dissim::OutputFile output;

private:
    static std::string emptyInputIn(const TempDir& folder) {
        writeFile(folder.file("in.txt"), "");
        return folder.file("in.txt");
    }
};

} // namespace testsupport
