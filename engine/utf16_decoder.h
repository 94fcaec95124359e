#pragma once

#include <cstddef>

namespace dissim {

// Turns UTF-16 text (little or big endian, without its byte-order mark) into UTF-8, a piece at
// a time, so that a file of any size is read through a bounded buffer.
class Utf16Decoder {
public:
    // Out needs this much room for one more character.
    static constexpr std::size_t kLongestCharacter = 4;

    explicit Utf16Decoder(bool bigEndian) : bigEndian_(bigEndian) {}

    struct Decoded {
        std::size_t used = 0;    // bytes of in taken
        std::size_t written = 0; // bytes of out filled
        bool notText = false;    // in[used] starts bytes that are no UTF-16 text
    };

    // Decodes whole characters from in into out until in holds no whole character more, out
    // has no room for one, or the bytes at in are not UTF-16 text (a surrogate without its
    // partner). A character cut by the end of in is left there for the next call, unless
    // lastPiece says that in ends the text: then those bytes are not text either.
    Decoded decode(const char* in, std::size_t inSize, char* out, std::size_t outSize,
                   bool lastPiece) const;

private:
    bool bigEndian_;
};

} // namespace dissim
