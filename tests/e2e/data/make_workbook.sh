#!/usr/bin/env bash
# Makes objects_by_subject.xlsx, the workbook the end-to-end test import_workbook reads: the
# study of five_subjects_twelve_stimuli.txt as a researcher types it into a spreadsheet, one row
# per subject (named in column A) and one column per object (named in row 1), saved by
# LibreOffice Calc as an Excel workbook. Run once; the workbook is kept, so neither the tests
# nor CI need LibreOffice (apt-get install -y --no-install-recommends libreoffice-calc-nogui).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
{
    echo 'subject,apple,brush,candle,cup,fork,hammer,kettle,lamp,mug,pen,scissors,spoon'
    n=0
    while read -r line; do
        n=$((n + 1))
        echo "P$n,$(echo "$line" | tr -s ' ,' ',' | sed 's/^,//')"
    done <"$here/five_subjects_twelve_stimuli.txt"
} >"$work/objects_by_subject.csv"
soffice --headless --convert-to xlsx --outdir "$work" "$work/objects_by_subject.csv" >/dev/null
cp "$work/objects_by_subject.xlsx" "$here/"
