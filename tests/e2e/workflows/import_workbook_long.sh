#!/usr/bin/env bash
# An OpenDocument spreadsheet as card-sorting tools export a study (study-long.ods, from
# tests/data/workbooks): one row per subject and card, each subject's cards shuffled, a group id
# unique over the whole file and a group name that is often empty. In the Import dialog, Alt+G
# then Home, Down, Down name column C (the group ids) as the group column, and Enter takes OK.
# The run writes the matrices of the same study given as plain sort data
# (five_subjects_twelve_stimuli.txt) byte for byte, with no bell.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_import.sh
source "$E2E_HERE/lib_import.sh"
begin
workbook="$E2E_TMP/data/cards by subject.ods"
output="$E2E_TMP/data/matrices.txt"
mkdir -p "$E2E_TMP/data"
cp "${E2E_WORKBOOKS:?}/study-long.ods" "$workbook"
expected_matrices 5 12 "$E2E_DATA/five_subjects_twelve_stimuli.txt" >"$E2E_TMP/expected.txt"

start_dissim
open_import "$workbook"
import_screenshot "$E2E_NAME-dialog"
close_import alt+g Home Down Down Return
output_and_submit "$output"
wait_output "$output" "$E2E_TMP/expected.txt" "$workbook"

exit_with_alt_x
expect_total_bells 0
