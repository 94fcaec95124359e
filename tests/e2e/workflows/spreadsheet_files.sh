#!/usr/bin/env bash
# The study as spreadsheets save it (tests/data/spreadsheet), read through the real dialogs:
# first as "Unicode text" (UTF-16 with its byte-order mark, tab-separated, quoted cells, CR LF),
# then, with the counts kept, as a CSV with semicolons between the cells. Each run writes the
# plain study's matrices byte for byte, and no bell rings.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
unicode_text="$E2E_TMP/data/study as unicode text.txt"
semicolons="$E2E_TMP/data/study with semicolons.csv"
mkdir -p "$E2E_TMP/data"
cp "$E2E_SPREADSHEETS/study_utf16le_tab_crlf.txt" "$unicode_text"
cp "$E2E_SPREADSHEETS/study_semicolon.csv" "$semicolons"
expected_matrices 5 12 "$E2E_DATA/five_subjects_twelve_stimuli.txt" >"$E2E_TMP/expected.txt"

start_dissim
submit_study "$unicode_text" "$E2E_TMP/data/from unicode text.txt"
wait_output "$E2E_TMP/data/from unicode text.txt" "$E2E_TMP/expected.txt" "$unicode_text"
wait_settled

choose_file cmdDataIn "$semicolons"
choose_file cmdDataOut "$E2E_TMP/data/from semicolons.txt"
click cmdSubmit
wait_output "$E2E_TMP/data/from semicolons.txt" "$E2E_TMP/expected.txt" "$semicolons"
wait_settled
screenshot "$E2E_NAME-after-runs"

exit_with_alt_x
expect_total_bells 0
