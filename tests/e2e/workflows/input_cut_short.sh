#!/usr/bin/env bash
# A sort data file that ends inside the third of five subjects: the output file holds the
# blocks of the two subjects read in full and nothing after them; five bells.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
input="$E2E_TMP/data/cut short.txt"
output="$E2E_TMP/data/matrices.txt"
{
    head -n 2 "$E2E_DATA/five_subjects_twelve_stimuli.txt"
    printf '1 2 3 4 5 6 7\r\n'
} >"$input"
expected_matrices 5 12 "$input" >"$E2E_TMP/expected.txt"
(($(wc -l <"$E2E_TMP/expected.txt") == 24)) || fail "expected two blocks of 12 lines"

start_dissim
submit_study "$input" "$output"
wait_bells 5
wait_output "$output" "$E2E_TMP/expected.txt" "$input"
wait_settled
screenshot "$E2E_NAME-after-failed-run"

exit_with_alt_x
expect_total_bells 5
