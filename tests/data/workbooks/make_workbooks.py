#!/usr/bin/python3
"""Writes the sources of the test workbooks in this folder (make_workbooks.sh runs it).

  python3 make_workbooks.py WORK_DIR OUT_DIR

Into WORK_DIR: the files LibreOffice Calc converts (make_workbooks.sh does):
  cells.fods          a flat OpenDocument spreadsheet of the cells a reader must show as the
                      spreadsheet does (three sheets);
  study-*.csv         the example study of five subjects over twelve stimuli (the codes of
                      tests/data/spreadsheet/make.sh) in each layout the Import dialog reads.
Into OUT_DIR, the workbooks Python's writers make (Debian's python3-openpyxl, python3-xlsxwriter):
  cells-openpyxl.xlsx, cells-xlsxwriter.xlsx, inline-xlsxwriter.xlsx.
"""
import csv
import os
import random
import sys

import openpyxl
import xlsxwriter

work, out = sys.argv[1], sys.argv[2]

# --- The study: subjects by row, the codes of tests/data/spreadsheet/make.sh.
STIMULI = ["apple", "banana", "cherry", "date", "elderberry", "fig", "grape", "honeydew",
           "kiwi", "lemon", "mango", "nectarine"]
SUBJECTS = ["P01", "P02", "P03", "P04", "P05"]
CODES = [
    [1, 1, 2, 2, 3, 3, 1, 4, 4, 2, 3, 1],
    [7, 7, 7, 8, 8, 9, 9, 9, 7, 8, 9, 7],
    [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12],
    [-3] * 12,
    [2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1],
]
# Each subject's own words for the groups (one word per group, "the same word means different
# groups for different subjects").
WORDS = ["red", "sweet", "sour", "big", "small", "round", "long", "soft", "hard", "dry",
         "juicy", "green"]


def label(subject, code):
    codes = sorted(set(CODES[subject]))
    return WORDS[(codes.index(code) + subject) % len(WORDS)]


def write_csv(name, rows):
    with open(os.path.join(work, name), "w", newline="", encoding="utf-8") as f:
        csv.writer(f).writerows(rows)


write_csv("study-subject-rows.csv",
          [["subject"] + STIMULI] + [[s] + c for s, c in zip(SUBJECTS, CODES)])
write_csv("study-stimulus-rows.csv",
          [["stimulus"] + SUBJECTS] +
          [[STIMULI[i]] + [CODES[s][i] for s in range(len(SUBJECTS))] for i in range(12)])
write_csv("study-stimulus-words.csv",
          [["stimulus"] + SUBJECTS] +
          [[STIMULI[i]] + [label(s, CODES[s][i]) for s in range(len(SUBJECTS))]
           for i in range(12)])
# Long, as card-sorting tools export: a group id unique over the file, a group name that is
# often empty, each subject's cards shuffled.
shuffle = random.Random(7)
rows = [["subject", "stimulus", "group", "group name"]]
group_id = 100
for s, subject in enumerate(SUBJECTS):
    ids = {}
    for code in sorted(set(CODES[s])):
        group_id += 1
        ids[code] = group_id
    cards = list(range(12))
    shuffle.shuffle(cards)
    for i in cards:
        rows.append([subject, STIMULI[i], ids[CODES[s][i]],
                     label(s, CODES[s][i]) if s % 2 == 0 else ""])
write_csv("study-long.csv", rows)
# One row per group (pile): a subject column, the pile's number and size, a 0/1 column per
# stimulus.
rows = [["subject", "pile", "size"] + STIMULI]
for s, subject in enumerate(SUBJECTS):
    for pile, code in enumerate(sorted(set(CODES[s])), start=1):
        members = [1 if CODES[s][i] == code else 0 for i in range(12)]
        rows.append([subject, pile, sum(members)] + members)
write_csv("study-group-rows.csv", rows)

# --- The cells a reader must show as the spreadsheet does, for LibreOffice to save as .xlsx
# and .ods: strings plain, rich (spans), in two paragraphs and with runs of spaces; numbers
# (a formula 0.1+0.2, 3.0000000000000004, 1E-20, a percentage, a large number); booleans; an
# error; a string formula; empty and merged cells; repeated cells and rows; three sheets, the
# last empty.
FODS = """<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.3" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:percentage-style style:name="N10"><number:number number:decimal-places="0"
   number:min-integer-digits="1"/><number:text>%</number:text></number:percentage-style>
  <style:style style:name="ce1" style:family="table-cell" style:data-style-name="N10"/>
  <number:boolean-style style:name="N20"><number:boolean/></number:boolean-style>
  <style:style style:name="ce2" style:family="table-cell" style:data-style-name="N20"/>
  <style:style style:name="T1" style:family="text"><style:text-properties
   fo:font-weight="bold"/></style:style>
  <style:style style:name="T2" style:family="text"><style:text-properties
   fo:font-style="italic"/></style:style>
 </office:automatic-styles>
 <office:body>
  <office:spreadsheet>
   <table:table table:name="Cells">
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>text</text:p></table:table-cell>
     <table:table-cell office:value-type="string"><text:p>rich <text:span
      text:style-name="T1">bold</text:span> and <text:span
      text:style-name="T2">italic</text:span></text:p></table:table-cell>
     <table:table-cell office:value-type="string"><text:p>two</text:p><text:p>lines</text:p>
     </table:table-cell>
     <table:table-cell office:value-type="string"><text:p>a<text:s text:c="2"/>b</text:p>
     </table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell office:value-type="float" office:value="3"><text:p>3</text:p>
     </table:table-cell>
     <table:table-cell table:formula="of:=0.1+0.2" office:value-type="float"
      office:value="0.3"><text:p>0.3</text:p></table:table-cell>
     <table:table-cell office:value-type="float" office:value="1E-20"><text:p>1E-20</text:p>
     </table:table-cell>
     <table:table-cell office:value-type="float" office:value="3.0000000000000004">
      <text:p>3</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:style-name="ce2" office:value-type="boolean"
      office:boolean-value="true">
      <text:p>TRUE</text:p></table:table-cell>
     <table:table-cell table:style-name="ce2" office:value-type="boolean"
      office:boolean-value="false">
      <text:p>FALSE</text:p></table:table-cell>
     <table:table-cell table:formula="of:=1/0" office:value-type="float" office:value="0">
      <text:p>#DIV/0!</text:p></table:table-cell>
     <table:table-cell table:formula="of:=[.A1]&amp;&quot;!&quot;" office:value-type="string"
      office:string-value="text!"><text:p>text!</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:number-columns-repeated="2"/>
     <table:table-cell office:value-type="float" office:value="7"><text:p>7</text:p>
     </table:table-cell>
     <table:table-cell/>
    </table:table-row>
    <table:table-row>
     <table:table-cell table:number-columns-spanned="2" table:number-rows-spanned="1"
      office:value-type="string"><text:p>merged</text:p></table:table-cell>
     <table:covered-table-cell/>
     <table:table-cell table:style-name="ce1" office:value-type="percentage"
      office:value="0.25"><text:p>25%</text:p></table:table-cell>
     <table:table-cell office:value-type="float" office:value="-12.5"><text:p>-12.5</text:p>
     </table:table-cell>
    </table:table-row>
    <table:table-row table:number-rows-repeated="3">
     <table:table-cell table:number-columns-repeated="3" office:value-type="string">
      <text:p>same</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell office:value-type="float" office:value="123456789012345678">
      <text:p>1.23456789012346E+017</text:p></table:table-cell>
     <table:table-cell office:value-type="float" office:value="0.000012345">
      <text:p>0.000012345</text:p></table:table-cell>
     <table:table-cell/>
     <table:table-cell office:value-type="string"><text:p>D9</text:p></table:table-cell>
    </table:table-row>
   </table:table>
   <table:table table:name="Second sheet">
    <table:table-row>
     <table:table-cell office:value-type="string"><text:p>second</text:p></table:table-cell>
    </table:table-row>
    <table:table-row>
     <table:table-cell/>
     <table:table-cell office:value-type="float" office:value="2"><text:p>2</text:p>
     </table:table-cell>
    </table:table-row>
   </table:table>
   <table:table table:name="Empty">
    <table:table-row><table:table-cell/></table:table-row>
   </table:table>
  </office:spreadsheet>
 </office:body>
</office:document>
"""
with open(os.path.join(work, "cells.fods"), "w", encoding="utf-8") as f:
    f.write(FODS)

# --- openpyxl: shared strings, floats written as Python's repr, booleans, a formula with no
# cached value (shown empty), merged cells, a second sheet with a non-ASCII name.
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Data"
sheet.append(["text", 3, 0.1 + 0.2, 3.0, True, None, 1e-20])
sheet.append(["=SUM(B1:D1)", False, -0.5, 12345678901234567890, "ünïcödé"])
sheet["A3"] = "merged"
sheet.merge_cells("A3:B3")
sheet["C3"] = 7
other = book.create_sheet("Zweite Seite")
other["B2"] = "b2"
book.save(os.path.join(out, "cells-openpyxl.xlsx"))

# --- XlsxWriter: shared strings, a rich string, formulas with their cached values (a number,
# a string, a boolean, an error), a boolean, merged cells.
book = xlsxwriter.Workbook(os.path.join(out, "cells-xlsxwriter.xlsx"))
sheet = book.add_worksheet("Values")
bold = book.add_format({"bold": True})
sheet.write_string("A1", "text")
sheet.write_rich_string("B1", "rich ", bold, "bold", " text")
sheet.write_number("A2", 3)
sheet.write_formula("B2", "=0.1+0.2", None, 0.30000000000000004)
sheet.write_formula("C2", '="a"&"b"', None, "ab")
sheet.write_formula("D2", "=1/0", None, "#DIV/0!")
sheet.write_formula("E2", "=1=1", None, True)
sheet.write_boolean("A3", False)
sheet.merge_range("B3:C3", "merged", None)
sheet.write_number("D3", 1e-20)
book.close()

# --- XlsxWriter's constant-memory mode: strings written inline in the sheet (t="inlineStr").
book = xlsxwriter.Workbook(os.path.join(out, "inline-xlsxwriter.xlsx"), {"constant_memory": True})
sheet = book.add_worksheet("Inline")
sheet.write_row(0, 0, ["subject", "apple", "banana"])
sheet.write_row(1, 0, ["P01", 1, 2])
sheet.write_row(2, 0, ["P02", "two words", 2.5])
book.close()
