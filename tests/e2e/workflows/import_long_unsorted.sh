#!/usr/bin/env bash
# A card-sorting tool's export: one row per participant and card, shuffled, with one card left
# in no pile (cards_long_one_unsorted.csv). The Import dialog refuses it until the choice for
# missing data is "Each unsorted stimulus a group of its own": Enter first does nothing, then
# Alt+M and Down pick that choice and Enter takes OK. The run writes the matrices of the same
# study as plain sort data with the card in a group of its own
# (cards_long_one_unsorted.plain.txt).
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_import.sh
source "$E2E_HERE/lib_import.sh"
begin
table="$E2E_TMP/data/cards.csv"
output="$E2E_TMP/data/matrices.txt"
cp "$E2E_DATA/cards_long_one_unsorted.csv" "$table"
expected_matrices 3 5 "$E2E_DATA/cards_long_one_unsorted.plain.txt" >"$E2E_TMP/expected.txt"

start_dissim
open_import "$table"
log "Import dialog: Enter while OK is refused"
key Return
sleep 0.5
is_viewable "$IMPORT_WIN" || fail "Enter closed the dialog although OK is refused"
close_import alt+m Down Return
output_and_submit "$output"
wait_output "$output" "$E2E_TMP/expected.txt" "$table"

exit_with_alt_x
expect_total_bells 0
