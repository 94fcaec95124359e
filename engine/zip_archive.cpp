#include "zip_archive.h"

#include "item_text.h"
#include "run_error.h"

#include <unzip.h>

#include <algorithm>
#include <cstring>

namespace dissim {

// The archive's bytes as minizip's file: reads, seeks and tells over memory.
struct ZipArchive::Source {
    std::string_view bytes;
    std::uint64_t position = 0;
    zlib_filefunc64_def functions{};
};

namespace {

constexpr std::size_t kPiece = 64 * 1024;

voidpf ZCALLBACK openSource(voidpf opaque, const void*, int mode) {
    // Reading only; the opaque pointer is the source itself.
    return (mode & ZLIB_FILEFUNC_MODE_WRITE) != 0 ? nullptr : opaque;
}

uLong ZCALLBACK readSource(voidpf, voidpf stream, void* buffer, uLong size) {
    auto& source = *static_cast<ZipArchive::Source*>(stream);
    const std::uint64_t left = source.bytes.size() - source.position;
    const std::uint64_t count = std::min<std::uint64_t>(size, left);
    std::memcpy(buffer, source.bytes.data() + source.position, count);
    source.position += count;
    return static_cast<uLong>(count);
}

uLong ZCALLBACK writeSource(voidpf, voidpf, const void*, uLong) {
    return 0;
}

ZPOS64_T ZCALLBACK tellSource(voidpf, voidpf stream) {
    return static_cast<ZipArchive::Source*>(stream)->position;
}

long ZCALLBACK seekSource(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
    auto& source = *static_cast<ZipArchive::Source*>(stream);
    std::uint64_t base = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        base = 0;
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        base = source.position;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        base = source.bytes.size();
        break;
    default:
        return -1;
    }
    if (offset > source.bytes.size() || base > source.bytes.size() - offset) {
        return -1;
    }
    source.position = base + offset;
    return 0;
}

int ZCALLBACK closeSource(voidpf, voidpf) {
    return 0;
}

int ZCALLBACK errorSource(voidpf, voidpf) {
    return 0;
}

bool sameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z') {
            x = static_cast<char>(x - 'A' + 'a');
        }
        if (y >= 'A' && y <= 'Z') {
            y = static_cast<char>(y - 'A' + 'a');
        }
        if (x != y) {
            return false;
        }
    }
    return true;
}

// "1 GB", "64 MB", "1000 bytes".
std::string size(std::uint64_t bytes) {
    if (bytes >= (std::uint64_t{1} << 30) && bytes % (std::uint64_t{1} << 30) == 0) {
        return std::to_string(bytes >> 30) + " GB";
    }
    if (bytes >= (std::uint64_t{1} << 20)) {
        return std::to_string(bytes >> 20) + " MB";
    }
    return std::to_string(bytes) + " bytes";
}

} // namespace

bool ZipArchive::hasZipSignature(std::string_view bytes) {
    return bytes.substr(0, 4) == std::string_view("PK\x03\x04", 4) ||
           bytes.substr(0, 4) == std::string_view("PK\x05\x06", 4);
}

ZipArchive::ZipArchive(std::string_view bytes, std::string what, std::uint64_t maxInflated)
    : what_(std::move(what)), source_(std::make_unique<Source>()), maxInflated_(maxInflated) {
    source_->bytes = bytes;
    zlib_filefunc64_def& functions = source_->functions;
    functions.zopen64_file = openSource;
    functions.zread_file = readSource;
    functions.zwrite_file = writeSource;
    functions.ztell64_file = tellSource;
    functions.zseek64_file = seekSource;
    functions.zclose_file = closeSource;
    functions.zerror_file = errorSource;
    functions.opaque = source_.get();
    const std::string damaged = what_ + " is no zip archive, or a damaged one";
    if (!hasZipSignature(bytes)) {
        throw RunError(damaged);
    }
    handle_ = unzOpen2_64(source_.get(), &functions);
    if (handle_ == nullptr) {
        throw RunError(damaged);
    }
    unzFile file = handle_;
    unz_global_info64 global{};
    if (unzGetGlobalInfo64(file, &global) != UNZ_OK) {
        unzClose(file);
        handle_ = nullptr;
        throw RunError(damaged);
    }
    // An archive of no entries has no first one.
    int status = global.number_entry == 0 ? UNZ_END_OF_LIST_OF_FILE : unzGoToFirstFile(file);
    std::string name;
    while (status == UNZ_OK) {
        if (names_.size() >= kMaxEntries) {
            unzClose(file);
            handle_ = nullptr;
            throw RunError(what_ + " holds more than " + std::to_string(kMaxEntries) +
                           " entries, far more than a workbook has");
        }
        unz_file_info64 info{};
        status = unzGetCurrentFileInfo64(file, &info, nullptr, 0, nullptr, 0, nullptr, 0);
        if (status != UNZ_OK) {
            break;
        }
        name.assign(info.size_filename, '\0');
        status = unzGetCurrentFileInfo64(file, &info, name.data(), static_cast<uLong>(name.size()),
                                         nullptr, 0, nullptr, 0);
        unz64_file_pos position{};
        if (status != UNZ_OK || unzGetFilePos64(file, &position) != UNZ_OK) {
            status = UNZ_BADZIPFILE;
            break;
        }
        names_.push_back(name);
        positions_.push_back(position.pos_in_zip_directory);
        positions_.push_back(position.num_of_file);
        status = unzGoToNextFile(file);
    }
    if (status != UNZ_END_OF_LIST_OF_FILE) {
        unzClose(file);
        handle_ = nullptr;
        throw RunError(damaged);
    }
}

ZipArchive::~ZipArchive() {
    if (handle_ != nullptr) {
        unzClose(handle_);
    }
}

std::size_t ZipArchive::find(std::string_view name) const {
    const auto exact = std::find(names_.begin(), names_.end(), name);
    if (exact != names_.end()) {
        return static_cast<std::size_t>(exact - names_.begin());
    }
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (sameIgnoringCase(names_[i], name)) {
            return i;
        }
    }
    return names_.size();
}

bool ZipArchive::has(std::string_view name) const {
    return find(name) < names_.size();
}

std::string ZipArchive::read(std::string_view name, std::uint64_t limit) {
    std::string text;
    stream(
        name,
        [&text](std::string_view piece) {
            text.append(piece);
            return true;
        },
        limit);
    return text;
}

void ZipArchive::stream(std::string_view name, const std::function<bool(std::string_view)>& sink,
                        std::uint64_t limit) {
    const std::size_t index = find(name);
    if (index >= names_.size()) {
        throw RunError(what_ + " has no part " + inQuotes(name));
    }
    const std::string entry = what_ + "'s part " + inQuotes(names_[index]);
    const std::string damaged = entry + " is damaged: it does not inflate to what the archive says";
    unzFile file = handle_;
    unz64_file_pos position{positions_[2 * index], positions_[2 * index + 1]};
    unz_file_info64 info{};
    if (unzGoToFilePos64(file, &position) != UNZ_OK ||
        unzGetCurrentFileInfo64(file, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
        throw RunError(damaged);
    }
    if ((info.flag & 1) != 0) {
        throw RunError(entry + " is encrypted: the workbook is protected by a password");
    }
    if (info.compression_method != 0 && info.compression_method != Z_DEFLATED) {
        throw RunError(entry + " is compressed in a way this program cannot read (method " +
                       std::to_string(info.compression_method) + ")");
    }
    const std::uint64_t budget = std::min(limit, maxInflated_ - inflated_);
    const std::string tooLarge = entry + " inflates to more than " +
                                 size(std::min(limit, maxInflated_)) +
                                 ", far more than a table needs: the file is no workbook a "
                                 "spreadsheet saves (a zip bomb?)";
    // Refused at once where the archive says so; otherwise counted as it inflates.
    if (info.uncompressed_size > budget) {
        throw RunError(tooLarge);
    }
    if (unzOpenCurrentFile(file) != UNZ_OK) {
        throw RunError(damaged);
    }
    std::unique_ptr<char[]> piece(new char[kPiece]);
    std::uint64_t total = 0;
    int count = 0;
    try {
        while ((count = unzReadCurrentFile(file, piece.get(), kPiece)) > 0) {
            total += static_cast<std::uint64_t>(count);
            inflated_ += static_cast<std::uint64_t>(count);
            if (total > budget) {
                throw RunError(tooLarge);
            }
            if (!sink(std::string_view(piece.get(), static_cast<std::size_t>(count)))) {
                unzCloseCurrentFile(file);
                return;
            }
        }
    } catch (...) {
        unzCloseCurrentFile(file);
        throw;
    }
    // minizip stops at the declared size and checks the checksum only when it reached it.
    const int closed = unzCloseCurrentFile(file);
    if (count < 0 || closed != UNZ_OK || total != info.uncompressed_size) {
        throw RunError(damaged);
    }
}

} // namespace dissim
