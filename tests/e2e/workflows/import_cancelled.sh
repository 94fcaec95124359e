#!/usr/bin/env bash
# Escape at the Import dialog leaves the table to be read as plain sort data: with the counts
# typed at step 1, the run then fails on the table's names as on any such file (five bells),
# and writes no matrices.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_import.sh
source "$E2E_HERE/lib_import.sh"
begin
table="$E2E_TMP/data/objects by stimulus.csv"
output="$E2E_TMP/data/matrices.txt"
cp "$E2E_DATA/objects_by_stimulus.csv" "$table"

start_dissim
run_setup 5 12
open_import "$table"
close_import Escape
output_and_submit "$output"
wait_bells 5
[[ ! -s "$output" ]] || fail "the failed run wrote $(wc -c <"$output") bytes"

exit_with_alt_x
expect_total_bells 5
