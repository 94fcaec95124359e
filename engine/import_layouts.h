#pragma once

#include "import_collector.h"
#include "name_index.h"
#include "table.h"
#include "table_import.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace dissim {

// The readers of the layouts, each gathering a table's study into out (importStudy's parts).
// Their loops over the cells are functions of their own that hold no object with a destructor:
// where exceptions are thrown through JavaScript (WebAssembly), a call made where something
// would have to be cleaned up goes through JavaScript and costs many times a plain call. They
// are kept from being inlined into their callers, which do hold such objects.
void readWide(const Table& table, const ImportSettings& settings, ImportCollector& out);
void readLong(const Table& table, const ImportSettings& settings, ImportCollector& out);
void readGroupRows(const Table& table, const ImportSettings& settings, ImportCollector& out);

// Numbers the subjects of the long and group layouts in the order they first appear.
class SubjectIndex {
public:
    explicit SubjectIndex(ImportCollector& out) : out_(out) {}
    std::int32_t of(std::string_view name) {
        if (last_ >= 0 && name == lastName_) { // a subject's rows mostly follow each other
            return last_;
        }
        const auto [number, added] = index_.insert(name);
        if (added) {
            out_.addSubject(name); // numbered as the index numbers it
        }
        lastName_ = name;
        last_ = number;
        return last_;
    }

private:
    ImportCollector& out_;
    NameIndex index_;
    std::string_view lastName_;
    std::int32_t last_ = -1;
};

// The subject of each row (table.rows() of them), or -1 for a row skipped: the names row, an
// empty row, a row with no subject (a problem).
void rowSubjects(const Table& table, std::size_t firstRow, std::size_t subjectColumn,
                 SubjectIndex& subjects, std::int32_t* result, ImportCollector& out);

} // namespace dissim
