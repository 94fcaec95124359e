#pragma once

#include <cstdint>

namespace dissim {

// The memory this process can have in bytes: the machine's physical memory, or the memory
// limit of its control group (a container) when that is lower; 0 if neither can be told. The
// run checks its arrays against it before allocating: Linux overcommits, so an allocation that
// seems to succeed could get the process killed when the memory is first touched.
std::uint64_t physicalMemoryBytes();

} // namespace dissim
