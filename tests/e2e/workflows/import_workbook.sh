#!/usr/bin/env bash
# An Excel workbook (objects_by_subject.xlsx, made by tests/e2e/data/make_workbook.sh): one row
# per subject, one column per object. Chosen at step 2 it opens the Import dialog, Enter takes
# OK, and the run writes the plain study's matrices byte for byte.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_import.sh
source "$E2E_HERE/lib_import.sh"
begin
workbook="$E2E_TMP/data/objects by subject.xlsx"
output="$E2E_TMP/data/matrices.txt"
cp "$E2E_DATA/objects_by_subject.xlsx" "$workbook"
expected_matrices 5 12 "$E2E_DATA/five_subjects_twelve_stimuli.txt" >"$E2E_TMP/expected.txt"

start_dissim
open_import "$workbook"
close_import Return
output_and_submit "$output"
wait_output "$output" "$E2E_TMP/expected.txt" "$workbook"

exit_with_alt_x
expect_total_bells 0
