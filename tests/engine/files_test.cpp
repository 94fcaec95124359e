// The output file's room set aside before writing: it never shows in the file's length or
// contents, and it is given back however the file is left, so that no run leaves disk space
// taken beyond its file's end.

#include "files.h"

#include "temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/statfs.h>

#include <cstdint>
#include <string>

namespace {

using testsupport::readFile;
using testsupport::TempDir;
using testsupport::writeFile;

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
// Room a file system may hold beyond the data itself (a partly used last block, extent blocks).
constexpr std::uint64_t kAllocationSlack = 64 * 1024;

// Whether the folder's file system sets room aside without writing it, where reserve() acts.
bool reservesWithoutWriting(const std::string& folder) {
    struct statfs fs {};
    constexpr long kExt4 = 0xEF53;
    constexpr long kXfs = 0x58465342;
    return ::statfs(folder.c_str(), &fs) == 0 && (fs.f_type == kExt4 || fs.f_type == kXfs);
}

std::uint64_t allocatedBytes(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    return static_cast<std::uint64_t>(st.st_blocks) * 512;
}

enum class Ending { Close, Abandon };

struct ReserveCase {
    const char* name;
    std::uint64_t reserved;
    std::size_t written;
    Ending ending;
};

class Reserve : public testing::TestWithParam<ReserveCase> {};

TEST_P(Reserve, LeavesTheFileAsWrittenAndNoRoomBeyondIt) {
    const ReserveCase& c = GetParam();
    TempDir dir;
    writeFile(dir.file("in.txt"), "");
    const std::string path = dir.file("out.txt");
    const std::string text(c.written, 'x');
    {
        dissim::InputFile input(dir.file("in.txt"));
        dissim::OutputFile output(path, input);
        output.reserve(c.reserved);
        if (reservesWithoutWriting(dir.path().string())) {
            // The room is taken now, before anything is written.
            EXPECT_GE(allocatedBytes(path), c.reserved);
        }
        output.write(text);
        if (c.ending == Ending::Close) {
            output.close();
        } else {
            output.abandon();
        }
    }
    EXPECT_EQ(readFile(path), text);
    EXPECT_LE(allocatedBytes(path), c.written + kAllocationSlack);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Reserve,
    testing::Values(ReserveCase{"moreThanWrittenThenClosed", 8 * kMiB, 10, Ending::Close},
                    ReserveCase{"moreThanWrittenThenAbandoned", 8 * kMiB, 10, Ending::Abandon},
                    ReserveCase{"nothingWrittenThenAbandoned", 8 * kMiB, 0, Ending::Abandon},
                    ReserveCase{"exactlyWritten", kMiB, kMiB, Ending::Close},
                    ReserveCase{"lessThanWritten", 4096, 300000, Ending::Close},
                    ReserveCase{"none", 0, 5000, Ending::Close}),
    [](const auto& info) { return std::string(info.param.name); });

// More than the disk has free is not set aside at all: it would only take the room from
// everything else until the run fails.
TEST(Reserve, MoreThanTheDiskHasIsNotTaken) {
    TempDir dir;
    writeFile(dir.file("in.txt"), "");
    const std::string path = dir.file("out.txt");
    dissim::InputFile input(dir.file("in.txt"));
    dissim::OutputFile output(path, input);
    output.reserve(std::uint64_t{1} << 62);
    EXPECT_LE(allocatedBytes(path), kAllocationSlack);
    output.write("abc");
    output.close();
    EXPECT_EQ(readFile(path), "abc");
}

// Devices have no room to set aside; asking changes nothing.
TEST(Reserve, ADeviceIsLeftAlone) {
    TempDir dir;
    writeFile(dir.file("in.txt"), "");
    dissim::InputFile input(dir.file("in.txt"));
    dissim::OutputFile output("/dev/null", input);
    output.reserve(kMiB);
    output.write("abc");
    EXPECT_NO_THROW(output.close());
}

} // namespace
