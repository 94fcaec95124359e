#pragma once

// The work the benchmark times, shared by the native bench and the engine's WebAssembly program
// for node: one engine run over the given settings, and the floor, the same number of bytes
// written to a new file from a ready buffer. Both report their failures on standard error,
// after the program's name.

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

// One run of the engine; true when it ended in "Done!".
bool runEngine(const char* program, const std::string& subjects, const std::string& stimuli,
               const std::string& input, const std::string& output);

// A chunk of the floor's writes: bytes of the matrix file's kind (" 1 " over and over).
std::vector<char> floorChunk(std::size_t bytes);

// bytes to a new file at output, from chunk, one chunk at a time.
bool writeFloor(const char* program, const std::string& output, std::uint64_t bytes,
                const std::vector<char>& chunk);

} // namespace bench
