#!/usr/bin/env bash
# "4. Submit" pressed before anything else: the run fails with five bells and creates no file;
# the window stays usable and a full run afterwards succeeds. A second "4. Submit" rewrites
# the output file from its start (here over longer text put into it meanwhile).
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
input="$E2E_TMP/data/sorts.txt"
output="$E2E_TMP/data/matrices.txt"
place_study "$input"
before=$(tree_state "$E2E_TMP/data")

start_dissim
focus_main
click cmdSubmit
wait_bells 5
[[ "$(tree_state "$E2E_TMP/data")" == "$before" ]] || fail "the failed run created or changed a file"
wait_settled
screenshot "$E2E_NAME-after-failed-run"

submit_study "$input" "$output"
wait_output "$output" "$E2E_TMP/expected.txt" "$input"

wait_settled
head -c 100000 /dev/zero | tr '\0' x >"$output"
click cmdSubmit
wait_output "$output" "$E2E_TMP/expected.txt" "$input"

exit_with_alt_x
expect_total_bells 5
