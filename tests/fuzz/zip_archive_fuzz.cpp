// Fuzz target: arbitrary bytes as a zip archive held in memory (minizip over memory callbacks).
//
// Whatever the bytes, the archive is refused with a RunError or opened; then every entry it
// lists reads whole or fails with a RunError, never past the bounds: an entry never inflates
// past its limit (kept small here, so that a bomb fails quickly) nor the archive past its own,
// and a streamed entry comes to the same bytes as a whole one. The workbook functions that
// look at bytes (workbookKind, unreadableSpreadsheet) never throw.

#include "run_error.h"
#include "workbook_reader.h"
#include "zip_archive.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

constexpr std::uint64_t kEntryLimit = std::uint64_t{1} << 20;
constexpr std::uint64_t kArchiveLimit = std::uint64_t{4} << 20;

void check(bool property) {
    if (!property) {
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    try {
        (void)dissim::workbookKind(bytes);
        (void)dissim::unreadableSpreadsheet(bytes);
    } catch (...) {
        std::abort(); // neither may throw
    }
    try {
        dissim::ZipArchive archive(bytes, "the archive", kArchiveLimit);
        check(archive.names().size() <= dissim::ZipArchive::kMaxEntries);
        for (const std::string& name : archive.names()) {
            check(archive.has(name));
            std::string whole;
            try {
                whole = archive.read(name, kEntryLimit);
            } catch (const dissim::RunError&) {
                continue;
            }
            check(whole.size() <= kEntryLimit);
            std::string streamed;
            try {
                archive.stream(
                    name,
                    [&](std::string_view piece) {
                        streamed.append(piece);
                        return true;
                    },
                    kEntryLimit);
                check(streamed == whole);
            } catch (const dissim::RunError&) {
                // past the archive's limit, which the first reading used up
            }
        }
        check(archive.inflatedBytes() <= kArchiveLimit);
    } catch (const dissim::RunError&) {
    }
    return 0;
}
