#!/usr/bin/env bash
# The save dialog cancelled after an input file was confirmed: the shared dialog still holds
# the input path, so the output path is the input path. The run must fail with five bells and
# leave the input file byte for byte as it was.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
input="$E2E_TMP/data/sorts.txt"
place_study "$input"
before=$(tree_state "$E2E_TMP/data")

start_dissim
run_setup 5 12
choose_file cmdDataIn "$input"
cancel_file cmdDataOut
click cmdSubmit
wait_bells 5
poll 15 "the run to close its files" files_closed "$input"
cmp -s "$input" "$E2E_DATA/five_subjects_twelve_stimuli.txt" || fail "the input file was changed"
[[ "$(tree_state "$E2E_TMP/data")" == "$before" ]] || fail "the failed run created or changed a file"

exit_with_alt_x
expect_total_bells 5
