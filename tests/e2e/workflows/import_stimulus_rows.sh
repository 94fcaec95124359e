#!/usr/bin/env bash
# A table of the kind R's packages keep: one row per stimulus, one column per subject, names in
# the first row and column, each subject's own words for the groups (objects_by_stimulus.csv:
# the study of five_subjects_twelve_stimuli.txt). Chosen at step 2 with no counts typed, it
# opens the Import dialog, which reads it right as it is: Enter takes OK. The counts come from
# the table, and the run writes the plain study's matrices byte for byte, with no bell.
# The dialog's screenshot is the documentation's picture of it (docs/import-dialog.png).
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_import.sh
source "$E2E_HERE/lib_import.sh"
begin
table="$E2E_TMP/data/objects by stimulus.csv"
output="$E2E_TMP/data/matrices.txt"
cp "$E2E_DATA/objects_by_stimulus.csv" "$table"
expected_matrices 5 12 "$E2E_DATA/five_subjects_twelve_stimuli.txt" >"$E2E_TMP/expected.txt"

start_dissim
open_import "$table"
import_screenshot "$E2E_NAME-dialog"
close_import Return
output_and_submit "$output"
wait_output "$output" "$E2E_TMP/expected.txt" "$table"

exit_with_alt_x
expect_total_bells 0
