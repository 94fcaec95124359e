#pragma once

#include <cstdint>

namespace bench {

// The resident memory of this process, in bytes, from /proc/self/status (0 if unknown).
std::uint64_t residentBytes();

// The peak of residentBytes() since the process started or since resetPeakResident().
std::uint64_t peakResidentBytes();

// Makes the peak start again from the present resident memory. False where the system does not
// allow it; the peak then still counts from the start of the process.
bool resetPeakResident();

} // namespace bench
