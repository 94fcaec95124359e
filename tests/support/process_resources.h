#pragma once

// What the test process holds, to show that runs leave nothing behind: its open files (open
// handles of any kind on Windows) and its resident memory.

#if defined(_WIN32)
// clang-format off
#include <windows.h>
#include <psapi.h> // after windows.h, whose types it uses
// clang-format on
#else
#include <dirent.h>
#include <fstream>
#if defined(__EMSCRIPTEN__)
#include <malloc.h>
#endif
#include <string>
#endif

namespace testsupport {

#if defined(_WIN32)

inline int openDescriptors() {
    DWORD count = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &count);
    return static_cast<int>(count);
}

inline long residentKilobytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(), &counters, sizeof counters)) {
        return -1;
    }
    return static_cast<long>(counters.WorkingSetSize / 1024);
}

#else

inline int openDescriptors() {
    int count = 0;
    if (DIR* dir = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(dir)) {
            count += entry->d_name[0] != '.';
        }
        ::closedir(dir);
    }
    return count;
}

#if defined(__EMSCRIPTEN__)
// WebAssembly under node: the process's resident size is node's own (its heaps and compiled
// code grow as it likes); the engine's memory is what its allocator has handed out.
inline long residentKilobytes() {
    return static_cast<long>(::mallinfo().uordblks / 1024);
}
#else
inline long residentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}
#endif

#endif

} // namespace testsupport
