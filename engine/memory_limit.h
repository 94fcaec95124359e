#pragma once

// Part of the platform layer (platform.h): defined in platform_posix_memory.cpp and
// platform_windows_memory.cpp.

#include <cstdint>

namespace dissim {

// The memory this process can have in bytes: the machine's physical memory, or the limit set
// on the process where that is lower (a control group on Linux, such as a container's; a job
// object on Windows); 0 if neither can be told. The run checks its arrays against it before
// allocating: Linux overcommits, so an allocation that seems to succeed could get the process
// killed when the memory is first touched.
std::uint64_t physicalMemoryBytes();

} // namespace dissim
