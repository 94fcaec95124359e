// The platform layer's memory limit on Windows: physical memory, and the memory limit of the
// job object the process runs in, where one is set.

#include "memory_limit.h"

#include <windows.h>

#include <algorithm>

namespace dissim {
namespace {

std::uint64_t lower(std::uint64_t a, std::uint64_t b) {
    if (a == 0) {
        return b;
    }
    return b == 0 ? a : std::min(a, b);
}

// The lower of the job's limits on this process and on the whole job, or 0 when it sets none
// (or the process is in no job).
std::uint64_t jobLimit() {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION job{};
    if (!::QueryInformationJobObject(nullptr, JobObjectExtendedLimitInformation, &job, sizeof job,
                                     nullptr)) {
        return 0;
    }
    std::uint64_t limit = 0;
    const DWORD flags = job.BasicLimitInformation.LimitFlags;
    if ((flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY) != 0) {
        limit = lower(limit, job.ProcessMemoryLimit);
    }
    if ((flags & JOB_OBJECT_LIMIT_JOB_MEMORY) != 0) {
        limit = lower(limit, job.JobMemoryLimit);
    }
    return limit;
}

} // namespace

std::uint64_t physicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    const std::uint64_t physical = ::GlobalMemoryStatusEx(&status) ? status.ullTotalPhys : 0;
    return lower(physical, jobLimit());
}

} // namespace dissim
