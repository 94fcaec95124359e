#!/usr/bin/env bash
# Makes the sort data files in this folder as a spreadsheet writes them: the example study of
# five subjects over twelve stimuli (the codes of tests/e2e/data/five_subjects_twelve_stimuli.txt,
# two of them typed as text so that the spreadsheet quotes them), opened by LibreOffice Calc and
# saved as
#   study_utf16_tab.txt          "Unicode text": UTF-16 little endian with its byte-order mark,
#                                tab-separated, text cells in quotes, LF line ends (as Calc
#                                writes them on Linux);
#   study_semicolon.csv          CSV with ';' between cells (the CSV of a decimal-comma locale),
#                                UTF-8, text cells in quotes;
# and, from the first, the forms Calc cannot write here:
#   study_utf16le_tab_crlf.txt   the same with CR LF line ends (as written on Windows);
#   study_utf16be_tab_crlf.txt   that file big endian, with a big-endian byte-order mark.
# Run once; the files are kept, so neither the tests nor CI need LibreOffice
# (apt-get install -y --no-install-recommends libreoffice-calc).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home"
printf '%s\n' \
    '1,1,2,2,3,3,1,4,4,2,3,1' \
    '7,7,"7",8,8,9,9,9,7,8,9,"7"' \
    '1,2,3,4,5,6,7,8,9,10,11,12' \
    '-3,-3,-3,-3,-3,-3,-3,-3,-3,-3,-3,-3' \
    '"2",1,2,1,2,1,2,1,2,1,2,1' >"$work/study.csv"
# Import: comma-separated, '"' quotes, UTF-8 (76), from line 1, English (1033), quoted fields as
# text. Export: separator (9 tab, 59 ';'), '"' quotes, character set (65535 UTF-16, 76 UTF-8),
# quote all text cells.
convert() { # SEPARATOR CHARSET EXTENSION
    soffice --headless --infilter="CSV:44,34,76,1,,1033,true" \
        --convert-to "$3:Text - txt - csv (StarCalc):$1,34,$2,1,,1033,true" \
        --outdir "$work/out" "$work/study.csv" >/dev/null
}
convert 9 65535 txt
cp "$work/out/study.txt" "$here/study_utf16_tab.txt"
convert 59 76 csv
cp "$work/out/study.csv" "$here/study_semicolon.csv"
perl -0777 -pe 's/\n\0/\r\0\n\0/g' "$here/study_utf16_tab.txt" >"$here/study_utf16le_tab_crlf.txt"
{
    printf '\xfe\xff'
    tail -c +3 "$here/study_utf16le_tab_crlf.txt" | iconv -f UTF-16LE -t UTF-16BE
} >"$here/study_utf16be_tab_crlf.txt"
