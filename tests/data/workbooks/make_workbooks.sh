#!/usr/bin/env bash
# Makes the workbooks in this folder, each by a spreadsheet or library that writes them for real:
#   LibreOffice Calc 7.4 (Debian's libreoffice-calc-nogui), headless, from the sources that
#   make_workbooks.py writes: cells.xlsx and cells.ods (cells.fods), and study-*.xlsx and
#   study-*.ods, the example study in each layout the Import dialog reads (study-*.csv);
#   Python's openpyxl 3.0.9 and XlsxWriter 3.0.2 (python3-openpyxl, python3-xlsxwriter):
#   cells-openpyxl.xlsx, cells-xlsxwriter.xlsx, inline-xlsxwriter.xlsx;
# and, by make_hostile.py, handmade/: workbooks written byte by byte, the cases no spreadsheet
# writes (most of them files that must fail with a clear message).
# Run once; the files are kept, so neither the tests nor CI need LibreOffice or Python's writers.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
/usr/bin/python3 "$here/make_workbooks.py" "$work" "$here"
# CSV: comma-separated, '"' quotes, UTF-8 (76), from line 1, English (1033).
for format in xlsx ods; do
    soffice --headless --infilter="CSV:44,34,76,1,,1033" --convert-to "$format" \
        --outdir "$work/out" "$work"/study-*.csv >/dev/null
    soffice --headless --convert-to "$format" --outdir "$work/out" "$work/cells.fods" >/dev/null
done
cp "$work"/out/* "$here/"
/usr/bin/python3 "$here/make_hostile.py" "$here/handmade"
