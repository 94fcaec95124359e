// The platform layer's files on Windows. Paths arrive as UTF-8 and are opened as UTF-16, long
// ones included; every read and write is binary and every size and offset 64-bit; failure
// texts are the system's own, in UTF-8, on one line.

#include "platform.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace dissim::platform {
namespace {

// The most one ReadFile or WriteFile call is given: its count is 32-bit.
constexpr std::size_t kMostPerCall = std::size_t{1} << 30;

HANDLE handleOf(NativeFile file) {
    return reinterpret_cast<HANDLE>(file);
}

NativeFile toNative(HANDLE handle) {
    return reinterpret_cast<NativeFile>(handle);
}

std::string toUtf8(const wchar_t* text, int length) {
    const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(std::max(bytes, 0)), '\0');
    if (bytes > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, text, length, utf8.data(), bytes, nullptr, nullptr);
    }
    return utf8;
}

// The system's description of error, on one line ("Access is denied.").
std::string describe(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string reason = length > 0 ? toUtf8(text, static_cast<int>(length)) : std::string();
    ::LocalFree(text);
    std::replace_if(
        reason.begin(), reason.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    while (!reason.empty() && reason.back() == ' ') {
        reason.pop_back();
    }
    return reason.empty() ? "system error " + std::to_string(error) : reason;
}

Status failed(DWORD error) {
    return Status::failure(describe(error));
}

// The UTF-16 form of a UTF-8 path, as CreateFileW takes it: a path too long for the classic
// limit is made absolute and given the \\?\ prefix, which lifts the limit. Fails on bytes
// that are not UTF-8.
Status widePath(const std::string& path, std::wstring& wide) {
    const int length = static_cast<int>(path.size());
    const int units =
        ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, nullptr, 0);
    if (units <= 0) {
        return failed(::GetLastError());
    }
    wide.assign(static_cast<std::size_t>(units), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, path.data(), length, wide.data(), units);
    // A folder's path must leave room for an 8.3 file name below the limit.
    constexpr std::size_t kClassicLimit = MAX_PATH - 12;
    if (wide.size() < kClassicLimit || wide.rfind(L"\\\\?\\", 0) == 0) {
        return {};
    }
    // The prefix turns off the system's own clean-up of the path (/ for \, . and ..), so the
    // full path is worked out first.
    const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return failed(::GetLastError());
    }
    std::wstring full(needed, L'\0');
    const DWORD written = ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (written == 0 || written >= needed) {
        return failed(::GetLastError());
    }
    full.resize(written);
    if (full.rfind(L"\\\\", 0) == 0) {
        wide = L"\\\\?\\UNC\\" + full.substr(2); // \\server\share\...
    } else {
        wide = L"\\\\?\\" + full;
    }
    return {};
}

Status openPath(const std::string& path, DWORD access, DWORD sharing, DWORD disposition,
                DWORD flags, NativeFile& file) {
    std::wstring wide;
    const Status converted = widePath(path, wide);
    if (!converted.ok()) {
        return converted;
    }
    const HANDLE handle =
        ::CreateFileW(wide.c_str(), access, sharing, nullptr, disposition, flags, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return failed(::GetLastError());
    }
    file = toNative(handle);
    return {};
}

bool isDiskFile(HANDLE handle) {
    return ::GetFileType(handle) == FILE_TYPE_DISK;
}

// A file's identity: its volume and its number on that volume. Two forms: the 128-bit file
// id (ReFS needs it), and the older 64-bit file index where the first cannot be read.
struct Identity {
    std::uint64_t volume = 0;
    unsigned char id[16] = {};

    bool operator==(const Identity& other) const {
        return volume == other.volume && std::memcmp(id, other.id, sizeof id) == 0;
    }
};

bool fileIdOf(HANDLE handle, Identity& identity) {
    FILE_ID_INFO info{};
    if (!::GetFileInformationByHandleEx(handle, FileIdInfo, &info, sizeof info)) {
        return false;
    }
    identity.volume = info.VolumeSerialNumber;
    static_assert(sizeof identity.id == sizeof info.FileId.Identifier);
    std::memcpy(identity.id, info.FileId.Identifier, sizeof identity.id);
    return true;
}

bool fileIndexOf(HANDLE handle, Identity& identity) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        return false;
    }
    identity.volume = info.dwVolumeSerialNumber;
    const std::uint64_t index =
        (std::uint64_t{info.nFileIndexHigh} << 32) | std::uint64_t{info.nFileIndexLow};
    std::memcpy(identity.id, &index, sizeof index);
    return true;
}

// Whether two disk files are one; unknown when neither form of identity can be read for both.
bool sameIdentity(HANDLE first, HANDLE second, bool unknown) {
    Identity a;
    Identity b;
    if (fileIdOf(first, a) && fileIdOf(second, b)) {
        return a == b;
    }
    a = {};
    b = {};
    if (fileIndexOf(first, a) && fileIndexOf(second, b)) {
        return a == b;
    }
    return unknown;
}

} // namespace

Status openForReading(const std::string& path, NativeFile& file) {
    // Others may read the input meanwhile, never write it. Backup semantics let a folder open,
    // so that it can be reported as a folder.
    return openPath(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_SEQUENTIAL_SCAN,
                    file);
}

Status openForWriting(const std::string& path, NativeFile& file) {
    // OPEN_ALWAYS, not CREATE_ALWAYS: whether the file may be emptied is decided once it is
    // open. Reading attributes is needed to read the file's identity.
    return openPath(path, GENERIC_WRITE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, file);
}

Status examine(NativeFile file, FileFacts& facts) {
    const HANDLE handle = handleOf(file);
    const DWORD type = ::GetFileType(handle);
    if (type == FILE_TYPE_UNKNOWN && ::GetLastError() != NO_ERROR) {
        return failed(::GetLastError());
    }
    if (type != FILE_TYPE_DISK) {
        facts = {FileKind::Other, 0};
        return {};
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(handle, &info)) {
        return failed(::GetLastError());
    }
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        facts = {FileKind::Folder, 0};
    } else {
        facts = {FileKind::DiskFile,
                 (std::uint64_t{info.nFileSizeHigh} << 32) | std::uint64_t{info.nFileSizeLow}};
    }
    return {};
}

bool isSameFile(NativeFile first, NativeFile second) {
    // A pipe or a device has no identity to read: it is never taken for a disk file.
    if (!isDiskFile(handleOf(first)) || !isDiskFile(handleOf(second))) {
        return false;
    }
    return sameIdentity(handleOf(first), handleOf(second), true);
}

bool namesFile(const std::string& path, NativeFile file) {
    // No access asked for but the attributes: this open is refused by no sharing rule.
    NativeFile named = kNoFile;
    if (!openPath(path, FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS, named)
             .ok()) {
        return false;
    }
    const bool same = isDiskFile(handleOf(named)) && isDiskFile(handleOf(file)) &&
                      sameIdentity(handleOf(named), handleOf(file), false);
    ::CloseHandle(handleOf(named));
    return same;
}

Status read(NativeFile file, char* buffer, std::size_t size, std::size_t& got) {
    DWORD count = 0;
    if (!::ReadFile(handleOf(file), buffer, static_cast<DWORD>(std::min(size, kMostPerCall)),
                    &count, nullptr)) {
        const DWORD error = ::GetLastError();
        // A pipe whose writer has gone has come to its end.
        if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) {
            got = 0;
            return {};
        }
        return failed(error);
    }
    got = count;
    return {};
}

Status writeAll(NativeFile file, std::string_view data) {
    while (!data.empty()) {
        DWORD put = 0;
        if (!::WriteFile(handleOf(file), data.data(),
                         static_cast<DWORD>(std::min(data.size(), kMostPerCall)), &put, nullptr)) {
            return failed(::GetLastError());
        }
        if (put == 0) {
            return failed(ERROR_WRITE_FAULT);
        }
        data.remove_prefix(put);
    }
    return {};
}

Status empty(NativeFile file) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = 0;
    if (!::SetFileInformationByHandle(handleOf(file), FileEndOfFileInfo, &end, sizeof end)) {
        return failed(::GetLastError());
    }
    return {};
}

Status close(NativeFile file) {
    if (!::CloseHandle(handleOf(file))) {
        return failed(::GetLastError());
    }
    return {};
}

} // namespace dissim::platform
