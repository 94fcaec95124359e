#!/usr/bin/env bash
# The Import dialog from the keyboard alone, over the table of one row per stimulus with names
# in the first row and column and each subject's own words for the groups
# (objects_by_stimulus.csv: the study of five_subjects_twelve_stimuli.txt). Enter at start
# presses "2. Select Input File"; the dialog opens on its layout choice: Up reads the rows as
# subjects, Down as stimuli again; Alt+S saves the list of stimuli through a Save As dialog
# (the names one per line, in the table's order); Alt+L goes back to the layout and Enter is
# OK. Tab and Enter choose the output file, Tab and Space submit: the run writes the plain
# study's matrices byte for byte, with no bell, and Alt+X ends the program.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_import.sh
source "$E2E_HERE/lib_import.sh"
begin
# type_path TITLE PATH: the path typed into the file dialog with this title, Enter, and the
# dialog gone (the focus is left where it falls).
type_path() {
    local win
    win=$(wait_window "$1")
    focus "$win"
    log "\"$1\": typing \"$(dialog_path "$2")\", Enter"
    key ctrl+a
    type_text "$(dialog_path "$2")"
    key Return
    wait_gone "$win"
}
table="$E2E_TMP/data/objects by stimulus.csv"
list="$E2E_TMP/data/stimuli.txt"
output="$E2E_TMP/data/matrices.txt"
mkdir -p "$E2E_TMP/data"
cp "$E2E_DATA/objects_by_stimulus.csv" "$table"
expected_matrices 5 12 "$E2E_DATA/five_subjects_twelve_stimuli.txt" >"$E2E_TMP/expected.txt"
# The names in the first column, unquoted, one per line.
tail -n +2 "$table" | cut -d, -f1 | tr -d '"' >"$E2E_TMP/expected_list.txt"

start_dissim
focus_main
log "Enter: \"2. Select Input File\""
key Return
type_path "${FILE_DIALOG_TITLE[cmdDataIn]}" "$table"
IMPORT_WIN=$(wait_window "$IMPORT_TITLE")
focus "$IMPORT_WIN"

log "Import dialog: Up, Down (the layout), Alt+S"
key Up Down alt+s
type_path "Save As" "$list"
poll 10 "the list of stimuli" cmp -s "$list" "$E2E_TMP/expected_list.txt"
log "the list holds the stimuli's names"
close_import alt+l Return

log "Tab, Enter: \"3. Select Output File\""
key Tab Return
type_into_file_dialog "Save As" "$output"
log "Tab, Space: \"4. Submit\""
key Tab space
wait_output "$output" "$E2E_TMP/expected.txt" "$table"

exit_with_alt_x
expect_total_bells 0
