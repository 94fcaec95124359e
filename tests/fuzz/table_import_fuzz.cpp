// Fuzz target: an arbitrary table under arbitrary import settings, and the settings guessed
// for it.
//
// The first bytes choose the settings (layout, names, columns, the choice for missing data) and
// the typed counts; the rest is the table, rows ended by line feeds, cells by '|' or ','.
// Nothing may crash, trip a sanitizer or throw, and every study must hold together:
//  - a usable study has at least one subject and two stimuli, one code per subject and
//    stimulus, each subject's codes numbered 1, 2, ... in order of first appearance, and no
//    problem its choice refuses;
//  - a refused study says why and has no codes;
//  - the problems listed are the first of those counted, each naming its place;
//  - the guess names columns within the table and never the same column twice, and the import
//    under it holds together too;
//  - the same table and settings give the same study again.

#include "table_import.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

using dissim::ImportedStudy;
using dissim::ImportSettings;
using dissim::MissingData;
using Kind = dissim::ImportProblem::Kind;

[[noreturn]] void finding(const char* what) {
    std::fprintf(stderr, "FINDING: %s\n", what);
    std::abort();
}

void check(bool holds, const char* what) {
    if (!holds) {
        finding(what);
    }
}

dissim::Table tableOf(std::string_view text) {
    dissim::Table table;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == '|' || text[i] == ',' || text[i] == '\n') {
            table.addCell(text.substr(start, i - start));
            start = i + 1;
            if (i == text.size() || text[i] == '\n') {
                table.endRow();
            }
        }
    }
    return table;
}

// A column from a byte: -1 (none) up to a few past the table's last.
int columnOf(std::uint8_t byte) {
    return static_cast<int>(byte % 12) - 1;
}

void checkStudy(const ImportSettings& settings, const ImportedStudy& study) {
    const std::size_t s = study.subjects.size();
    const std::size_t n = study.stimuli.size();
    check(study.problems.size() == std::min(study.problemCount, dissim::kMaxListedProblems),
          "the problems listed are not the first of those counted");
    for (const auto& problem : study.problems) {
        check(!problem.text.empty(), "a problem without a text");
        check(problem.text.find(problem.place) != std::string::npos,
              "a problem's text does not name its place");
    }
    check(settings.missing == MissingData::LeaveOut || study.leftOut.empty(),
          "subjects left out without the choice to");
    if (!study.usable) {
        check(!study.refusal.empty(), "a refused import without a reason");
        check(study.codes.empty(), "a refused import with codes");
        return;
    }
    check(study.refusal.empty(), "a usable import with a refusal");
    check(s >= 1 && n >= 2, "a usable import without a study");
    check(s <= 32767, "more subjects than the count matrix can count");
    check(study.codes.size() == s * n, "not one code per subject and stimulus");
    for (std::size_t i = 0; i < s; ++i) {
        std::int16_t most = 0;
        for (std::size_t j = 0; j < n; ++j) {
            const std::int16_t code = study.codes[i * n + j];
            check(code >= 1 && code <= most + 1, "codes not numbered in order of appearance");
            most = std::max(most, code);
        }
    }
    for (const auto& problem : study.problems) {
        const bool settingsMisfit = problem.kind == Kind::Layout && problem.subject.empty();
        check(!settingsMisfit, "usable although the settings do not fit");
        check(settings.missing != MissingData::Stop, "usable with a problem under Stop");
        if (settings.missing == MissingData::OwnGroup) {
            check(problem.kind == Kind::Unsorted || problem.kind == Kind::NoSubject,
                  "a group of its own mended what it cannot");
        }
    }
    const std::string list = dissim::stimulusListText(study);
    check(static_cast<std::size_t>(std::count(list.begin(), list.end(), '\n')) >= n,
          "the stimulus list misses stimuli");
}

void checkGuess(const dissim::Table& table, const ImportSettings& guess) {
    std::set<int> chosen;
    const auto column = [&](int c, bool needed) {
        if (c < 0) {
            check(!needed, "the guess chose no column where its layout needs one");
            return;
        }
        check(static_cast<std::size_t>(c) < table.columns(),
              "the guess chose a column past the table");
        check(chosen.insert(c).second, "the guess chose a column twice");
    };
    const bool isLong = guess.layout == dissim::TableLayout::Long;
    const bool isGroups = guess.layout == dissim::TableLayout::GroupRows;
    column(guess.subjectColumn, isLong || isGroups);
    column(guess.stimulusColumn, isLong);
    column(guess.groupColumn, isLong);
    for (const int c : guess.stimulusColumns) {
        column(c, true);
    }
    check(guess.missing == MissingData::Stop, "the guess chose how to treat missing data");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    constexpr std::size_t kSettingsBytes = 8;
    if (size < kSettingsBytes) {
        return 0;
    }
    ImportSettings settings;
    settings.layout = static_cast<dissim::TableLayout>(data[0] % 4);
    settings.namesInFirstRow = (data[0] & 0x04) != 0;
    settings.namesInFirstColumn = (data[0] & 0x08) != 0;
    settings.missing = static_cast<MissingData>((data[0] >> 4) % 3);
    settings.subjectColumn = columnOf(data[1]);
    settings.stimulusColumn = columnOf(data[2]);
    settings.groupColumn = columnOf(data[3]);
    for (int i = 0; i < data[4] % 8; ++i) {
        settings.stimulusColumns.push_back(columnOf(static_cast<std::uint8_t>(data[5] + 3 * i)));
    }
    const std::int64_t typedSubjects = data[6] % 16;
    const std::int64_t typedStimuli = data[7] % 16;
    const std::string_view text(reinterpret_cast<const char*>(data) + kSettingsBytes,
                                size - kSettingsBytes);
    const dissim::Table table = tableOf(text);

    const ImportedStudy study = dissim::importStudy(table, settings);
    checkStudy(settings, study);
    check(dissim::importStudy(table, settings).codes == study.codes,
          "the same table gave other codes");
    check(!dissim::foundText(study).empty() && !dissim::readingText(settings, study).empty(),
          "a text is missing");

    const ImportSettings guess = dissim::guessImportSettings(table, typedSubjects, typedStimuli);
    checkGuess(table, guess);
    checkStudy(guess, dissim::importStudy(table, guess));
    return 0;
}
