// The platform layer's memory limit on POSIX systems: physical memory, and on Linux the
// memory limit of the process's control group.

#include "memory_limit.h"

#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <string>

namespace dissim {
namespace {

// Limits at or above this mean "no limit" (cgroup v1 writes a huge page-aligned number).
constexpr std::uint64_t kNoLimit = std::uint64_t{1} << 62;

// The number in a cgroup limit file, or 0 when the file is missing, says "max" or is unlimited.
std::uint64_t limitIn(const std::string& file) {
    std::ifstream in(file);
    std::string text;
    if (!(in >> text) || text.empty() ||
        text.find_first_not_of("0123456789") != std::string::npos || text.size() > 19) {
        return 0;
    }
    const std::uint64_t value = std::stoull(text);
    return value >= kNoLimit ? 0 : value;
}

std::uint64_t lower(std::uint64_t a, std::uint64_t b) {
    if (a == 0) {
        return b;
    }
    return b == 0 ? a : std::min(a, b);
}

// The memory limit of the control group this process runs in (a container, a systemd slice),
// or 0 when there is none. Such a limit ends the process when it is reached, however much
// physical memory the machine has. Both cgroup versions are read; the group's own folder is
// tried first, then the root of the hierarchy (a container sees its own group as the root).
std::uint64_t controlGroupLimit() {
    std::ifstream groups("/proc/self/cgroup");
    std::uint64_t limit = 0;
    std::string line;
    while (std::getline(groups, line)) {
        // hierarchy-id:controllers:path
        const auto first = line.find(':');
        const auto second = first == std::string::npos ? first : line.find(':', first + 1);
        if (second == std::string::npos) {
            continue;
        }
        const std::string controllers = line.substr(first + 1, second - first - 1);
        const std::string path = line.substr(second + 1);
        if (controllers.empty()) {
            limit = lower(limit, limitIn("/sys/fs/cgroup" + path + "/memory.max"));
            limit = lower(limit, limitIn("/sys/fs/cgroup/memory.max"));
        } else if (("," + controllers + ",").find(",memory,") != std::string::npos) {
            limit =
                lower(limit, limitIn("/sys/fs/cgroup/memory" + path + "/memory.limit_in_bytes"));
            limit = lower(limit, limitIn("/sys/fs/cgroup/memory/memory.limit_in_bytes"));
        }
    }
    return limit;
}

} // namespace

std::uint64_t physicalMemoryBytes() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    std::uint64_t physical = 0;
    if (pages > 0 && pageSize > 0) {
        physical = static_cast<std::uint64_t>(pages) * static_cast<std::uint64_t>(pageSize);
    }
    return lower(physical, controlGroupLimit());
}

} // namespace dissim
