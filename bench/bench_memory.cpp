#include "bench_memory.h"

#include <fstream>
#include <string>

namespace bench {
namespace {

// A "Name:   1234 kB" line of /proc/self/status, in bytes.
std::uint64_t statusField(const std::string& name) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(name + ":", 0) == 0) {
            return std::stoull(line.substr(name.size() + 1)) * 1024;
        }
    }
    return 0;
}

} // namespace

std::uint64_t residentBytes() {
    return statusField("VmRSS");
}

std::uint64_t peakResidentBytes() {
    return statusField("VmHWM");
}

bool resetPeakResident() {
    // "5" resets the peak resident set size to the present one (Linux 4.0 and later).
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5" << std::flush;
    return static_cast<bool>(clearRefs);
}

} // namespace bench
