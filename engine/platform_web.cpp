// The platform layer's files in a browser (WebAssembly through Emscripten, with Asyncify): the
// files the user chose in the page, read and written through the browser's file APIs
// (platform_web_files.js). A path is the name under which the page registered a chosen file.
// Each call waits for the browser's promise; the page runs meanwhile and paints.
//
// The output goes to the chosen file as the run writes it, never all held in memory: into the
// browser's copy of the file, which takes the file's place when it is closed (also after a
// failure, with exactly what was written); where the browser cannot write a chosen file, it is
// collected in a Blob, which the browser holds outside the page, and handed out as a download
// on close.

#include "platform.h"

#include <emscripten.h>

#include <algorithm>
#include <climits>

namespace dissim::platform {
namespace {

constexpr int kReasonBytes = 256;

// Each call returns 0 or more when it has succeeded, -1 with the browser's reason when not.
// clang-format off
EM_ASYNC_JS(int, webOpen, (const char* path, int forWriting, char* reason, int reasonBytes), {
  try {
    var name = UTF8ToString(path);
    return forWriting ? dissimFiles.openForWriting(name) : await dissimFiles.openForReading(name);
  } catch (error) {
    stringToUTF8(dissimFiles.reasonOf(error), reason, reasonBytes);
    return -1;
  }
});

EM_ASYNC_JS(double, webSize, (int file, char* reason, int reasonBytes), {
  try {
    return await dissimFiles.size(file);
  } catch (error) {
    stringToUTF8(dissimFiles.reasonOf(error), reason, reasonBytes);
    return -1;
  }
});

// 1: one file, 0: two, -1: cannot be told.
EM_ASYNC_JS(int, webSameFile, (int first, int second), {
  try {
    return (await dissimFiles.isSameFile(first, second)) ? 1 : 0;
  } catch (error) {
    return -1;
  }
});

EM_ASYNC_JS(int, webNamesFile, (const char* path, int file), {
  try {
    return (await dissimFiles.namesFile(UTF8ToString(path), file)) ? 1 : 0;
  } catch (error) {
    return 0;
  }
});

EM_ASYNC_JS(int, webRead, (int file, char* buffer, int size, char* reason, int reasonBytes), {
  try {
    var bytes = await dissimFiles.read(file, size);
    HEAPU8.set(bytes, buffer);
    return bytes.length;
  } catch (error) {
    stringToUTF8(dissimFiles.reasonOf(error), reason, reasonBytes);
    return -1;
  }
});

EM_ASYNC_JS(int, webWrite, (int file, const char* data, int size, char* reason, int reasonBytes), {
  try {
    // The engine waits meanwhile: its buffer stays as it is until the write has taken it.
    await dissimFiles.write(file, HEAPU8.subarray(data, data + size));
    return 0;
  } catch (error) {
    stringToUTF8(dissimFiles.reasonOf(error), reason, reasonBytes);
    return -1;
  }
});

// A call on an open file that gives nothing back: "empty" or "close".
EM_ASYNC_JS(int, webFileCall, (const char* call, int file, char* reason, int reasonBytes), {
  try {
    await dissimFiles[UTF8ToString(call)](file);
    return 0;
  } catch (error) {
    stringToUTF8(dissimFiles.reasonOf(error), reason, reasonBytes);
    return -1;
  }
});
// clang-format on

int number(NativeFile file) {
    return static_cast<int>(file);
}

Status failed(const char* reason) {
    return Status::failure(reason);
}

Status open(const std::string& path, bool forWriting, NativeFile& file) {
    char reason[kReasonBytes] = {};
    const int opened = webOpen(path.c_str(), forWriting ? 1 : 0, reason, kReasonBytes);
    if (opened < 0) {
        return failed(reason);
    }
    file = static_cast<NativeFile>(opened);
    return {};
}

Status fileCall(const char* call, NativeFile file) {
    char reason[kReasonBytes] = {};
    if (webFileCall(call, number(file), reason, kReasonBytes) < 0) {
        return failed(reason);
    }
    return {};
}

} // namespace

Status openForReading(const std::string& path, NativeFile& file) {
    return open(path, false, file);
}

Status openForWriting(const std::string& path, NativeFile& file) {
    return open(path, true, file);
}

Status examine(NativeFile file, FileFacts& facts) {
    char reason[kReasonBytes] = {};
    const double size = webSize(number(file), reason, kReasonBytes);
    if (size < 0) {
        return failed(reason);
    }
    // A browser hands out files only: no folders, pipes or devices.
    facts = {FileKind::DiskFile, static_cast<std::uint64_t>(size)};
    return {};
}

bool isSameFile(NativeFile first, NativeFile second) {
    // Taken for one when it cannot be told, so that no file is emptied on a guess.
    return webSameFile(number(first), number(second)) != 0;
}

bool namesFile(const std::string& path, NativeFile file) {
    return webNamesFile(path.c_str(), number(file)) == 1;
}

Status read(NativeFile file, char* buffer, std::size_t size, std::size_t& got) {
    char reason[kReasonBytes] = {};
    const int count =
        webRead(number(file), buffer, static_cast<int>(std::min<std::size_t>(size, INT_MAX)),
                reason, kReasonBytes);
    if (count < 0) {
        return failed(reason);
    }
    got = static_cast<std::size_t>(count);
    return {};
}

Status writeAll(NativeFile file, std::string_view data) {
    while (!data.empty()) {
        const std::size_t piece = std::min<std::size_t>(data.size(), std::size_t{1} << 30);
        char reason[kReasonBytes] = {};
        if (webWrite(number(file), data.data(), static_cast<int>(piece), reason, kReasonBytes) <
            0) {
            return failed(reason);
        }
        data.remove_prefix(piece);
    }
    return {};
}

Status empty(NativeFile file) {
    return fileCall("empty", file);
}

Status close(NativeFile file) {
    return fileCall("close", file);
}

} // namespace dissim::platform
