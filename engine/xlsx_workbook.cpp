#include "xlsx_workbook.h"

#include "run_error.h"
#include "xml_reader.h"
#include "zip_archive.h"

namespace dissim {
namespace {

bool endsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

struct Relationship {
    std::string id;
    std::string type;
    std::string target; // resolved to a part name
};

// <Relationships><Relationship Id="rId1" Type=".../worksheet" Target="worksheets/sheet1.xml"/>
struct RelationshipsHandler : XmlHandler {
    explicit RelationshipsHandler(std::string source) : source(std::move(source)) {}
    void startElement(const XmlName& name, const XmlAttributes& attributes) override {
        if (name.local != "Relationship" || attributes.get("TargetMode") == "External") {
            return;
        }
        relationships.push_back({std::string(attributes.get("Id")),
                                 std::string(attributes.get("Type")),
                                 resolvePartTarget(source, attributes.get("Target"))});
    }
    void endElement(const XmlName&) override {}
    void text(std::string_view) override {}

    std::string source;
    std::vector<Relationship> relationships;
};

// The relationships part of a part: "xl/_rels/workbook.xml.rels" for "xl/workbook.xml".
std::string relationshipsPart(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? "" : part.substr(0, slash + 1);
    const std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
    return std::string(folder) + "_rels/" + std::string(file) + ".rels";
}

std::vector<Relationship> readRelationships(ZipArchive& archive, const std::string& source) {
    const std::string part = relationshipsPart(source);
    RelationshipsHandler handler(source);
    if (archive.has(part)) {
        readXmlPart(archive, part, handler);
    }
    return std::move(handler.relationships);
}

// <workbook><sheets><sheet name="Data" sheetId="1" r:id="rId1"/></sheets></workbook>
struct WorkbookHandler : XmlHandler {
    void startElement(const XmlName& name, const XmlAttributes& attributes) override {
        ++depth;
        if (name.local == "sheets" && sheetsDepth == 0) {
            sheetsDepth = depth;
        } else if (sheetsDepth != 0 && depth == sheetsDepth + 1 && name.local == "sheet") {
            // r:id, in the relationships namespace (transitional or strict)
            sheets.push_back({std::string(attributes.get("name")),
                              std::string(attributes.get("id", "relationships"))});
        }
    }
    void endElement(const XmlName&) override {
        if (depth == sheetsDepth) {
            sheetsDepth = 0;
        }
        --depth;
    }
    void text(std::string_view) override {}

    std::size_t depth = 0;
    std::size_t sheetsDepth = 0;
    std::vector<std::pair<std::string, std::string>> sheets; // name, relationship id
};

XlsxSheetKind sheetKind(std::string_view type) {
    if (endsWith(type, "/worksheet")) {
        return XlsxSheetKind::Worksheet;
    }
    if (endsWith(type, "/chartsheet")) {
        return XlsxSheetKind::Chart;
    }
    if (endsWith(type, "/dialogsheet")) {
        return XlsxSheetKind::Dialog;
    }
    if (endsWith(type, "/xlMacrosheet") || endsWith(type, "/xlIntlMacrosheet")) {
        return XlsxSheetKind::Macro;
    }
    return XlsxSheetKind::Unknown;
}

} // namespace

std::string resolvePartTarget(std::string_view source, std::string_view target) {
    std::string path;
    if (!target.empty() && target[0] == '/') {
        target.remove_prefix(1);
    } else {
        const std::size_t slash = source.rfind('/');
        if (slash != std::string_view::npos) {
            path.assign(source.substr(0, slash + 1));
        }
    }
    // Segment by segment: "." stays, ".." goes up a folder.
    while (!target.empty()) {
        const std::size_t slash = target.find('/');
        const std::string_view segment = target.substr(0, slash);
        target = slash == std::string_view::npos ? std::string_view() : target.substr(slash + 1);
        const bool last = slash == std::string_view::npos;
        if (segment == "." || segment.empty()) {
            continue;
        }
        if (segment == "..") {
            if (!path.empty()) {
                path.pop_back();
                const std::size_t up = path.rfind('/');
                path.resize(up == std::string::npos ? 0 : up + 1);
            }
            continue;
        }
        path.append(segment);
        if (!last) {
            path.push_back('/');
        }
    }
    return path;
}

std::string xlsxMainPart(ZipArchive& archive) {
    try {
        for (const Relationship& relationship : readRelationships(archive, "")) {
            if (endsWith(relationship.type, "/officeDocument") &&
                archive.has(relationship.target)) {
                return relationship.target;
            }
        }
    } catch (const RunError&) {
        // a damaged package: no main part found
    }
    return archive.has("xl/workbook.xml") ? "xl/workbook.xml" : "";
}

XlsxWorkbook readXlsxWorkbook(ZipArchive& archive) {
    XlsxWorkbook workbook;
    workbook.part = xlsxMainPart(archive);
    if (workbook.part.empty()) {
        throw RunError("the workbook has no main part (xl/workbook.xml)");
    }
    WorkbookHandler handler;
    readXmlPart(archive, workbook.part, handler);
    const std::vector<Relationship> relationships = readRelationships(archive, workbook.part);
    for (const Relationship& relationship : relationships) {
        if (endsWith(relationship.type, "/sharedStrings") && archive.has(relationship.target)) {
            workbook.sharedStrings = relationship.target;
            break;
        }
    }
    for (auto& [name, id] : handler.sheets) {
        XlsxSheet sheet;
        sheet.name = std::move(name);
        for (const Relationship& relationship : relationships) {
            if (relationship.id == id) {
                sheet.part = relationship.target;
                sheet.kind = sheetKind(relationship.type);
                break;
            }
        }
        workbook.sheets.push_back(std::move(sheet));
    }
    return workbook;
}

} // namespace dissim
