#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace dissim {

class ZipArchive;

// The structure of an Office Open XML workbook: its main part (from _rels/.rels), its sheets
// in order (from the main part and its relationships), and its shared strings part.
enum class XlsxSheetKind { Worksheet, Chart, Dialog, Macro, Unknown };

struct XlsxSheet {
    std::string name;
    std::string part; // "xl/worksheets/sheet1.xml"; empty where the workbook names none
    XlsxSheetKind kind = XlsxSheetKind::Unknown;
};

struct XlsxWorkbook {
    std::string part; // "xl/workbook.xml"
    std::vector<XlsxSheet> sheets;
    std::string sharedStrings; // "xl/sharedStrings.xml"; empty where there is none
};

// The workbook's main part as the package's relationships name it ("xl/workbook.xml", or
// "xl/workbook.bin" for a binary workbook), or "xl/workbook.xml" where they name none; empty
// if the archive has no such part. Never throws for a damaged part (it is then not found).
std::string xlsxMainPart(ZipArchive& archive);

// Reads the workbook's structure; throws RunError.
XlsxWorkbook readXlsxWorkbook(ZipArchive& archive);

// A relationship's target as a part name, resolved against the part that holds it:
// "worksheets/sheet1.xml" from "xl/workbook.xml" is "xl/worksheets/sheet1.xml";
// "/xl/worksheets/sheet1.xml" is "xl/worksheets/sheet1.xml"; "../x.xml" goes up a folder.
std::string resolvePartTarget(std::string_view source, std::string_view target);

} // namespace dissim
