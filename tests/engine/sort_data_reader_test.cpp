#include "sort_data_reader.h"

#include "files.h"
#include "run_error.h"
#include "temp_dir.h"
#include "test_names.h"
#include "utf16_decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using dissim::parseGroupCode;

struct ItemCase {
    const char* item;
    std::int16_t code;
    const char* error; // nullptr: a valid code; otherwise a piece of the reason
};

class GroupCodeItem : public testing::TestWithParam<ItemCase> {};

TEST_P(GroupCodeItem, ReadsWholeNumbersExactly) {
    const ItemCase& c = GetParam();
    const dissim::ParsedCode parsed = parseGroupCode(c.item);
    if (c.error == nullptr) {
        ASSERT_EQ(parsed.error, nullptr) << c.item << ": " << parsed.error;
        EXPECT_EQ(parsed.code, c.code) << c.item;
    } else {
        ASSERT_NE(parsed.error, nullptr) << c.item << " was read as " << parsed.code;
        EXPECT_NE(std::string(parsed.error).find(c.error), std::string::npos) << parsed.error;
    }
}

constexpr const char* kNotNumber = "is not a number";
constexpr const char* kNotWhole = "is not a whole number";
constexpr const char* kTooLarge = "does not fit";

INSTANTIATE_TEST_SUITE_P(
    Table, GroupCodeItem,
    testing::Values(
        ItemCase{"1", 1, nullptr}, ItemCase{"-3", -3, nullptr}, ItemCase{"+7", 7, nullptr},
        ItemCase{"0", 0, nullptr}, ItemCase{"-0", 0, nullptr}, ItemCase{"007", 7, nullptr},
        ItemCase{"2.0", 2, nullptr}, ItemCase{"2.", 2, nullptr}, ItemCase{"1e1", 10, nullptr},
        ItemCase{"1E+1", 10, nullptr}, ItemCase{"100e-2", 1, nullptr}, ItemCase{"0.0", 0, nullptr},
        ItemCase{"1.000000", 1, nullptr}, ItemCase{"0.5e1", 5, nullptr},
        ItemCase{"0e99999999999", 0, nullptr}, ItemCase{"32767", 32767, nullptr},
        ItemCase{"-32768", -32768, nullptr}, ItemCase{"3.2767e4", 32767, nullptr},
        ItemCase{"000000000000032767", 32767, nullptr},
        // Not whole: reading them as a rounded code would silently regroup the stimulus.
        ItemCase{"1.5", 0, kNotWhole}, ItemCase{"1e-1", 0, kNotWhole},
        ItemCase{"-0.25", 0, kNotWhole}, ItemCase{"32767.5", 0, kNotWhole},
        // Beyond a signed 16-bit code.
        ItemCase{"32768", 0, kTooLarge}, ItemCase{"-32769", 0, kTooLarge},
        ItemCase{"1e5", 0, kTooLarge}, ItemCase{"99999999999999999999", 0, kTooLarge},
        ItemCase{"1e99999999999", 0, kTooLarge},
        // Letters and other text: reading them as 0 would put them all into one group.
        ItemCase{"A", 0, kNotNumber}, ItemCase{"", 0, kNotNumber}, ItemCase{"1x", 0, kNotNumber},
        ItemCase{"1e", 0, kNotNumber}, ItemCase{"+", 0, kNotNumber}, ItemCase{".", 0, kNotNumber},
        ItemCase{"--1", 0, kNotNumber}, ItemCase{"1.2.3", 0, kNotNumber},
        ItemCase{"0x1F", 0, kNotNumber}, ItemCase{"inf", 0, kNotNumber},
        ItemCase{"1;2", 0, kNotNumber}));

// Reads `count` codes from a real file with the given bytes.
std::vector<int> readCodes(const std::string& bytes, int count) {
    testsupport::TempDir dir;
    const std::string path = dir.file("sort.txt");
    testsupport::writeFile(path, bytes);
    dissim::InputFile file(path);
    dissim::SortDataReader reader(file);
    std::vector<int> codes;
    for (int k = 1; k <= count; ++k) {
        codes.push_back(reader.readCode(1, k));
    }
    return codes;
}

std::string readError(const std::string& bytes, int count) {
    try {
        readCodes(bytes, count);
    } catch (const dissim::RunError& error) {
        return error.what();
    }
    return "(no error)";
}

// Text as a file in UTF-16 would hold it: the byte-order mark, then each unit little or big
// endian.
std::string utf16(std::u16string_view text, bool bigEndian = false) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}

struct StreamCase {
    const char* name;
    std::string bytes;
};

class SeparatorForms : public testing::TestWithParam<StreamCase> {};

TEST_P(SeparatorForms, ReadTheSameCodes) {
    EXPECT_EQ(readCodes(GetParam().bytes, 4), (std::vector<int>{1, 1, 2, -3}));
}

INSTANTIATE_TEST_SUITE_P(
    Table, SeparatorForms,
    testing::Values(
        StreamCase{"spaces", "1 1 2 -3"}, StreamCase{"lines", "1\n1\n2\n-3\n"},
        StreamCase{"commas", "1,1,2,-3"}, StreamCase{"commaAndSpaces", "1 , 1,  2 ,-3"},
        StreamCase{"tabs", "1\t1\t2\t-3"}, StreamCase{"crlf", "1\r\n1\r\n2\r\n-3\r\n"},
        StreamCase{"cr", "1\r1\r2\r-3"}, StreamCase{"blankLines", "\n\n1 1\r\n\r\n\n2\n\n-3"},
        StreamCase{"trailingCommas", "1,1,\n2,-3,\n"},
        StreamCase{"trailingCommaAndSpace", "1,1, \r\n2,-3, "},
        StreamCase{"byteOrderMark", "\xEF\xBB\xBF"
                                    "1 1 2 -3"},
        StreamCase{"quoted", "\"1\" \"1\",\"2\"\n\"-3\""},
        StreamCase{"wholeForms", "1.0 1e0 2.00 -3"}, StreamCase{"leadingSpaces", "   1 1 2 -3"},
        StreamCase{"extraItemsAfter", "1 1 2 -3 9 9 9 9 9"},
        StreamCase{"longestItem", std::string(4095, '0') + "1 1 2 -3"},
        // Semicolons stand wherever commas may, and mix with them.
        StreamCase{"semicolons", "1;1;2;-3"},
        StreamCase{"semicolonsCommasAndSpaces", "1 ; 1,  2 ;-3"},
        StreamCase{"trailingSemicolons", "1;1;\r\n2;-3;\r\n"},
        StreamCase{"quotedSemicolons", "\"1\";\"1\";2\n\"-3\";"},
        // UTF-16 (as a spreadsheet's "Unicode text" is, SpreadsheetFiles below) of either order.
        StreamCase{"utf16SemicolonsAndBlankLines", utf16(u"\r\n1;1;\r\n\r\n2; -3")},
        StreamCase{"utf16BigEndianTextAfterTheCodes",
                   utf16(u"1 1 2 -3 \U0001F600\nK\u00f6ln", true)}),
    testsupport::ByName());

struct ErrorCase {
    const char* name;
    std::string bytes;
    int count;
    const char* expected; // the description, or a piece of it
};

class ReaderFailures : public testing::TestWithParam<ErrorCase> {};

TEST_P(ReaderFailures, NameTheLineAndTheItem) {
    const ErrorCase& c = GetParam();
    const std::string error = readError(c.bytes, c.count);
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ReaderFailures,
    testing::Values(
        ErrorCase{"letters", "1 A 2", 3, "stimulus 2, line 1: \"A\" is not a number"},
        ErrorCase{"fraction", "1\n1.5\n2", 3, "stimulus 2, line 2: \"1.5\" is not a whole number"},
        ErrorCase{"tooLarge", "1 40000", 2, "\"40000\" does not fit a group code"},
        ErrorCase{"emptyBetweenCommas", "1,,2", 3, "stimulus 2, line 1: an empty item"},
        ErrorCase{"emptyBetweenCommasAndSpaces", "1, ,2", 3, "an empty item"},
        ErrorCase{"commaStartingALine", "1\n,2", 2, "line 2: an empty item"},
        ErrorCase{"commaAfterTrailingComma", "1,\n,2", 2, "line 2: an empty item"},
        ErrorCase{"lineOfOneComma", "1\n,\n2", 2, "stimulus 2, line 2: an empty item"},
        ErrorCase{"endOfFile", "1 2\n", 3,
                  "stimulus 3, line 2: the sort data file ends here, "
                  "after 2 codes"},
        ErrorCase{"emptyFile", "", 1, "after 0 codes"},
        ErrorCase{"unclosedQuote", "1 \"2", 2, "has no closing quote"},
        ErrorCase{"quoteAcrossLines", "\"1\n\"", 1, "has no closing quote"},
        ErrorCase{"textAfterQuote", "\"1\"2", 1, "is followed by text after its quote"},
        ErrorCase{"quotedLetters", "\"x\"", 1, "\"x\" is not a number"},
        ErrorCase{"crlfLines", "1\r\n2\r\n\r\nx", 3, "line 4:"},
        ErrorCase{"crLines", "1\r2\rx", 3, "line 3:"},
        ErrorCase{"byteOrderMarkLaterOn",
                  "1 \xEF\xBB\xBF"
                  "2",
                  2, "\"\\uFEFF2\" is not a number"},
        ErrorCase{"semicolonStartingALine", "1;\r\n;2", 2,
                  "line 2: an empty item stands before this semicolon"},
        ErrorCase{"commaThenSemicolon", "1,;2", 2,
                  "stimulus 2, line 1: an empty item stands before this semicolon"},
        ErrorCase{"semicolonThenComma", "1;,2", 2, "an empty item stands before this comma"},
        // Quoted items are readable text: what cannot be shown is an escape, never a broken
        // character; an item that is not text at all is called so.
        ErrorCase{"controlCharactersShownSafely", std::string("1 a\x01z", 5), 2,
                  "\"a\\x01z\" holds bytes that are not text"},
        ErrorCase{"spreadsheetFile", std::string("PK\x03\x04\x14\x00\x06\x00\x08", 9), 1,
                  "line 1: \"PK\\x03\\x04\\x14\\x00\\x06\\x00\\x08\" holds bytes that are not "
                  "text: the sort data file must be plain text"},
        ErrorCase{"otherEncoding", "1 M\xFCller", 2,
                  "\"M\\xFCller\" holds bytes that are not text"},
        ErrorCase{"utf16WithoutItsMark", std::string("1\0 \0", 4), 1,
                  "\"1\\x00\" holds bytes that are not text"},
        ErrorCase{"utf8Letters", "1 M\xC3\xBCller", 2, "\"M\xC3\xBCller\" is not a number"},
        ErrorCase{"cutAtACharacter", "1 " + std::string(39, 'a') + "\xC3\xA9x", 2,
                  "aaaa\xC3\xA9...\" is not a number"},
        ErrorCase{"invisibleCharacters",
                  "1 1\xC2\xA0"
                  "2",
                  2, "\"1\\u00A02\" is not a number"},
        ErrorCase{"backslash", "1 a\\x41", 2, "\"a\\\\x41\" is not a number"},
        ErrorCase{"notTextInAQuote", "1 \"\xFF\"x", 2,
                  "\"\"\\xFF\"\" holds bytes that are not text"},
        ErrorCase{"utf16LettersAndSurrogates", utf16(u"1\r\nK\u00f6ln\U0001F600"), 2,
                  "stimulus 2, line 2: \"K\xC3\xB6ln\xF0\x9F\x98\x80\" is not a number"},
        ErrorCase{"utf16LoneSurrogate", utf16(u"1\r\n2\xD800 3"), 3,
                  "stimulus 2, line 2: the sort data file, UTF-16 text by its byte-order mark, "
                  "holds bytes here that are not text (\\x00\\xD8"},
        ErrorCase{"utf16LoneLowSurrogateBigEndian", utf16(u"1\n\xDC00", true), 2,
                  "stimulus 2, line 2: the sort data file, UTF-16 text by its byte-order mark, "
                  "holds bytes here that are not text (\\xDC\\x00)"},
        ErrorCase{"utf16OddLength", utf16(u"1 2") + "3", 3,
                  "stimulus 2, line 1: the sort data file, UTF-16 text by its byte-order mark, "
                  "holds bytes here that are not text (\\x33)"},
        ErrorCase{"utf16SurrogateCutByTheEnd", utf16(u"1 \xD83D"), 2, "(\\x3D\\xD8)"},
        ErrorCase{"utf16EndOfFile", utf16(u"1\r\n", true), 2,
                  "stimulus 2, line 2: the sort data file ends here, after 1 codes"},
        ErrorCase{"longItemCut", "1 " + std::string(100, '7') + "x", 2, "77...\" is not"},
        ErrorCase{"hugeItem", std::string(100000, '1'), 1, "is too long"},
        ErrorCase{"itemBeyondTheLongest", "1 " + std::string(4096, '0') + "1", 2,
                  "is too long to be a group code"}),
    testsupport::ByName());

enum class Encoding { Utf8, Utf16LittleEndian, Utf16BigEndian };

class ReaderBuffers : public testing::TestWithParam<Encoding> {};

TEST_P(ReaderBuffers, ReadAcrossTheirBoundaries) {
    // Far more than one read's worth, with items of varied widths straddling the boundaries.
    std::string text;
    std::vector<int> expected;
    for (int k = 0; k < 60000; ++k) {
        const int code = (k * 7919) % 65536 - 32768;
        text += std::to_string(code);
        text += (k % 4 == 0) ? "\r\n" : (k % 4 == 1 ? ", " : (k % 4 == 2 ? "\t" : ";"));
        expected.push_back(code);
    }
    ASSERT_GT(text.size(), 4 * dissim::SortDataReader::kBufferBytes);
    const std::string bytes = GetParam() == Encoding::Utf8
                                  ? text
                                  : utf16(std::u16string(text.begin(), text.end()),
                                          GetParam() == Encoding::Utf16BigEndian);
    EXPECT_EQ(readCodes(bytes, static_cast<int>(expected.size())), expected);
}

INSTANTIATE_TEST_SUITE_P(Table, ReaderBuffers,
                         testing::Values(Encoding::Utf8, Encoding::Utf16LittleEndian,
                                         Encoding::Utf16BigEndian));

// The decoder in pieces of every size, with little room for its output, gives what it gives
// for the whole text at once: a character cut by a piece's end is kept for the next.
TEST(Utf16Decoder, DecodesTheTextInAnyPieces) {
    const std::u16string text = u"1\t\"K\u00f6ln\"\r\n\u20ac\U0001F600;-3\U0001F600";
    const std::string expected = "1\t\"K\xC3\xB6ln\"\r\n\xE2\x82\xAC\xF0\x9F\x98\x80;-3"
                                 "\xF0\x9F\x98\x80";
    for (const bool bigEndian : {false, true}) {
        const dissim::Utf16Decoder decoder(bigEndian);
        const std::string bytes = utf16(text, bigEndian).substr(2);
        for (std::size_t piece = 1; piece <= bytes.size(); ++piece) {
            for (const std::size_t room : {4u, 5u, 7u, 64u}) {
                std::string pending;
                std::string decoded;
                std::size_t fed = 0;
                for (;;) {
                    const std::size_t more = std::min(piece, bytes.size() - fed);
                    pending += bytes.substr(fed, more);
                    fed += more;
                    std::string out(room, '\0');
                    const auto d = decoder.decode(pending.data(), pending.size(), out.data(), room,
                                                  fed == bytes.size());
                    ASSERT_FALSE(d.notText) << piece << " " << room;
                    pending.erase(0, d.used);
                    decoded += out.substr(0, d.written);
                    if (fed == bytes.size() && d.written == 0) {
                        break;
                    }
                }
                EXPECT_EQ(decoded, expected) << piece << " " << room;
                EXPECT_TRUE(pending.empty());
            }
        }
    }
}

// Sort data as LibreOffice Calc saved the study (data/spreadsheet/make.sh): the codes of the
// plain file, and nothing more.
class SpreadsheetFiles : public testing::TestWithParam<const char*> {};

TEST_P(SpreadsheetFiles, ReadAsThePlainStudy) {
    const std::string data = DISSIM_TEST_DATA_DIR;
    const std::string bytes = testsupport::readFile(data + "/data/spreadsheet/" + GetParam());
    EXPECT_EQ(
        readCodes(bytes, 60),
        readCodes(testsupport::readFile(data + "/e2e/data/five_subjects_twelve_stimuli.txt"), 60));
    EXPECT_NE(readError(bytes, 61).find("ends here, after 60 codes"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Table, SpreadsheetFiles,
                         testing::Values("study_utf16_tab.txt", "study_utf16le_tab_crlf.txt",
                                         "study_utf16be_tab_crlf.txt", "study_semicolon.csv"));

TEST(SortDataReader, CountsTheCodesRead) {
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("in.txt"), "4 5 6");
    dissim::InputFile file(dir.file("in.txt"));
    dissim::SortDataReader reader(file);
    reader.readCode(1, 1);
    reader.readCode(1, 2);
    EXPECT_EQ(reader.codesRead(), 2);
}

// The reader's short cut for plain items gives the codes the general path gives, for every
// item form and separator, including items cut by the end of the reader's buffer.
// Mostly: every item and separator form in turn. Spaced digits: the usual sort data, one-digit
// codes each after one space, broken now and then by another form, so that runs of them start
// and end at every place (line ends, the reader's buffer ends among them). Separated digits: the
// same after one tab, comma or semicolon (as spreadsheets write them) or space, in stretches of
// one and mixed.
enum class Mix { Mostly, SpacedDigits, SeparatedDigits };

class ReaderShortCut : public testing::TestWithParam<Mix> {};

TEST_P(ReaderShortCut, ReadsEveryFormAsTheGeneralPathDoes) {
    const char* items[] = {"7",     "-12", "00042", "32767", "-32768", "+5", "5.0",
                           "\"3\"", "1e1", "0",     "-0",    "000001", "99", "-7"};
    const char* separators[] = {" ", "\t", ",", " , ", "\r\n", "\n", "  ", ",\r\n"};
    std::mt19937 random(5);
    std::string text;
    std::vector<std::int16_t> expected;
    // Past the end of three of the reader's buffers.
    constexpr std::size_t kTextBytes = 3 * dissim::SortDataReader::kBufferBytes + 8 * 1024;
    for (std::size_t i = 0; text.size() < kTextBytes; ++i) {
        std::string item = items[(i * 7 + i / 13) % std::size(items)];
        const char* separator = separators[(i * 3 + i / 11) % std::size(separators)];
        if (GetParam() != Mix::Mostly && random() % 23 != 0) {
            item = std::string(1, static_cast<char>('0' + random() % 10));
            const char* oneByte[] = {" ", "\t", ",", ";"};
            separator = GetParam() == Mix::SpacedDigits ? " "
                        : i % 1000 < 500                ? oneByte[(i / 100) % 4]
                                                        : oneByte[random() % 4];
        }
        text += item;
        text += separator;
        const dissim::ParsedCode parsed =
            dissim::parseGroupCode(item.front() == '"' ? item.substr(1, item.size() - 2) : item);
        ASSERT_EQ(parsed.error, nullptr) << item;
        expected.push_back(parsed.code);
    }
    testsupport::TempDir dir;
    testsupport::writeFile(dir.file("sort.txt"), text);
    {
        dissim::InputFile input(dir.file("sort.txt"));
        dissim::SortDataReader reader(input);
        for (std::size_t k = 0; k < expected.size(); ++k) {
            ASSERT_EQ(reader.readCode(1, static_cast<std::int64_t>(k + 1)), expected[k]) << k;
        }
        EXPECT_THROW(reader.readCode(1, 0), dissim::RunError);
        EXPECT_EQ(reader.codesRead(), static_cast<std::int64_t>(expected.size()));
    }
    // The same a subject at a time, as the run reads; the last subject runs past the end.
    dissim::InputFile input(dir.file("sort.txt"));
    dissim::SortDataReader reader(input);
    constexpr std::size_t kStimuli = 37;
    std::vector<std::int16_t> codes(kStimuli + 1, 0);
    std::size_t next = 0;
    for (; next + kStimuli <= expected.size(); next += kStimuli) {
        reader.readCodes(1, codes.data(), kStimuli);
        for (std::size_t k = 1; k <= kStimuli; ++k) {
            ASSERT_EQ(codes[k], expected[next + k - 1]) << next + k - 1;
        }
    }
    EXPECT_THROW(reader.readCodes(1, codes.data(), kStimuli), dissim::RunError);
    EXPECT_EQ(reader.codesRead(), static_cast<std::int64_t>(expected.size()));
}

INSTANTIATE_TEST_SUITE_P(Table, ReaderShortCut,
                         testing::Values(Mix::Mostly, Mix::SpacedDigits, Mix::SeparatedDigits),
                         [](const auto& info) {
                             return info.param == Mix::Mostly         ? "mostly"
                                    : info.param == Mix::SpacedDigits ? "spacedDigits"
                                                                      : "separatedDigits";
                         });

} // namespace
