#!/usr/bin/env bash
# Cancel on the first prompt of "1. Start Here!" rings three bells and stores nothing; a full
# run afterwards succeeds.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
input="$E2E_TMP/data/sorts.txt"
output="$E2E_TMP/data/matrices.txt"
place_study "$input"

start_dissim
focus_main
click cmdSubsStim
cancel_window "$SUBJECTS_PROMPT"
wait_bells 3
[[ ! -e "$output" ]] || fail "an output file appeared"

submit_study "$input" "$output"
wait_output "$output" "$E2E_TMP/expected.txt" "$input"
wait_settled
screenshot "$E2E_NAME-after-run"

exit_with_alt_x
expect_total_bells 3
