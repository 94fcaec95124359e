#include "reference_run.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <unistd.h>
#include <vector>

namespace bench {
namespace {

bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t put = ::write(fd, data, size);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return false;
        }
        data += put;
        size -= static_cast<std::size_t>(put);
    }
    return true;
}

// The next whole number in text from pos on; separators are anything but digits and '-'.
int nextCode(const std::string& text, std::size_t& pos) {
    while (pos < text.size() && text[pos] != '-' && (text[pos] < '0' || text[pos] > '9')) {
        ++pos;
    }
    int value = 0;
    const auto result = std::from_chars(text.data() + pos, text.data() + text.size(), value);
    pos = static_cast<std::size_t>(result.ptr - text.data());
    return value;
}

} // namespace

bool referenceRun(const std::string& input, const std::string& output, int subjects, int stimuli) {
    std::ifstream in(input, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const int fd = ::open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (!in || fd < 0) {
        std::fprintf(stderr, "reference run: cannot open its files\n");
        return false;
    }
    const auto n = static_cast<std::size_t>(stimuli);
    std::vector<int> codes(n + 1);
    std::vector<std::int16_t> counts(
        (n + 1) * (n + 1),
        static_cast<std::int16_t>(subjects)); // row r, column c at r * (n + 1) + c
    // The largest block: a line start, entries of up to seven bytes, the diagonal, the line end.
    std::vector<char> block(n * (n + 1) / 2 * 7 + n * 8 + 8);
    std::size_t pos = 0;
    bool written = true;
    for (int s = 0; s < subjects && written; ++s) {
        for (std::size_t k = 1; k <= n; ++k) {
            codes[k] = nextCode(text, pos);
        }
        char* out = block.data();
        for (std::size_t r = 1; r <= n; ++r) {
            *out++ = ' ';
            for (std::size_t c = 1; c < r; ++c) {
                const bool together = codes[r] == codes[c];
                counts[r * (n + 1) + c] -= together;
                out[0] = ' ';
                out[1] = static_cast<char>('1' - together);
                out[2] = ' ';
                out += 3;
            }
            std::memcpy(out, " 0 \r\n", 5);
            out += 5;
        }
        written = writeAll(fd, block.data(), static_cast<std::size_t>(out - block.data()));
    }
    char* out = block.data();
    for (std::size_t r = 1; r <= std::max<std::size_t>(n, 1); ++r) {
        *out++ = ' ';
        for (std::size_t c = 1; c < r; ++c) {
            const int value = counts[r * (n + 1) + c];
            *out++ = value < 0 ? '-' : ' ';
            out = std::to_chars(out, out + 6, value < 0 ? -value : value).ptr;
            *out++ = ' ';
        }
        std::memcpy(out, " 0 \r\n", 5);
        out += 5;
    }
    written = written && writeAll(fd, block.data(), static_cast<std::size_t>(out - block.data()));
    if (::close(fd) != 0 || !written) {
        std::fprintf(stderr, "reference run: writing %s failed: %s\n", output.c_str(),
                     std::strerror(errno));
        return false;
    }
    return true;
}

} // namespace bench
