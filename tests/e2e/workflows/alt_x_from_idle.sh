#!/usr/bin/env bash
# Alt+X right after start ends the program with status 0 and creates or changes no file: not
# in the data folder, nor in the program's home, configuration, cache or runtime folders.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
cp "$E2E_DATA/five_subjects_twelve_stimuli.txt" "$E2E_TMP/data/sorts.txt"
folders=("$E2E_TMP/data" "$E2E_TMP/home" "$E2E_TMP/runtime")
state() { local folder; for folder in "${folders[@]}"; do tree_state "$folder"; done; }
before=$(state)

start_dissim
wait_settled
screenshot "$E2E_NAME-start"
exit_with_alt_x
[[ "$(state)" == "$before" ]] || fail "a file was created or changed: $(diff <(echo "$before") <(state))"
expect_total_bells 0
