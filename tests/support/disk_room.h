#pragma once

// The disk room a file takes, for checks that a file holds no room beyond what was written.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace testsupport {

// Room a file system may hold beyond the data itself (a partly used last block, extent blocks).
inline constexpr std::uint64_t kAllocationSlack = 64 * 1024;

// On Windows, where files are not set aside room beyond their length, the length stands in.
inline std::uint64_t allocatedBytes(const std::string& path) {
#if defined(_WIN32)
    return std::filesystem::file_size(path);
#else
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return static_cast<std::uint64_t>(st.st_blocks) * 512;
#endif
}

} // namespace testsupport
