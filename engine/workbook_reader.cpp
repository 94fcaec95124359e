#include "workbook_reader.h"

#include "item_text.h"
#include "ods_sheet_reader.h"
#include "run_error.h"
#include "xlsx_sheet_reader.h"
#include "xlsx_workbook.h"
#include "xml_reader.h"
#include "zip_archive.h"

#include <algorithm>
#include <optional>

namespace dissim {
namespace {

const std::string kPasswordProtected =
    "the workbook is protected by a password: open it in your spreadsheet, remove the password "
    "and save it again";

// The parts small enough to read whole when recognising a workbook.
constexpr std::uint64_t kSmallPart = std::uint64_t{1} << 20;

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

std::string sheetNamed(std::string_view name) {
    return "the sheet " + inQuotes(name);
}

// The name as it stands in an OLE2 compound file's directory: UTF-16LE.
std::string utf16le(std::string_view name) {
    std::string units;
    for (const char c : name) {
        units.push_back(c);
        units.push_back('\0');
    }
    return units;
}

bool isCompoundFile(std::string_view bytes) {
    return startsWith(bytes, std::string_view("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8));
}

// What an OpenDocument archive says it is ("application/vnd.oasis.opendocument.spreadsheet"):
// its first entry, mimetype, or the media type its manifest gives the whole package.
std::string odfMediaType(ZipArchive& archive) {
    if (archive.has("mimetype")) {
        std::string type = archive.read("mimetype", kSmallPart);
        while (!type.empty() &&
               (type.back() == '\n' || type.back() == '\r' || type.back() == ' ')) {
            type.pop_back();
        }
        return type;
    }
    if (archive.has("META-INF/manifest.xml")) {
        const std::string manifest = archive.read("META-INF/manifest.xml", 16 * kSmallPart);
        const std::string_view spreadsheet = "application/vnd.oasis.opendocument.spreadsheet";
        if (manifest.find(spreadsheet) != std::string::npos) {
            return std::string(spreadsheet);
        }
    }
    return {};
}

bool isOdsArchive(ZipArchive& archive) {
    try {
        return startsWith(odfMediaType(archive),
                          "application/vnd.oasis.opendocument.spreadsheet") &&
               archive.has("content.xml");
    } catch (const RunError&) {
        return false;
    }
}

// An OpenDocument file saved with a password: its manifest describes how its parts are
// encrypted.
bool isEncryptedOds(ZipArchive& archive) {
    try {
        return archive.has("META-INF/manifest.xml") &&
               archive.read("META-INF/manifest.xml", 16 * kSmallPart).find("encryption-data") !=
                   std::string::npos;
    } catch (const RunError&) {
        return false;
    }
}

bool isXlsxArchive(ZipArchive& archive) {
    return endsWith(xlsxMainPart(archive), ".xml");
}

bool isNumbersArchive(ZipArchive& archive) {
    return std::any_of(archive.names().begin(), archive.names().end(), [](const std::string& n) {
        return (startsWith(n, "Index/") && endsWith(n, ".iwa")) || n == "Index.zip";
    });
}

struct Workbook {
    explicit Workbook(std::string_view bytes) : archive(bytes, "the workbook") {}
    ZipArchive archive;
    WorkbookKind kind = WorkbookKind::NotAWorkbook;
};

// The archive opened and recognised; fails with the sentence unreadableSpreadsheet gives, or
// a plainer one for a file that is no workbook.
std::unique_ptr<Workbook> openWorkbook(std::string_view bytes) {
    const std::string unreadable = unreadableSpreadsheet(bytes);
    if (!unreadable.empty()) {
        throw RunError(unreadable);
    }
    if (!ZipArchive::hasZipSignature(bytes)) {
        throw RunError("the file is no workbook (.xlsx or .ods)");
    }
    auto workbook = std::make_unique<Workbook>(bytes);
    if (isXlsxArchive(workbook->archive)) {
        workbook->kind = WorkbookKind::Xlsx;
    } else if (isOdsArchive(workbook->archive)) {
        workbook->kind = WorkbookKind::Ods;
    } else {
        throw RunError("the file is a zip archive that holds no workbook (.xlsx or .ods)");
    }
    return workbook;
}

std::vector<std::string> odsSheetNames(ZipArchive& archive) {
    OdsContentReader reader(describePart("content.xml"), OdsContentReader::kNoSheet);
    archive.stream("content.xml", [&reader](std::string_view piece) {
        reader.feed(piece);
        return true;
    });
    reader.finish();
    return reader.sheetNames();
}

Table readOdsSheet(ZipArchive& archive, std::size_t sheet, bool& empty) {
    OdsContentReader reader(describePart("content.xml"), sheet);
    archive.stream("content.xml", [&reader](std::string_view piece) {
        reader.feed(piece);
        return !reader.stopped();
    });
    reader.finish();
    return reader.takeTable(empty);
}

Table readXlsxSheet(ZipArchive& archive, const XlsxWorkbook& workbook, const XlsxSheet& sheet,
                    bool& empty) {
    switch (sheet.kind) {
    case XlsxSheetKind::Worksheet:
        break;
    case XlsxSheetKind::Chart:
        throw RunError(sheetNamed(sheet.name) + " is a chart: it has no cells to read");
    case XlsxSheetKind::Dialog:
        throw RunError(sheetNamed(sheet.name) + " is a dialog sheet: it has no cells to read");
    case XlsxSheetKind::Macro:
        throw RunError(sheetNamed(sheet.name) +
                       " is a macro sheet (Excel 4.0 macros): it has no cells to read");
    case XlsxSheetKind::Unknown:
        throw RunError(sheetNamed(sheet.name) + " is of a kind this program cannot read");
    }
    if (!archive.has(sheet.part)) {
        throw RunError("the workbook is damaged: it has no part " + inQuotes(sheet.part) + " for " +
                       sheetNamed(sheet.name));
    }
    XlsxSharedStrings strings;
    if (!workbook.sharedStrings.empty()) {
        XlsxSharedStringsReader reader(describePart(workbook.sharedStrings));
        archive.stream(workbook.sharedStrings, [&reader](std::string_view piece) {
            reader.feed(piece);
            return true;
        });
        strings = reader.finish();
    }
    XlsxSheetReader reader(describePart(sheet.part), sheetNamed(sheet.name), strings);
    archive.stream(sheet.part, [&reader](std::string_view piece) {
        reader.feed(piece);
        return !reader.stopped();
    });
    Table table = reader.finish(empty);
    table.name = sheet.name;
    return table;
}

} // namespace

WorkbookKind workbookKind(std::string_view bytes) {
    if (!ZipArchive::hasZipSignature(bytes)) {
        return WorkbookKind::NotAWorkbook;
    }
    try {
        ZipArchive archive(bytes, "the workbook");
        if (isXlsxArchive(archive)) {
            return WorkbookKind::Xlsx;
        }
        if (isOdsArchive(archive)) {
            return WorkbookKind::Ods;
        }
    } catch (...) {
    }
    return WorkbookKind::NotAWorkbook;
}

std::string unreadableSpreadsheet(std::string_view bytes) {
    try {
        if (isCompoundFile(bytes)) {
            // An Office file of the binary kind: an encrypted workbook of today (the
            // encrypted .xlsx inside, described beside it) or an old .xls.
            if (bytes.find(utf16le("EncryptedPackage")) != std::string_view::npos ||
                bytes.find(utf16le("EncryptionInfo")) != std::string_view::npos) {
                return kPasswordProtected;
            }
            return "the file is an old binary Excel workbook (.xls), which this program cannot "
                   "read: open it in your spreadsheet and save it as .xlsx or .ods";
        }
        if (!ZipArchive::hasZipSignature(bytes)) {
            return {};
        }
        std::optional<ZipArchive> archive;
        try {
            archive.emplace(bytes, "the workbook");
        } catch (const RunError&) {
            return "the file is a damaged zip archive (a workbook cut short?): save it again "
                   "from your spreadsheet as .xlsx or .ods";
        }
        if (isNumbersArchive(*archive)) {
            return "the file is an Apple Numbers document, which this program cannot read: "
                   "export it from Numbers as .xlsx";
        }
        const std::string mainPart = xlsxMainPart(*archive);
        if (endsWith(mainPart, ".xml")) {
            return {};
        }
        if (endsWith(mainPart, ".bin")) {
            return "the file is a binary Excel workbook (.xlsb), which this program cannot read: "
                   "open it in your spreadsheet and save it as .xlsx or .ods";
        }
        if (isOdsArchive(*archive)) {
            return isEncryptedOds(*archive) ? kPasswordProtected : std::string();
        }
        return "the file is a zip archive that holds no workbook: this program reads .xlsx and "
               ".ods workbooks";
    } catch (...) {
        return "the file cannot be read as a workbook";
    }
}

std::vector<std::string> workbookSheetNames(std::string_view bytes) {
    const std::unique_ptr<Workbook> workbook = openWorkbook(bytes);
    std::vector<std::string> names;
    if (workbook->kind == WorkbookKind::Xlsx) {
        for (XlsxSheet& sheet : readXlsxWorkbook(workbook->archive).sheets) {
            names.push_back(std::move(sheet.name));
        }
    } else {
        names = odsSheetNames(workbook->archive);
    }
    if (names.empty()) {
        throw RunError("the workbook has no sheets");
    }
    return names;
}

Table readWorkbookSheet(std::string_view bytes, std::size_t sheet) {
    const std::unique_ptr<Workbook> workbook = openWorkbook(bytes);
    ZipArchive& archive = workbook->archive;
    Table table;
    bool empty = true;
    if (workbook->kind == WorkbookKind::Xlsx) {
        const XlsxWorkbook structure = readXlsxWorkbook(archive);
        if (structure.sheets.empty()) {
            throw RunError("the workbook has no sheets");
        }
        if (sheet >= structure.sheets.size()) {
            throw RunError("the workbook has " + std::to_string(structure.sheets.size()) +
                           " sheets: it has no sheet number " + std::to_string(sheet + 1));
        }
        table = readXlsxSheet(archive, structure, structure.sheets[sheet], empty);
    } else {
        table = readOdsSheet(archive, sheet, empty);
    }
    if (empty) {
        throw RunError(sheetNamed(table.name) + " is empty: it has no cells with values");
    }
    return table;
}

} // namespace dissim
