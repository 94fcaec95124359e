#include "import_collector.h"

#include <algorithm>
#include <utility>

namespace dissim {

namespace {

constexpr std::size_t kMaxCodes = 32767; // the codes and the count matrix are 16-bit

// One subject's groups numbered 1, 2, 3... in order of first appearance; an unsorted stimulus
// (group 0, left only where each is a group of its own) gets a number of its own. code and
// stamp are indexed by group: a group's number, valid where its stamp is this subject's.
[[gnu::noinline]] void numberSubject(const std::int32_t* groups, std::size_t n, std::int16_t* codes,
                                     std::int16_t* code, std::uint32_t* stamp,
                                     std::uint32_t subjectStamp) {
    std::int16_t next = 0;
    for (std::size_t j = 0; j < n; ++j) {
        const auto group = static_cast<std::size_t>(groups[j]);
        if (group == 0) {
            codes[j] = ++next;
            continue;
        }
        if (stamp[group] != subjectStamp) {
            stamp[group] = subjectStamp;
            code[group] = ++next;
        }
        codes[j] = code[group];
    }
}

std::string counted(std::size_t count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

std::int32_t ImportCollector::addSubject(std::string_view name) {
    const auto index = static_cast<std::int32_t>(names_.size());
    names_.emplace_back(name.empty() ? std::to_string(names_.size() + 1) : std::string(name));
    codes_.emplace_back();
    troubled_.push_back(0);
    return index;
}

void ImportCollector::setStimuli(std::vector<std::string> names) {
    stimuli_ = std::move(names);
    for (std::size_t i = 0; i < stimuli_.size(); ++i) {
        if (stimuli_[i].empty()) {
            stimuli_[i] = std::to_string(i + 1);
        }
    }
    groups_.assign(names_.size() * stimuli_.size(), 0);
}

void ImportCollector::noteCode(std::int32_t subject, const GroupKey& key) {
    CodeSummary& summary = codes_[static_cast<std::size_t>(subject)];
    if (!key.isNumber) {
        summary.anyWord = true;
    } else if (!summary.anyNumber) {
        summary.anyNumber = true;
        summary.lowest = summary.highest = key.number;
    } else {
        summary.lowest = std::min(summary.lowest, key.number);
        summary.highest = std::max(summary.highest, key.number);
    }
}

void ImportCollector::problem(ImportProblem::Kind kind, std::string place, std::string text,
                              std::int32_t subject) {
    ++kindCounts_[static_cast<int>(kind)];
    if (kind == ImportProblem::Kind::Layout) {
        ++(subject < 0 ? settingsProblems_ : subjectLayoutProblems_);
    }
    if (subject >= 0) {
        troubled_[static_cast<std::size_t>(subject)] = 1;
    }
    ++study_.problemCount;
    if (study_.problems.size() < kMaxListedProblems) {
        ImportProblem& listed = study_.problems.emplace_back();
        listed.kind = kind;
        listed.place = std::move(place);
        listed.text = std::move(text);
        if (subject >= 0) {
            listed.subject = subjectName(subject);
        }
    }
}

void ImportCollector::checkGroupCounts() {
    const std::size_t n = stimuli_.size();
    if (n <= kMaxCodes) {
        return;
    }
    std::vector<std::int32_t> seen;
    for (std::size_t s = 0; s < names_.size(); ++s) {
        const auto first = groups_.begin() + static_cast<std::ptrdiff_t>(s * n);
        seen.assign(first, first + static_cast<std::ptrdiff_t>(n));
        std::sort(seen.begin(), seen.end());
        std::size_t groups =
            static_cast<std::size_t>(std::unique(seen.begin(), seen.end()) - seen.begin());
        if (seen[0] == 0) {
            --groups; // 0 is no group
            if (missing_ == MissingData::OwnGroup) {
                groups += static_cast<std::size_t>(
                    std::count(first, first + static_cast<std::ptrdiff_t>(n), 0));
            }
        }
        if (groups > kMaxCodes) {
            const auto subject = static_cast<std::int32_t>(s);
            problem(ImportProblem::Kind::Layout, {},
                    "Subject \"" + names_[s] + "\" has " + std::to_string(groups) +
                        " groups; at most 32767 can be told apart.",
                    subject);
        }
    }
}

std::string ImportCollector::refusal(const std::vector<char>& kept) const {
    using Kind = ImportProblem::Kind;
    if (settingsProblems_ > 0) {
        for (const ImportProblem& listed : study_.problems) {
            if (listed.kind == Kind::Layout && listed.subject.empty()) {
                return "The settings do not fit the table: " + listed.text;
            }
        }
    }
    const std::size_t total = study_.problemCount;
    if (missing_ == MissingData::Stop && total > 0) {
        return "The table has " + counted(total, "problem", "problems") +
               ": mend the table, or choose another way to treat missing data.";
    }
    if (missing_ == MissingData::OwnGroup) {
        const std::size_t conflicts = kindCounts_[static_cast<int>(Kind::Conflict)];
        const std::size_t repeated = kindCounts_[static_cast<int>(Kind::RepeatedSubject)];
        const std::size_t unmendable = conflicts + repeated + subjectLayoutProblems_;
        if (unmendable > 0) {
            std::string kinds;
            const auto add = [&kinds](std::size_t count, const char* what) {
                if (count > 0) {
                    kinds += (kinds.empty() ? "" : ", ") + std::string(what);
                }
            };
            add(conflicts, "a stimulus in two groups");
            add(repeated, "a subject named twice");
            add(subjectLayoutProblems_, "a cell that cannot be read");
            return counted(unmendable, "problem", "problems") + " (" + kinds +
                   ") cannot be mended by a group of its own: mend the table, or leave out the "
                   "subjects concerned.";
        }
    }
    const auto keptCount = static_cast<std::size_t>(std::count(kept.begin(), kept.end(), 1));
    if (keptCount == 0) {
        return names_.empty() ? "The table holds no subject."
                              : "No subject is left: every subject has a problem.";
    }
    if (keptCount > kMaxCodes) {
        return "The table holds " + std::to_string(keptCount) +
               " subjects; the count matrix can count at most 32767.";
    }
    return {};
}

void ImportCollector::summarize(const std::vector<char>& kept) {
    bool anyNumber = false;
    study_.numericGroups = true;
    for (std::size_t s = 0; s < names_.size(); ++s) {
        if (!kept[s]) {
            continue;
        }
        const CodeSummary& summary = codes_[s];
        if (summary.anyWord) {
            study_.numericGroups = false;
        }
        if (!summary.anyNumber) {
            continue;
        }
        if (!anyNumber) {
            study_.lowestGroup = summary.lowest;
            study_.highestGroup = summary.highest;
            anyNumber = true;
        }
        study_.lowestGroup = std::min(study_.lowestGroup, summary.lowest);
        study_.highestGroup = std::max(study_.highestGroup, summary.highest);
    }
}

void ImportCollector::numberGroups(const std::vector<char>& kept) {
    const std::size_t n = stimuli_.size();
    const std::int32_t most =
        groups_.empty() ? 0 : *std::max_element(groups_.begin(), groups_.end());
    std::vector<std::int16_t> code(static_cast<std::size_t>(most) + 1, 0);
    std::vector<std::uint32_t> stamp(code.size(), 0);
    study_.codes.resize(study_.subjects.size() * n);
    std::int16_t* codes = study_.codes.data();
    for (std::size_t s = 0; s < names_.size(); ++s) {
        if (kept[s]) {
            numberSubject(groups_.data() + s * n, n, codes, code.data(), stamp.data(),
                          static_cast<std::uint32_t>(s) + 1);
            codes += n;
        }
    }
}

ImportedStudy ImportCollector::finish() {
    if (settingsProblems_ == 0) {
        checkGroupCounts();
    }
    std::vector<char> kept(names_.size(), 1);
    if (missing_ == MissingData::LeaveOut) {
        for (std::size_t s = 0; s < names_.size(); ++s) {
            if (troubled_[s]) {
                kept[s] = 0;
                study_.leftOut.push_back(names_[s]);
            }
        }
    }
    study_.refusal = refusal(kept);
    study_.usable = study_.refusal.empty();
    for (std::size_t s = 0; s < names_.size(); ++s) {
        if (kept[s]) {
            study_.subjects.push_back(std::move(names_[s]));
        }
    }
    study_.stimuli = stimuli_;
    summarize(kept);
    if (study_.usable) {
        numberGroups(kept);
    }
    return std::move(study_);
}

} // namespace dissim
