// The platform layer's memory in a browser: the most the WebAssembly memory may grow to.

#include "memory_limit.h"

#include <emscripten/heap.h>

namespace dissim {

std::uint64_t physicalMemoryBytes() {
    return static_cast<std::uint64_t>(emscripten_get_heap_max());
}

} // namespace dissim
