#pragma once

#include <cstdint>

namespace dissim {

// The machine's physical memory in bytes (0 if it cannot be told). The run checks its arrays
// against it before allocating: Linux overcommits, so an allocation that seems to succeed could
// get the process killed when the memory is first touched.
std::uint64_t physicalMemoryBytes();

} // namespace dissim
