#pragma once

#include <filesystem>

namespace bench {

// The sort data reader alone, over files of the forms researchers have (spaces, commas,
// semicolons, tabs; UTF-8 and UTF-16), each written to folder and read through a whole
// number of times: prints per form the megabytes per second of the file's bytes and the
// nanoseconds per code of the median and of the best round (the best is the steadier figure on
// a busy machine). A form the reader cannot read prints why. Returns false when a form
// gave other codes than it holds.
bool benchReader(const std::filesystem::path& folder, int rounds);

} // namespace bench
