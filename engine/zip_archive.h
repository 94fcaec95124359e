#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace dissim {

// A zip archive held in memory, read with zlib's minizip: its entries by name, each inflated
// whole or streamed in pieces. Nothing an archive declares is trusted: an entry's declared
// size limits nothing, the inflated bytes are counted as they come, and an archive that
// inflates past kMaxInflatedBytes (a zip bomb) fails, as does one whose entries do not inflate
// to the sizes and checksums it declares. Every failure throws RunError, its message naming
// what (say "the workbook") and the entry.
class ZipArchive {
public:
    // The most an archive may inflate to, all entries read together: more than any table the
    // program reads can need.
    static constexpr std::uint64_t kMaxInflatedBytes = std::uint64_t{1} << 30;
    // The most entries an archive may hold (a workbook has tens).
    static constexpr std::size_t kMaxEntries = 100000;

    // Starts with a zip archive's signature: a local file header or an empty archive's end.
    static bool hasZipSignature(std::string_view bytes);

    // Reads the archive's directory. what names it in messages ("the workbook"); maxInflated
    // bounds what all its entries may inflate to together. The bytes must outlive the archive.
    explicit ZipArchive(std::string_view bytes, std::string what = "the archive",
                        std::uint64_t maxInflated = kMaxInflatedBytes);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // The entries' names, in the archive's order.
    const std::vector<std::string>& names() const { return names_; }
    // Whether an entry has this name; names match exactly or, failing that, regardless of
    // the case of ASCII letters (as Office's part names do).
    bool has(std::string_view name) const;

    // The entry inflated whole; fails past limit bytes, and past what the archive may still
    // inflate.
    std::string read(std::string_view name, std::uint64_t limit = kMaxInflatedBytes);
    // The entry inflated in pieces, handed to sink in order as they come, until sink returns
    // false (the rest is then neither inflated nor checked).
    void stream(std::string_view name, const std::function<bool(std::string_view)>& sink,
                std::uint64_t limit = kMaxInflatedBytes);

    // All bytes inflated so far.
    std::uint64_t inflatedBytes() const { return inflated_; }

    // The bytes as minizip reads them (zip_archive.cpp).
    struct Source;

private:
    std::size_t find(std::string_view name) const;

    std::string what_;
    std::unique_ptr<Source> source_;
    void* handle_ = nullptr; // minizip's unzFile
    std::vector<std::string> names_;
    std::vector<std::uint64_t> positions_; // minizip's unz64_file_pos, two numbers per entry
    std::uint64_t maxInflated_;
    std::uint64_t inflated_ = 0;
};

} // namespace dissim
