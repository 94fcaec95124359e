// Fuzz target: an arbitrary table under arbitrary import settings, and under those guessed for
// it. Eight bytes choose the settings and the typed counts; the rest is the table (rows ended
// by line feeds, cells by '|' or ','). Nothing may crash or throw; a usable study has a subject,
// two stimuli, a code per subject and stimulus numbered in order of first appearance, and no
// problem its choice refuses; a refused one says why and has no codes; the problems listed are
// the first counted, each naming its place; the guess names distinct columns within the table;
// the same table and settings give the same study again.

#include "table_import.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

using dissim::ImportSettings;
using dissim::MissingData;
using Kind = dissim::ImportProblem::Kind;

void check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "FINDING: %s\n", what);
        std::abort();
    }
}

void checkStudy(const ImportSettings& settings, const dissim::ImportedStudy& study) {
    const std::size_t s = study.subjects.size();
    const std::size_t n = study.stimuli.size();
    check(study.problems.size() == std::min(study.problemCount, dissim::kMaxListedProblems),
          "the problems listed are not the first of those counted");
    for (const auto& problem : study.problems) {
        check(!problem.text.empty() && problem.text.find(problem.place) != std::string::npos,
              "a problem's text is missing or does not name its place");
        check(!study.usable || (settings.missing != MissingData::Stop &&
                                !(problem.kind == Kind::Layout && problem.subject.empty())),
              "usable with a problem under Stop, or although the settings do not fit");
        check(!study.usable || settings.missing != MissingData::OwnGroup ||
                  problem.kind == Kind::Unsorted || problem.kind == Kind::NoSubject,
              "a group of its own mended what it cannot");
    }
    check(settings.missing == MissingData::LeaveOut || study.leftOut.empty(),
          "subjects left out without the choice to");
    check(study.usable == study.refusal.empty(), "usable does not match the refusal");
    if (!study.usable) {
        check(study.codes.empty(), "a refused import with codes");
        return;
    }
    check(s >= 1 && n >= 2 && s <= 32767, "a usable import without a study, or too large");
    check(study.codes.size() == s * n, "not one code per subject and stimulus");
    std::int16_t most = 0;
    for (std::size_t i = 0; i < s * n; ++i) {
        most = i % n == 0 ? 0 : most;
        check(study.codes[i] >= 1 && study.codes[i] <= most + 1,
              "codes not numbered in order of appearance");
        most = std::max(most, study.codes[i]);
    }
    const std::string list = dissim::stimulusListText(study);
    check(static_cast<std::size_t>(std::count(list.begin(), list.end(), '\n')) >= n,
          "the stimulus list misses stimuli");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8) {
        return 0;
    }
    const auto column = [](std::uint8_t byte) { return static_cast<int>(byte % 12) - 1; };
    ImportSettings settings;
    settings.layout = static_cast<dissim::TableLayout>(data[0] % 4);
    settings.namesInFirstRow = (data[0] & 0x04) != 0;
    settings.namesInFirstColumn = (data[0] & 0x08) != 0;
    settings.missing = static_cast<MissingData>((data[0] >> 4) % 3);
    settings.subjectColumn = column(data[1]);
    settings.stimulusColumn = column(data[2]);
    settings.groupColumn = column(data[3]);
    for (int i = 0; i < data[4] % 8; ++i) {
        settings.stimulusColumns.push_back(column(static_cast<std::uint8_t>(data[5] + 3 * i)));
    }
    dissim::Table table;
    const std::string_view text(reinterpret_cast<const char*>(data) + 8, size - 8);
    for (std::size_t start = 0, i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '|' || text[i] == ',' || text[i] == '\n') {
            table.addCell(text.substr(start, i - start));
            start = i + 1;
            if (i == text.size() || text[i] == '\n') {
                table.endRow();
            }
        }
    }

    const dissim::ImportedStudy study = dissim::importStudy(table, settings);
    checkStudy(settings, study);
    check(dissim::importStudy(table, settings).codes == study.codes,
          "the same table gave other codes");
    check(!dissim::foundText(study).empty() && !dissim::readingText(settings, study).empty(),
          "a text is missing");

    const ImportSettings guess = dissim::guessImportSettings(table, data[6] % 16, data[7] % 16);
    std::set<int> chosen;
    const bool isLong = guess.layout == dissim::TableLayout::Long;
    const bool isGroups = guess.layout == dissim::TableLayout::GroupRows;
    std::vector<std::pair<int, bool>> columns = {{guess.subjectColumn, isLong || isGroups},
                                                 {guess.stimulusColumn, isLong},
                                                 {guess.groupColumn, isLong}};
    for (const int c : guess.stimulusColumns) {
        columns.emplace_back(c, true);
    }
    for (const auto& [c, needed] : columns) {
        check(c >= 0 || !needed, "the guess chose no column where its layout needs one");
        check(c < 0 || (static_cast<std::size_t>(c) < table.columns() && chosen.insert(c).second),
              "the guess chose a column past the table, or one twice");
    }
    check(guess.missing == MissingData::Stop, "the guess chose how to treat missing data");
    checkStudy(guess, dissim::importStudy(table, guess));
    return 0;
}
