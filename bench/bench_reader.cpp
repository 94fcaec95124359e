#include "bench_reader.h"

#include "bench_sort_data.h"
#include "files.h"
#include "run_error.h"
#include "sort_data_reader.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace bench {
namespace {

constexpr std::int64_t kSubjects = 2000;
constexpr std::int64_t kStimuli = 1000;
constexpr std::uint64_t kSeed = 20240611;

struct Form {
    const char* name;
    char separator;
    bool utf16;
};

constexpr Form kForms[] = {{"spaces, CR LF", ' ', false},
                           {"commas, CR LF", ',', false},
                           {"semicolons, CR LF", ';', false},
                           {"tabs, CR LF", '\t', false},
                           {"tabs, UTF-16 LE", '\t', true}};

// The generated sort data with its separators replaced, as UTF-16 LE with its mark if asked.
std::string textOf(const std::string& spaced, const Form& form) {
    std::string text = spaced;
    std::replace(text.begin(), text.end(), ' ', form.separator);
    if (!form.utf16) {
        return text;
    }
    std::string wide = "\xFF\xFE";
    wide.reserve(2 * text.size() + 2);
    for (char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

// Reads the whole file a subject at a time, as the run does; the sum of the codes, so that
// nothing is optimised away and the forms can be compared.
std::int64_t readAll(const std::string& path) {
    dissim::InputFile file(path);
    dissim::SortDataReader reader(file);
    std::vector<std::int16_t> codes(static_cast<std::size_t>(kStimuli) + 1);
    std::int64_t sum = 0;
    for (std::int64_t s = 1; s <= kSubjects; ++s) {
        reader.readCodes(s, codes.data(), kStimuli);
        for (std::int64_t k = 1; k <= kStimuli; ++k) {
            sum += codes[static_cast<std::size_t>(k)] * k;
        }
    }
    return sum;
}

} // namespace

bool benchReader(const std::filesystem::path& folder, int rounds) {
    const std::string spaced = makeSortData(kSubjects, kStimuli, kSeed);
    const std::string path =
        (folder / ("dissim-bench-" + std::to_string(::getpid()) + "-reader.txt")).string();
    std::printf("reader: S=%lld N=%lld, read a subject at a time, %d rounds; MB/s of the file's "
                "bytes and ns per code, median and best round\n",
                static_cast<long long>(kSubjects), static_cast<long long>(kStimuli), rounds);
    bool good = true;
    std::int64_t expected = 0;
    for (const Form& form : kForms) {
        const std::string text = textOf(spaced, form);
        std::ofstream(path, std::ios::binary) << text;
        std::vector<double> seconds;
        std::string failure;
        for (int round = 0; round < rounds && failure.empty(); ++round) {
            const auto start = std::chrono::steady_clock::now();
            try {
                const std::int64_t sum = readAll(path);
                if (expected == 0) {
                    expected = sum;
                }
                good = good && sum == expected;
                if (sum != expected) {
                    failure = "OTHER CODES than the file holds";
                }
            } catch (const dissim::RunError& error) {
                failure = std::string("fails: ") + error.what();
            }
            seconds.push_back(
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
        if (!failure.empty()) {
            std::printf("  %-20s %s\n", form.name, failure.c_str());
            continue;
        }
        std::sort(seconds.begin(), seconds.end());
        const double median = seconds[seconds.size() / 2];
        const double best = seconds.front();
        const auto codes = static_cast<double>(kSubjects * kStimuli);
        std::printf("  %-20s %8llu bytes  median %5.0f MB/s %5.2f ns/code  best %5.0f MB/s "
                    "%5.2f ns/code\n",
                    form.name, static_cast<unsigned long long>(text.size()),
                    static_cast<double>(text.size()) / median / 1e6, median * 1e9 / codes,
                    static_cast<double>(text.size()) / best / 1e6, best * 1e9 / codes);
    }
    ::unlink(path.c_str());
    return good;
}

} // namespace bench
