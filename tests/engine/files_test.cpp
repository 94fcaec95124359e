// The output file's room set aside before writing: it never shows in the file's length or
// contents, and it is given back however the file is left, so that no run leaves disk space
// taken beyond its file's end.

#include "files.h"

#include "disk_room.h"
#include "scratch_output.h"
#include "test_names.h"

#include <gtest/gtest.h>

#include <sys/statfs.h>

#include <cstdint>
#include <string>

namespace {

using testsupport::allocatedBytes;
using testsupport::kAllocationSlack;
using testsupport::ScratchOutput;

constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;

// Whether the folder's file system sets room aside without writing it, where reserve() acts.
bool reservesWithoutWriting(const std::string& folder) {
    struct statfs fs {};
    constexpr long kExt4 = 0xEF53;
    constexpr long kXfs = 0x58465342;
    return ::statfs(folder.c_str(), &fs) == 0 && (fs.f_type == kExt4 || fs.f_type == kXfs);
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
    ScratchOutput out;
    const std::string text(c.written, 'x');
    out.output.reserve(c.reserved);
    if (reservesWithoutWriting(out.dir.path().string())) {
        // The room is taken now, before anything is written.
        EXPECT_GE(allocatedBytes(out.path), c.reserved);
    }
    out.output.write(text);
    if (c.ending == Ending::Close) {
        out.output.close();
    } else {
        out.output.abandon();
    }
    EXPECT_EQ(out.contents(), text);
    EXPECT_LE(allocatedBytes(out.path), c.written + kAllocationSlack);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Reserve,
    testing::Values(ReserveCase{"moreThanWrittenThenClosed", 8 * kMiB, 10, Ending::Close},
                    ReserveCase{"moreThanWrittenThenAbandoned", 8 * kMiB, 10, Ending::Abandon},
                    ReserveCase{"nothingWrittenThenAbandoned", 8 * kMiB, 0, Ending::Abandon},
                    ReserveCase{"exactlyWritten", kMiB, kMiB, Ending::Close},
                    ReserveCase{"lessThanWritten", 4096, 300000, Ending::Close},
                    ReserveCase{"none", 0, 5000, Ending::Close}),
    testsupport::ByName());

// More than the disk has free is not set aside at all: it would only take the room from
// everything else until the run fails.
TEST(Reserve, MoreThanTheDiskHasIsNotTaken) {
    ScratchOutput out;
    out.output.reserve(std::uint64_t{1} << 62);
    EXPECT_LE(allocatedBytes(out.path), kAllocationSlack);
    out.output.write("abc");
    out.output.close();
    EXPECT_EQ(out.contents(), "abc");
}

// Devices have no room to set aside; asking changes nothing.
TEST(Reserve, ADeviceIsLeftAlone) {
    ScratchOutput out("/dev/null");
    out.output.reserve(kMiB);
    out.output.write("abc");
    EXPECT_NO_THROW(out.output.close());
}

} // namespace
