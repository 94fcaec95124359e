#!/usr/bin/python3
"""Writes workbooks by hand, byte by byte, into the folder given (make_workbooks.sh runs it
for handmade/): the cases no spreadsheet writes but a reader must take or refuse clearly.

  python3 make_hostile.py OUT_DIR

Read as workbooks (hand-made.xlsx and the like) or refused with a clear message (the rest):
  hand-made.xlsx        absolute and relative targets, sheets listed out of the archive's
                        order, rows and cells without references, inline and rich strings,
                        phonetic hints, _xHHHH_ escapes, errors, dates, a chart and a macro sheet
  no-sheets.xlsx        a workbook that lists no sheets
  chart-only.xlsx       a workbook whose one sheet is a chart
  repeats.ods           rows and cells repeated far past the data (1,048,576 rows, 16,384
                        columns), as LibreOffice writes them, and values repeated
  no-sheets.ods         content with no table
  encrypted.ods         an OpenDocument file saved with a password (its manifest says so)
  bomb-declared.xlsx    a sheet that says it inflates to 2 GB (20 KB of deflated '<')
  bomb-understated.xlsx a sheet that inflates to 20 MB but says 1,000 bytes
  doctype.xlsx          a sheet with a DOCTYPE of nested entities (billion laughs)
  external-entity.xlsx  a sheet whose DOCTYPE names an external entity (a local file)
  deep.xlsx             a sheet whose elements nest 100,000 deep
  truncated.xlsx        a workbook cut short
  corrupt.xlsx          a workbook whose sheet's deflated bytes are damaged
  encrypted.xlsx        an OLE2 compound file holding EncryptedPackage and EncryptionInfo
  old.xls               an OLE2 compound file holding a Workbook stream (Excel 97-2003)
  numbers.numbers       a zip archive as Apple Numbers writes one (Index/*.iwa)
  other.zip             a zip archive that holds no workbook
"""
import os
import struct
import sys
import zlib

out = sys.argv[1]
os.makedirs(out, exist_ok=True)


def deflate(data):
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    return compressor.compress(data) + compressor.flush()


def zip_bytes(entries):
    """entries: (name, data) or (name, data, {"size": declared, "crc": declared, "raw": bytes})."""
    body = b""
    directory = b""
    for entry in entries:
        name, data = entry[0], entry[1]
        lies = entry[2] if len(entry) > 2 else {}
        name = name.encode()
        method = 0 if name == b"mimetype" else 8
        packed = lies.get("raw") or (deflate(data) if method == 8 else data)
        crc = lies.get("crc", zlib.crc32(data))
        size = lies.get("size", len(data))
        header = struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, method, 0, 0x21, crc,
                             len(packed), size, len(name), 0)
        directory += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, method, 0, 0x21,
                                 crc, len(packed), size, len(name), 0, 0, 0, 0, 0, len(body))
        directory += name
        body += header + name + packed
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(entries), len(entries),
                      len(directory), len(body), 0)
    return body + directory + end


def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)


MAIN = "http://schemas.openxmlformats.org/spreadsheetml/2006/main"
RELS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"
PACKAGE_RELS = "http://schemas.openxmlformats.org/package/2006/relationships"
CONTENT_TYPES = ('<?xml version="1.0" encoding="UTF-8"?><Types xmlns="http://schemas.'
                 'openxmlformats.org/package/2006/content-types"><Default Extension="xml" '
                 'ContentType="application/xml"/><Override PartName="/xl/workbook.xml" '
                 'ContentType="application/vnd.openxmlformats-officedocument.spreadsheetml.'
                 'sheet.main+xml"/></Types>')
ROOT_RELS = (f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{PACKAGE_RELS}">'
             f'<Relationship Id="rId1" Type="{RELS}/officeDocument" Target="xl/workbook.xml"/>'
             '</Relationships>')


def workbook(sheets, relationships):
    """sheets: (name, id); relationships: (id, type, target)."""
    listed = "".join(f'<sheet name="{n}" sheetId="{i + 1}" r:id="{r}"/>'
                     for i, (n, r) in enumerate(sheets))
    related = "".join(f'<Relationship Id="{i}" Type="{t}" Target="{target}"/>'
                      for i, t, target in relationships)
    return [
        ("[Content_Types].xml", CONTENT_TYPES.encode()),
        ("_rels/.rels", ROOT_RELS.encode()),
        ("xl/workbook.xml", (f'<?xml version="1.0" encoding="UTF-8"?><workbook xmlns="{MAIN}" '
                             f'xmlns:r="{RELS}"><sheets>{listed}</sheets></workbook>').encode()),
        ("xl/_rels/workbook.xml.rels",
         (f'<?xml version="1.0" encoding="UTF-8"?><Relationships xmlns="{PACKAGE_RELS}">'
          f'{related}</Relationships>').encode()),
    ]


def one_sheet(sheet_xml, lies=None):
    entries = workbook([("Sheet1", "rId1")],
                       [("rId1", f"{RELS}/worksheet", "worksheets/sheet1.xml")])
    entries.append(("xl/worksheets/sheet1.xml", sheet_xml, lies or {}))
    return zip_bytes(entries)


def sheet(rows):
    return (f'<?xml version="1.0" encoding="UTF-8"?><worksheet xmlns="{MAIN}"><sheetData>'
            f'{rows}</sheetData></worksheet>').encode()


# --- hand-made.xlsx: sheets listed as "Later", "Chart", "Macro", "First"; "First" is the
# archive's first sheet (found through an absolute target), "Later" through "../xl/...".
shared = (f'<?xml version="1.0" encoding="UTF-8"?><sst xmlns="{MAIN}" count="4" uniqueCount="4">'
          '<si><t>plain</t></si>'
          '<si><r><rPr><b/></rPr><t>rich</t></r><r><t xml:space="preserve"> runs</t></r></si>'
          '<si><t>漢字</t><rPh sb="0" eb="2"><t>かんじ</t></rPh></si>'
          '<si><t>line_x000D_\nbreak _x005F_x0041_ &amp; &lt;tag&gt; _x0041_</t></si>'
          '</sst>')
first = sheet(
    '<row r="1"><c r="A1" t="s"><v>0</v></c><c r="C1" t="s"><v>1</v></c></row>'
    '<row><c t="s"><v>2</v></c><c t="s"><v>3</v></c><c><v>4.5</v></c></row>'
    '<row r="5"><c r="B5" t="inlineStr"><is><r><t>in</t></r><r><t>line</t></r>'
    '<rPh><t>x</t></rPh></is></c><c r="C5" t="e"><v>#N/A</v></c>'
    '<c r="D5" t="d"><v>2024-03-15T00:00:00</v></c><c r="E5" t="b"><v>1</v></c>'
    '<c r="F5" s="3"/><c r="G5" t="str"><f>A1</f><v>plain</v></c></row>'
    '<row r="6"><c r="A6" s="1"/></row>')
later = sheet('<row r="2"><c r="B2"><v>0.30000000000000004</v></c></row>')
entries = workbook(
    [("Later", "rId2"), ("Chart", "rId3"), ("Macro", "rId4"), ("First", "rId1")],
    [("rId1", f"{RELS}/worksheet", "/xl/worksheets/sheet1.xml"),
     ("rId2", f"{RELS}/worksheet", "../xl/worksheets/./sheet2.xml"),
     ("rId3", f"{RELS}/chartsheet", "chartsheets/sheet1.xml"),
     ("rId4", "http://schemas.microsoft.com/office/2006/relationships/xlMacrosheet",
      "macrosheets/sheet1.xml"),
     ("rId5", f"{RELS}/sharedStrings", "sharedStrings.xml")])
entries += [("xl/worksheets/sheet1.xml", first), ("xl/worksheets/sheet2.xml", later),
            ("xl/sharedStrings.xml", shared.encode()),
            ("xl/chartsheets/sheet1.xml", b'<chartsheet xmlns="' + MAIN.encode() + b'"/>'),
            ("xl/macrosheets/sheet1.xml", b'<xm:macrosheet xmlns:xm="x"/>')]
write("hand-made.xlsx", zip_bytes(entries))

write("no-sheets.xlsx", zip_bytes(workbook([], [])))
write("chart-only.xlsx", zip_bytes(
    workbook([("Chart1", "rId1")], [("rId1", f"{RELS}/chartsheet", "chartsheets/sheet1.xml")]) +
    [("xl/chartsheets/sheet1.xml", b'<chartsheet xmlns="' + MAIN.encode() + b'"/>')]))

# --- OpenDocument.
NS = ('xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" '
      'xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" '
      'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"')
MANIFEST = ('<?xml version="1.0" encoding="UTF-8"?><manifest:manifest xmlns:manifest="urn:'
            'oasis:names:tc:opendocument:xmlns:manifest:1.0" manifest:version="1.3">'
            '<manifest:file-entry manifest:full-path="/" manifest:media-type="application/vnd.'
            'oasis.opendocument.spreadsheet"/><manifest:file-entry manifest:full-path='
            '"content.xml" manifest:media-type="text/xml"/></manifest:manifest>')


def ods(tables, manifest=MANIFEST):
    content = (f'<?xml version="1.0" encoding="UTF-8"?><office:document-content {NS}>'
               f'<office:body><office:spreadsheet>{tables}</office:spreadsheet></office:body>'
               '</office:document-content>')
    return zip_bytes([("mimetype", b"application/vnd.oasis.opendocument.spreadsheet"),
                      ("content.xml", content.encode()),
                      ("META-INF/manifest.xml", manifest.encode())])


def cell(text, repeat=1):
    return (f'<table:table-cell table:number-columns-repeated="{repeat}" '
            f'office:value-type="string"><text:p>{text}</text:p></table:table-cell>')


EMPTY_ROWS = ('<table:table-row table:number-rows-repeated="1048570"><table:table-cell '
              'table:number-columns-repeated="16384"/></table:table-row>')
write("repeats.ods", ods(
    '<table:table table:name="Repeats"><table:table-column table:number-columns-repeated='
    '"16384"/>'
    f'<table:table-row>{cell("a")}<table:table-cell table:number-columns-repeated="2"/>'
    f'{cell("b", 3)}<table:table-cell table:number-columns-repeated="16377"/></table:table-row>'
    '<table:table-row table:number-rows-repeated="2"><table:table-cell table:number-columns-'
    'repeated="16384"/></table:table-row>'
    f'<table:table-row table:number-rows-repeated="2">{cell("c")}<table:table-cell '
    'office:value-type="float" office:value="2.50"><text:p>2.5</text:p></table:table-cell>'
    '<table:table-cell table:number-columns-repeated="16382"/></table:table-row>'
    f'{EMPTY_ROWS}</table:table>'
    '<table:table table:name="Blank"><table:table-row table:number-rows-repeated="1048576">'
    '<table:table-cell table:number-columns-repeated="16384"/></table:table-row></table:table>'))
write("no-sheets.ods", ods(""))
write("encrypted.ods", ods(
    '<table:table table:name="S"/>',
    MANIFEST.replace('media-type="text/xml"/>', 'media-type="text/xml"><manifest:encryption-'
                     'data manifest:checksum-type="SHA1/1K" manifest:checksum="x"/>'
                     '</manifest:file-entry>')))

# --- Hostile archives and XML.
bomb = b"<" * (20 << 20)
write("bomb-declared.xlsx", one_sheet(bomb, {"size": 2 << 30}))
write("bomb-understated.xlsx", one_sheet(bomb, {"size": 1000}))
write("doctype.xlsx", one_sheet(
    b'<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol">'
    b'<!ENTITY lol2 "&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;&lol;">'
    b'<!ENTITY lol3 "&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;&lol2;">]>'
    b'<worksheet xmlns="' + MAIN.encode() + b'"><sheetData><row><c t="inlineStr"><is><t>'
    b'&lol3;</t></is></c></row></sheetData></worksheet>'))
write("external-entity.xlsx", one_sheet(
    b'<?xml version="1.0"?><!DOCTYPE w [<!ENTITY x SYSTEM "file:///etc/passwd">]>'
    b'<worksheet xmlns="' + MAIN.encode() + b'"><sheetData><row><c t="inlineStr"><is><t>&x;'
    b'</t></is></c></row></sheetData></worksheet>'))
write("deep.xlsx", one_sheet(b'<worksheet xmlns="' + MAIN.encode() + b'"><sheetData>' +
                             b"<a>" * 100000 + b"</a>" * 100000 + b"</sheetData></worksheet>"))
valid = one_sheet(sheet('<row r="1"><c r="A1"><v>1</v></c></row>') * 1)
write("truncated.xlsx", valid[:len(valid) // 2])
sheet_xml = sheet("".join(f'<row r="{r}"><c r="A{r}"><v>{r}</v></c></row>' for r in range(1, 200)))
packed = bytearray(deflate(sheet_xml))
for i in range(len(packed) // 3, len(packed) // 3 + 8):
    packed[i] ^= 0x5A
write("corrupt.xlsx", one_sheet(sheet_xml, {"raw": bytes(packed)}))


def compound_file(*streams):
    """An OLE2 header and a directory sector naming the streams (UTF-16LE), no more."""
    header = bytes.fromhex("D0CF11E0A1B11AE1") + bytes(16) + struct.pack("<HHH", 0x3E, 3, 0xFFFE)
    header += bytes(512 - len(header))
    directory = b""
    for name in ("Root Entry",) + streams:
        units = name.encode("utf-16-le") + b"\0\0"
        directory += units + bytes(64 - len(units)) + struct.pack("<H", len(units)) + bytes(62)
    return header + directory + bytes(-len(directory) % 512)


write("encrypted.xlsx", compound_file("EncryptionInfo", "EncryptedPackage"))
write("old.xls", compound_file("Workbook", "\x05SummaryInformation"))
write("numbers.numbers", zip_bytes([("Index/Document.iwa", b"\0" * 64),
                                    ("Metadata/Properties.plist", b"<plist/>")]))
write("other.zip", zip_bytes([("readme.txt", b"no workbook here\n")]))
