#pragma once

// A full disk for writing tests: /dev/full takes every write with "No space left on device".

#include <gtest/gtest.h>

#include <filesystem>

namespace testsupport {

inline constexpr const char* kFullDisk = "/dev/full";

} // namespace testsupport

// Skips the calling test where the system has no /dev/full.
#define SKIP_WITHOUT_FULL_DISK()                                                                   \
    do {                                                                                           \
        if (!std::filesystem::exists(testsupport::kFullDisk)) {                                    \
            GTEST_SKIP() << testsupport::kFullDisk << " does not exist here";                      \
        }                                                                                          \
    } while (false)
