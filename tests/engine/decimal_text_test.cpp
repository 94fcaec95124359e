// The portable decimal conversions (strtod and snprintf) stand in for the standard library's
// where it has no floating-point from_chars and to_chars (WebAssembly). Here, where it has
// them, both run side by side: the same text must give the same number or none, and the same
// number the same text.

#include "decimal_text.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using dissim::DecimalForm;

// std::bit_cast, which WebAssembly's C++ library (libc++ 13) does not have yet.
std::uint64_t bitsOf(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}
double doubleOf(std::uint64_t bits) {
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Counts as people type them, once rewritten (a period, no plus sign): whole numbers,
// fractions, exponents, leading zeros and long digit runs, and the edges of a double.
std::vector<std::string> typedTexts() {
    std::vector<std::string> texts;
    for (int i = 0; i <= 20000; ++i) {
        texts.push_back(std::to_string(i));
    }
    for (int i = 0; i < 2000; ++i) {
        const std::string whole = std::to_string(i / 10);
        const std::string digit = std::to_string(i % 10);
        for (const std::string& text :
             {whole + "." + digit, whole + ".", "." + digit + "5", whole + "." + digit + "25",
              "00" + whole + "." + digit + "0", "-" + whole + "." + digit, whole + "e" + digit,
              whole + "." + digit + "e-" + digit, whole + "e+" + digit + digit,
              "0.000" + whole + digit, whole + digit + "e-3" + digit}) {
            texts.push_back(text);
        }
    }
    for (const char* edge :
         {"0", "-0", "0.0", "0e-400", "0e99999", ".5", "5.", "-.5", "0.1", "0.2", "0.3", "2.5",
          "32767.5", "-32768.5", "2147483647.5", "9007199254740993", "1e15", "1e16", "1e22", "1e23",
          "123456789012345678901234567890", "0.000000000000000000000000001", "1e-310", "4.9e-324",
          "2.4703282292062327e-324", "2.4703282292062328e-324", "1e-400", "1e308",
          "1.7976931348623157e308", "1.7976931348623158e308", "1.7976931348623159e308", "1e309",
          "1e99999999999999999999", "1e-99999999999999999",
          "00000000000000000000000000000000000001e-330", "1.00000000000000011102230246251565",
          "1.000000000000000111022302462515654042363166809082031250001",
          // Not the rewritten form: refused by both.
          "", "-", ".", "e5", "1e", "1e+", "+1", " 1", "1 ", "1,5", "inf", "nan", "0x10", "1.2.3",
          "--1", "1e5.5", "1E5", "1e--5"}) {
        texts.push_back(edge);
    }
    return texts;
}

TEST(DecimalText, PortableReadingGivesTheStandardNumbers) {
    for (const std::string& text : typedTexts()) {
        const auto standard = dissim::readDecimal(text);
        const auto portable = dissim::readDecimalPortable(text);
        ASSERT_EQ(standard.has_value(), portable.has_value()) << '"' << text << '"';
        if (standard) {
            // Bit for bit: the sign of zero too.
            ASSERT_EQ(bitsOf(*standard), bitsOf(*portable)) << '"' << text << '"';
        }
    }
}

// Texts the count summary shows, each the shortest that reads back as its value (the fixed
// form's last is 1e23): both conversions write the value so.
constexpr DecimalForm kFixed = DecimalForm::fixed;
constexpr DecimalForm kGeneral = DecimalForm::general;
// clang-format off
const std::vector<std::string_view> kFixedTexts = {
    "7", "2.5", "0.1", "100000", "0.0001", "32767.5", "999999999999999.9",
    "99999999999999991611392"};
const std::vector<std::string_view> kGeneralTexts = {
    "2e-67", "1e+300", "1e+15", "1.234567e+06", "123456", "0.0001234", "5e-324",
    "1.7976931348623157e+308"};
// clang-format on

TEST(DecimalText, WritesTheShortestTextThatReadsBack) {
    for (const DecimalForm form : {kFixed, kGeneral}) {
        for (const std::string_view text : form == kFixed ? kFixedTexts : kGeneralTexts) {
            const double value = dissim::readDecimal(text).value();
            EXPECT_EQ(dissim::writeDecimal(value, form), text);
            EXPECT_EQ(dissim::writeDecimalPortable(value, form), text);
        }
    }
}

// Doubles a count can take and the awkward ones: the table's (in both forms), the edges of
// the plain form, whole numbers, short fractions, powers of two (whose rounding interval is
// narrower below), and random bit patterns.
std::vector<double> magnitudes() {
    std::vector<double> values = {1e-5, 9.9999e-5, 9007199254740994.0, 1e22};
    for (const auto* texts : {&kFixedTexts, &kGeneralTexts}) {
        for (const std::string_view text : *texts) {
            values.push_back(dissim::readDecimal(text).value());
        }
    }
    for (int i = 0; i <= 5000; ++i) {
        values.push_back(i);
        values.push_back(i / 10.0);
        values.push_back(i / 1000.0);
        values.push_back(i * 1e11);
    }
    for (int exponent = -1074; exponent <= 1023; ++exponent) {
        values.push_back(std::ldexp(1.0, exponent));
    }
    std::mt19937_64 random(20260921);
    for (int i = 0; i < 20000; ++i) {
        const double value = std::fabs(doubleOf(random()));
        if (std::isfinite(value)) {
            values.push_back(value);
        }
        // Also near counts, where the plain form is used.
        values.push_back(std::ldexp(static_cast<double>(random() >> 11), -int(random() % 60)));
    }
    return values;
}

// The C runtime MinGW links (msvcrt) misreads a few far powers of two (2^-792, 2^862: the narrow
// side of their rounding interval), so the portable writing there picks a digit too few. The
// portable path is never used on Windows; glibc and musl (WebAssembly's) read them exactly.
bool misreadByTheHost([[maybe_unused]] double value) {
#ifdef _WIN32
    int exponent = 0;
    return std::frexp(value, &exponent) == 0.5 && std::abs(exponent) > 400;
#else
    return false;
#endif
}

TEST(DecimalText, PortableWritingGivesTheStandardText) {
    for (const double value : magnitudes()) {
        if (misreadByTheHost(value)) {
            continue;
        }
        for (const DecimalForm form : {kFixed, kGeneral}) {
            ASSERT_EQ(dissim::writeDecimalPortable(value, form), dissim::writeDecimal(value, form))
                << std::hexfloat << value << (form == kFixed ? " fixed" : " general");
        }
    }
}

// A C locale whose decimal point is a comma, made for the test where none is installed (POSIX:
// localedef from Debian's locales package, found through LOCPATH). Nothing when it cannot be.
class CommaLocale {
public:
    CommaLocale() : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "German_Germany.1252"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr) {
                active_ = true;
                return;
            }
        }
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
        const std::string command =
            "localedef -i de_DE -f UTF-8 '" + folder_.file("de_DE.UTF-8") + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0) {
            const char* locpath = std::getenv("LOCPATH");
            previousLocpath_ = locpath ? std::optional<std::string>(locpath) : std::nullopt;
            ::setenv("LOCPATH", folder_.path().c_str(), 1);
            active_ = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") != nullptr;
        }
#endif
    }
    ~CommaLocale() {
        std::setlocale(LC_NUMERIC, previous_.c_str());
#if !defined(_WIN32) && !defined(__EMSCRIPTEN__)
        if (previousLocpath_) {
            ::setenv("LOCPATH", previousLocpath_->c_str(), 1);
        } else {
            ::unsetenv("LOCPATH");
        }
#endif
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

    bool active() const {
        return active_;
    }

private:
    std::string previous_;
    testsupport::TempDir folder_;
    std::optional<std::string> previousLocpath_;
    bool active_ = false;
};

// The C locale's decimal point (a comma in many) must not reach the count's text or its value:
// a window toolkit may set the user's locale for the whole program.
TEST(DecimalText, PortableConversionsIgnoreTheLocaleDecimalPoint) {
    const CommaLocale comma;
    if (!comma.active()) {
        GTEST_SKIP() << "no locale with a decimal comma could be set";
    }
    char written[16];
    std::snprintf(written, sizeof written, "%.1f", 2.5);
    if (std::string_view(written) != "2,5") {
        GTEST_SKIP() << "the C library keeps the decimal point in the locale (musl)";
    }
    EXPECT_EQ(dissim::readDecimalPortable("2.5"), 2.5);
    EXPECT_EQ(dissim::readDecimalPortable("-0.125e2"), -12.5);
    EXPECT_FALSE(dissim::readDecimalPortable("2,5").has_value());
    EXPECT_EQ(dissim::writeDecimalPortable(0.125, DecimalForm::fixed), "0.125");
    EXPECT_EQ(dissim::writeDecimalPortable(1.5e-7, DecimalForm::general), "1.5e-07");
    EXPECT_EQ(dissim::writeDecimalPortable(0.1, DecimalForm::general), "0.1");
}

} // namespace
