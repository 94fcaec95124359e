// Where files on Windows differ from POSIX: bytes that text mode would change, file identities
// behind other spellings and hard links, sizes beyond 32 bits, names beyond the ANSI code page,
// long paths, sharing, devices, and failure texts from the system. Windows only.

#include "dissimilarity_run.h"
#include "files.h"
#include "run_error.h"
#include "run_faults.h"
#include "run_settings.h"
#include "temp_dir.h"
#include "test_names.h"
#include "worked_example.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using testsupport::inputIn;
using testsupport::kFailsBeforeProcessing;
using testsupport::kMatricesOfBoth;
using testsupport::kSortData;
using testsupport::Outcome;
using testsupport::readFile;
using testsupport::run;
using testsupport::TempDir;
using testsupport::writeFile;

// A path as the run state holds it: UTF-8.
std::string utf8(const fs::path& path) {
    return testsupport::shown(path);
}

// Everything an input file holds, read through the engine.
std::string readThroughEngine(const std::string& path) {
    dissim::InputFile file(path);
    std::string bytes;
    char chunk[7]; // small, so that reads end anywhere, between CR and LF too
    while (const std::size_t got = file.read(chunk, sizeof chunk)) {
        bytes.append(chunk, got);
    }
    return bytes;
}

// ---------------------------------------------------------------------------------------------
// No text mode anywhere: CR, LF and Ctrl-Z (0x1a) are bytes like any other.

struct Bytes {
    const char* name;
    std::string bytes;
};

std::string everyByte() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

const Bytes kBytes[] = {
    {"CrLf", "1 1 2\r\n5,6,6\r\n"},
    {"LoneCrAndDoubleCr", "1\r2\r\r\n3"},
    {"CtrlZInTheMiddle", std::string("1 1 2\r\n\x1a") + "5,6,6\r\n"},
    {"CtrlZAtTheEnd", "1 1 2\r\n\x1a"},
    {"EveryByteValue", everyByte()},
};

void PrintTo(const Bytes& bytes, std::ostream* out) {
    *out << bytes.name;
}

class WindowsBytes : public testing::TestWithParam<Bytes> {};

TEST_P(WindowsBytes, AreReadExactly) {
    const TempDir dir;
    writeFile(dir.file("in.txt"), GetParam().bytes);
    EXPECT_EQ(readThroughEngine(dir.file("in.txt")), GetParam().bytes);
}

TEST_P(WindowsBytes, AreWrittenExactly) {
    const TempDir dir;
    writeFile(dir.file("in.txt"), "");
    {
        const dissim::InputFile input(dir.file("in.txt"));
        dissim::OutputFile output(dir.file("out.txt"), input);
        output.write(GetParam().bytes);
        output.close();
    }
    EXPECT_EQ(readFile(dir.file("out.txt")), GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(WindowsFiles, WindowsBytes, testing::ValuesIn(kBytes),
                         testsupport::ByName());

// A whole run: its lines end in CR LF, not CR CR LF.
TEST(WindowsFiles, RunWritesTheMatrixFileByteForByte) {
    const TempDir dir;
    dissim::RunState state = testsupport::runSettings("2", "3", inputIn(dir), dir.file("out.txt"));
    const Outcome outcome = run(state);
    ASSERT_TRUE(outcome.done) << outcome.description;
    EXPECT_EQ(readFile(dir.file("out.txt")), kMatricesOfBoth);
}

// ---------------------------------------------------------------------------------------------
// The output names the input file, spelled as Windows allows or through a hard link: the run
// fails before anything is emptied.

struct Spelling {
    const char* name;
    // The output path for the input dir\in.txt; the current folder is dir.
    std::string (*outputFor)(const TempDir& dir);
};

std::string withSlashes(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

const Spelling kSpellings[] = {
    {"SamePath", [](const TempDir& d) { return d.file("in.txt"); }},
    {"ForwardSlashes", [](const TempDir& d) { return withSlashes(d.file("in.txt")); }},
    {"DotBackslash", [](const TempDir&) { return std::string(".\\in.txt"); }},
    {"BareName", [](const TempDir&) { return std::string("in.txt"); }},
    {"ParentSegment",
     [](const TempDir& d) {
         fs::create_directory(d.file("sub"));
         return d.file("sub") + "\\..\\in.txt";
     }},
    {"OtherCase", [](const TempDir& d) { return d.file("IN.TXT"); }},
    {"HardLink",
     [](const TempDir& d) {
         fs::create_hard_link(d.file("in.txt"), d.file("hard.txt"));
         return d.file("hard.txt");
     }},
};

void PrintTo(const Spelling& spelling, std::ostream* out) {
    *out << spelling.name;
}

// Makes dir the current folder for the test's length.
class CurrentFolder {
public:
    explicit CurrentFolder(const fs::path& folder) : previous_(fs::current_path()) {
        fs::current_path(folder);
    }
    ~CurrentFolder() { fs::current_path(previous_); }

private:
    fs::path previous_;
};

class WindowsSameFile : public testing::TestWithParam<Spelling> {};

TEST_P(WindowsSameFile, FailsAndLeavesTheInputAsItWas) {
    const TempDir dir;
    const std::string input = inputIn(dir);
    const CurrentFolder here(dir.path());
    dissim::RunState state = testsupport::runSettings("2", "3", input, GetParam().outputFor(dir));
    const Outcome outcome = run(state);
    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(outcome.events, kFailsBeforeProcessing);
    EXPECT_EQ(outcome.description, "the output file \"" + state.outputFile +
                                       "\" is the input file; choose another output file");
    EXPECT_EQ(readFile(input), kSortData);
}

INSTANTIATE_TEST_SUITE_P(WindowsFiles, WindowsSameFile, testing::ValuesIn(kSpellings),
                         testsupport::ByName());

// A device has no file identity to read: it is written, never taken for the input file.
TEST(WindowsFiles, NulDeviceIsWrittenAsAnOutput) {
    const TempDir dir;
    dissim::RunState state = testsupport::runSettings("2", "3", inputIn(dir), "NUL");
    const Outcome outcome = run(state);
    EXPECT_TRUE(outcome.done) << outcome.description;
    EXPECT_EQ(readFile(dir.file("in.txt")), kSortData);
}

// Others may read the input while a run has it open, but not write it.
TEST(WindowsFiles, InputIsSharedForReadingOnly) {
    const TempDir dir;
    const std::string input = inputIn(dir);
    const dissim::InputFile open(input);
    EXPECT_EQ(readFile(input), kSortData);
    std::ofstream writer(input, std::ios::binary | std::ios::app);
    EXPECT_FALSE(writer.is_open());
}

// ---------------------------------------------------------------------------------------------
// Sizes beyond 32 bits: an earlier output of 5 GiB is emptied, then rewritten. The file is
// sparse, so that it takes no disk room.

TEST(WindowsFiles, OutputBeyondFourGibibytesIsEmptiedAndRewritten) {
    const TempDir dir;
    const std::string output = dir.file("out.txt");
    constexpr std::uint64_t kEarlierSize = (std::uint64_t{5} << 30) + 3;
    {
        const HANDLE file = ::CreateFileW(fs::path(output).c_str(), GENERIC_WRITE, 0, nullptr,
                                          CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        DWORD returned = 0;
        const bool sparse =
            ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(kEarlierSize);
        const bool sized =
            sparse && ::SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end);
        ::CloseHandle(file);
        if (!sized) {
            GTEST_SKIP() << "this file system makes no sparse file of 5 GiB";
        }
    }
    ASSERT_EQ(fs::file_size(output), kEarlierSize);

    dissim::RunState state = testsupport::runSettings("2", "3", inputIn(dir), output);
    const Outcome outcome = run(state);
    ASSERT_TRUE(outcome.done) << outcome.description;
    EXPECT_EQ(fs::file_size(output), kMatricesOfBoth.size());
    EXPECT_EQ(readFile(output), kMatricesOfBoth);
}

// ---------------------------------------------------------------------------------------------
// Paths: names beyond any ANSI code page, and paths beyond the classic 260 characters.

TEST(WindowsFiles, NamesBeyondTheAnsiCodePage) {
    const TempDir dir;
    const fs::path folder = dir.path() / fs::path(u8"données αβγ 輸入");
    fs::create_directory(folder);
    const fs::path input = folder / fs::path(u8"σύνολο ø.txt");
    const fs::path output = folder / fs::path(u8"行列 ñ.txt");
    writeFile(input, kSortData);

    dissim::RunState state = testsupport::runSettings("2", "3", utf8(input), utf8(output));
    const Outcome outcome = run(state);
    ASSERT_TRUE(outcome.done) << outcome.description;
    EXPECT_EQ(readFile(output), kMatricesOfBoth);
    EXPECT_EQ(readFile(input), kSortData);

    // The failure text gives the name as it was chosen.
    state.inputFile = utf8(folder / fs::path(u8"ſehlt.txt"));
    const Outcome missing = run(state);
    EXPECT_FALSE(missing.done);
    EXPECT_EQ(missing.description.rfind("the input file \"" + state.inputFile + "\" cannot", 0), 0u)
        << missing.description;
}

TEST(WindowsFiles, PathsLongerThanTheClassicLimit) {
    const TempDir dir;
    std::string plain = dir.path().string();
    for (int level = 0; level < 4; ++level) {
        plain += "\\" + std::string(80, static_cast<char>('a' + level));
    }
    // \\?\ here too, so that the test's own calls reach the folder.
    const fs::path folder = fs::path(L"\\\\?\\" + fs::path(plain).wstring());
    fs::create_directories(folder);
    writeFile(folder / "in.txt", kSortData);
    ASSERT_GT(plain.size(), 300u);

    dissim::RunState state =
        testsupport::runSettings("2", "3", plain + "\\in.txt", withSlashes(plain) + "/out.txt");
    const Outcome outcome = run(state);
    ASSERT_TRUE(outcome.done) << outcome.description;
    EXPECT_EQ(readFile(folder / "out.txt"), kMatricesOfBoth);

    // The same file by another spelling is still found out.
    state.outputFile = plain + "\\.\\in.txt";
    const Outcome same = run(state);
    EXPECT_FALSE(same.done);
    EXPECT_NE(same.description.find("is the input file"), std::string::npos) << same.description;
    EXPECT_EQ(readFile(folder / "in.txt"), kSortData);
}

// ---------------------------------------------------------------------------------------------
// Failures: one line, in the same form as on every system, with the system's own reason.

// The system's text for error, as one line.
std::string systemText(DWORD error) {
    char text[512] = {};
    const DWORD length =
        ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error,
                         0, text, sizeof text, nullptr);
    std::string reason(text, length);
    while (!reason.empty() &&
           (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) {
        reason.pop_back();
    }
    return reason;
}

struct Failure {
    const char* name;
    // Sets up the folder; returns {input, output}.
    std::pair<std::string, std::string> (*prepare)(const TempDir& dir);
    // The description before the system's reason; %i and %o stand for the two paths.
    const char* form;
    DWORD error;
};

const Failure kFailures[] = {
    {"ReadOnlyOutput",
     [](const TempDir& d) {
         writeFile(d.file("out.txt"), "earlier results\r\n");
         fs::permissions(d.file("out.txt"),
                         fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                         fs::perm_options::remove);
         return std::pair{inputIn(d), d.file("out.txt")};
     },
     "the output file \"%o\" cannot be opened for writing: ", ERROR_ACCESS_DENIED},
    {"FolderAsOutput",
     [](const TempDir& d) {
         fs::create_directory(d.file("out"));
         return std::pair{inputIn(d), d.file("out")};
     },
     "the output file \"%o\" cannot be opened for writing: ", ERROR_ACCESS_DENIED},
    {"MissingOutputFolder",
     [](const TempDir& d) {
         return std::pair{inputIn(d), d.file("missing\\out.txt")};
     },
     "the output file \"%o\" cannot be opened for writing: ", ERROR_PATH_NOT_FOUND},
    {"MissingInput",
     [](const TempDir& d) {
         return std::pair{d.file("missing.txt"), d.file("out.txt")};
     },
     "the input file \"%i\" cannot be opened: ", ERROR_FILE_NOT_FOUND},
};

void PrintTo(const Failure& failure, std::ostream* out) {
    *out << failure.name;
}

std::string filledIn(std::string form, const std::string& input, const std::string& output) {
    for (const auto& [mark, path] : {std::pair{"%i", input}, std::pair{"%o", output}}) {
        if (const auto at = form.find(mark); at != std::string::npos) {
            form.replace(at, 2, path);
        }
    }
    return form;
}

// Runs with the two paths: the run fails before processing with the description in form and
// the system's text for error, and leaves both files as they were.
void expectFailure(const std::string& input, const std::string& output, const char* form,
                   DWORD error) {
    const std::string outputBefore = fs::is_regular_file(output) ? readFile(output) : "";
    dissim::RunState state = testsupport::runSettings("2", "3", input, output);
    const Outcome outcome = run(state);

    EXPECT_FALSE(outcome.done);
    EXPECT_EQ(outcome.events, kFailsBeforeProcessing);
    EXPECT_EQ(outcome.description, filledIn(form, input, output) + systemText(error));
    if (fs::is_regular_file(input)) {
        EXPECT_EQ(readFile(input), kSortData);
    }
    if (fs::is_regular_file(output)) {
        EXPECT_EQ(readFile(output), outputBefore);
    }
    if (fs::is_directory(output)) {
        EXPECT_TRUE(fs::is_empty(output));
    }
}

class WindowsFailure : public testing::TestWithParam<Failure> {};

TEST_P(WindowsFailure, IsOneLineWithTheSystemsReason) {
    const TempDir dir;
    const auto [input, output] = GetParam().prepare(dir);
    if (GetParam().error == ERROR_ACCESS_DENIED && fs::is_regular_file(output) &&
        std::ofstream(output, std::ios::app).is_open()) {
        GTEST_SKIP() << "this user may write a read-only file (Wine run by root)";
    }
    expectFailure(input, output, GetParam().form, GetParam().error);
    std::error_code ignored; // a read-only file would outlive its folder
    fs::permissions(output, fs::perms::owner_write, fs::perm_options::add, ignored);
}

// An output that another program holds open and shares for reading only (a spreadsheet
// showing it).
TEST(WindowsFiles, OutputHeldOpenElsewhereFailsUntouched) {
    const TempDir dir;
    const std::string output = dir.file("out.txt");
    writeFile(output, "earlier results\r\n");
    const HANDLE held = ::CreateFileW(fs::path(output).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    expectFailure(inputIn(dir), output,
                  "the output file \"%o\" cannot be opened for writing: ", ERROR_SHARING_VIOLATION);
    ::CloseHandle(held);
    EXPECT_EQ(readFile(output), "earlier results\r\n");
}

INSTANTIATE_TEST_SUITE_P(WindowsFiles, WindowsFailure, testing::ValuesIn(kFailures),
                         testsupport::ByName());

} // namespace
