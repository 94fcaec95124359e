#pragma once

// Zip archives written byte by byte in a test, stored (not compressed), with the fields a
// hostile archive lies in open to change: the declared size, the checksum, the flags and the
// method.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

struct ZipEntry {
    std::string name;
    std::string data;
    // What the archive declares; -1: the truth.
    std::int64_t declaredSize = -1;
    std::int64_t declaredCrc = -1;
    std::uint16_t flags = 0;
    std::uint16_t method = 0; // 0 stored; anything else is declared, the data stays as it is
};

inline std::uint32_t crc32Of(std::string_view data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= static_cast<std::uint8_t>(c);
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    }
    return ~crc;
}

inline void put16(std::string& out, std::uint32_t value) {
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>((value >> 8) & 0xFF));
}

inline void put32(std::string& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

inline std::string zipOf(const std::vector<ZipEntry>& entries) {
    std::string body;
    std::string directory;
    for (const ZipEntry& entry : entries) {
        const auto crc = static_cast<std::uint32_t>(entry.declaredCrc >= 0 ? entry.declaredCrc
                                                                           : crc32Of(entry.data));
        const auto size = static_cast<std::uint32_t>(
            entry.declaredSize >= 0 ? entry.declaredSize
                                    : static_cast<std::int64_t>(entry.data.size()));
        const auto packed = static_cast<std::uint32_t>(entry.data.size());
        const auto offset = static_cast<std::uint32_t>(body.size());
        put32(body, 0x04034B50);
        put16(body, 20);
        put16(body, entry.flags);
        put16(body, entry.method);
        put32(body, 0x00210000); // time, date
        put32(body, crc);
        put32(body, packed);
        put32(body, size);
        put16(body, static_cast<std::uint32_t>(entry.name.size()));
        put16(body, 0);
        body += entry.name;
        body += entry.data;
        put32(directory, 0x02014B50);
        put16(directory, 20);
        put16(directory, 20);
        put16(directory, entry.flags);
        put16(directory, entry.method);
        put32(directory, 0x00210000);
        put32(directory, crc);
        put32(directory, packed);
        put32(directory, size);
        put16(directory, static_cast<std::uint32_t>(entry.name.size()));
        put16(directory, 0); // extra
        put16(directory, 0); // comment
        put16(directory, 0); // disk
        put16(directory, 0); // internal attributes
        put32(directory, 0); // external attributes
        put32(directory, offset);
        directory += entry.name;
    }
    std::string archive = body + directory;
    put32(archive, 0x06054B50);
    put16(archive, 0);
    put16(archive, 0);
    put16(archive, static_cast<std::uint32_t>(entries.size()));
    put16(archive, static_cast<std::uint32_t>(entries.size()));
    put32(archive, static_cast<std::uint32_t>(directory.size()));
    put32(archive, static_cast<std::uint32_t>(body.size()));
    put16(archive, 0);
    return archive;
}

// An .xlsx of one worksheet whose part holds sheetXml (and shared strings, if given).
inline std::string xlsxOf(const std::string& sheetXml, const std::string& sharedStrings = {}) {
    const std::string rels = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
    std::vector<ZipEntry> entries{
        {"[Content_Types].xml", "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                "content-types\"/>"},
        {"_rels/.rels", "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                        "relationships\"><Relationship Id=\"rId1\" Type=\"" +
                            rels +
                            "/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>"},
        {"xl/workbook.xml", "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/"
                            "2006/main\" xmlns:r=\"" +
                                rels +
                                "\"><sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/>"
                                "</sheets></workbook>"},
        {"xl/_rels/workbook.xml.rels",
         "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
         "<Relationship Id=\"rId1\" Type=\"" +
             rels +
             "/worksheet\" Target=\"worksheets/sheet1.xml\"/><Relationship Id=\"rId2\" "
             "Type=\"" +
             rels + "/sharedStrings\" Target=\"sharedStrings.xml\"/></Relationships>"},
        {"xl/worksheets/sheet1.xml", sheetXml},
    };
    if (!sharedStrings.empty()) {
        entries.push_back({"xl/sharedStrings.xml", sharedStrings});
    }
    return zipOf(entries);
}

} // namespace testsupport
