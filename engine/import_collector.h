#pragma once

#include "group_key.h"
#include "table_import.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace dissim {

// What a layout's reader gathers from a table, and the study it makes of it: the subjects and
// stimuli by name, every subject's groups per stimulus (in the reader's own numbering, 0 where
// the stimulus is unsorted) and the problems met on the way. finish() applies the choice for
// missing data: it leaves subjects out, gives unsorted stimuli groups of their own, numbers
// the groups as the run reads them, or refuses the import and says why.
class ImportCollector {
public:
    explicit ImportCollector(MissingData missing) : missing_(missing) {}

    // The next subject; an empty name is the subject's number. Returns its index.
    std::int32_t addSubject(std::string_view name);
    std::size_t subjects() const { return names_.size(); }
    const std::string& subjectName(std::int32_t subject) const {
        return names_[static_cast<std::size_t>(subject)];
    }

    // The stimuli, once all subjects are known; an empty name is the stimulus's number.
    // Makes room for every subject's groups.
    void setStimuli(std::vector<std::string> names);
    const std::string& stimulusName(std::size_t stimulus) const { return stimuli_[stimulus]; }

    // The subject's group of the stimulus, any positive number; 0 (as set) for unsorted.
    std::int32_t& group(std::int32_t subject, std::size_t stimulus) {
        return groups_[static_cast<std::size_t>(subject) * stimuli_.size() + stimulus];
    }
    // A code as the subject's cell gives it, for the summary of how groups are given.
    void noteCode(std::int32_t subject, const GroupKey& key);
    void groupsAreRows() { study_.groupsAsRows = true; }

    // Whether a problem now would still be listed; past kMaxListedProblems a problem is only
    // counted, and its reporter need not put its sentence together.
    bool listsMore() const { return study_.problems.size() < kMaxListedProblems; }
    // A problem; subject is -1 where it concerns no subject.
    void problem(ImportProblem::Kind kind, std::string place, std::string text,
                 std::int32_t subject);
    // Whether a problem of the settings (a Layout problem of no subject) was met.
    bool settingsMisfit() const { return settingsProblems_ > 0; }

    ImportedStudy finish();

private:
    struct CodeSummary {
        double lowest = 0.0;
        double highest = 0.0;
        bool anyNumber = false;
        bool anyWord = false;
    };

    // Subjects with more groups than a code can number (only possible past 32767 stimuli).
    void checkGroupCounts();
    std::string refusal(const std::vector<char>& kept) const;
    void summarize(const std::vector<char>& kept);
    void numberGroups(const std::vector<char>& kept);

    MissingData missing_;
    std::vector<std::string> names_;
    std::vector<std::string> stimuli_;
    std::vector<std::int32_t> groups_;
    std::vector<CodeSummary> codes_;
    std::vector<char> troubled_; // per subject: a problem concerns it
    std::size_t kindCounts_[5] = {};
    std::size_t settingsProblems_ = 0;
    std::size_t subjectLayoutProblems_ = 0;
    ImportedStudy study_;
};

} // namespace dissim
