#!/usr/bin/env bash
# A study four folders deep, with spaces and a comma in the folders' names: both file dialogs
# take the whole path, the run writes the expected matrices there, and the window keeps its
# size (the screenshot shows the labels wrapping the paths and cutting them off in their boxes).
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
folder="$E2E_TMP/data"
for part in "Free sorting study 2026" "Participants of groups A and B" \
    "Raw sort data, first session" "exported for the dissimilarity matrices"; do
    folder+="/$part"
done
input="$folder/five subjects.txt"
output="$folder/dissimilarity matrices of five subjects.txt"
place_study "$input"

start_dissim
submit_study "$input" "$output"
wait_output "$output" "$E2E_TMP/expected.txt" "$input"
wait_settled
screenshot "$E2E_NAME-after-run"
expect_main_size

exit_with_alt_x
expect_total_bells 0
