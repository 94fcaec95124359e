#!/usr/bin/env bash
# The typical run, as the captions number it: 1. Start Here! with 5 subjects and 12 stimuli,
# 2. the input file, 3. the output file, 4. Submit; the output file equals the expected one
# byte for byte, no bell rings, and "Exit" ends the program with status 0.
# The file buttons are pressed from the keyboard here: Tab from "1. Start Here!" reaches
# "2. Select Input File" (Enter presses it), Tab again "3. Select Output File" (Space).
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
input="$E2E_TMP/data/sort data/five subjects.txt"
output="$E2E_TMP/data/matrices.txt"
place_study "$input"

start_dissim
wait_settled
screenshot "$E2E_NAME-start"
run_setup 5 12

log "Tab, Enter: \"2. Select Input File\""
key Tab Return
type_into_file_dialog Open "$input"
log "Tab, Space: \"3. Select Output File\""
key Tab space
type_into_file_dialog "Save As" "$output"

click cmdSubmit
wait_output "$output" "$E2E_TMP/expected.txt" "$input"
cmp -s "$input" "$E2E_DATA/five_subjects_twelve_stimuli.txt" || fail "the input file changed"
wait_settled
screenshot "$E2E_NAME-after-run"

click cmdExit
wait_exit 0
expect_total_bells 0
