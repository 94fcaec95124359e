// getrandom for the page: Debian's Emscripten (3.1.6) declares it in <sys/random.h> but its C
// library does not define it. The XML parser of the workbook readers (expat) takes its hash
// salt from it; the bytes come from the browser's crypto through getentropy, which that library
// has.

#include <sys/types.h>
#include <unistd.h>

#include <cstddef>

extern "C" ssize_t getrandom(void* buffer, size_t length, unsigned /*flags*/) {
    // getentropy gives at most 256 bytes a call.
    constexpr std::size_t kMostBytes = 256;
    auto* bytes = static_cast<unsigned char*>(buffer);
    for (std::size_t done = 0; done < length;) {
        const std::size_t part = length - done < kMostBytes ? length - done : kMostBytes;
        if (getentropy(bytes + done, part) != 0) {
            return -1;
        }
        done += part;
    }
    return static_cast<ssize_t>(length);
}
