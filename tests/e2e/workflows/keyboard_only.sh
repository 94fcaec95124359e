#!/usr/bin/env bash
# The window from the keyboard alone. At start the focus is on "2. Select Input File": Enter
# opens the open dialog (Escape cancels it, which is no failure: no bell). Escape in the window
# does nothing. Tab goes 2, 3, 4, Exit, 1: four Tabs reach "1. Start Here!", which Space
# presses; Escape on its prompt rings three bells. One more Tab returns to
# "2. Select Input File". Alt+X ends the program with status 0.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
only_main_window() { [[ "$(program_windows)" == "$MAIN_WIN" ]]; }

start_dissim
focus_main
log "Enter at start"
key Return
cancel_window "${FILE_DIALOG_TITLE[cmdDataIn]}"
focus_main

log "Escape in the window"
key Escape
wait_settled
program_running || fail "Escape ended the program"
only_main_window || fail "Escape opened a window"

log "Tab x4, Space"
key Tab Tab Tab Tab space
cancel_window "$SUBJECTS_PROMPT"
wait_bells 3
focus_main

log "Tab, Enter"
key Tab Return
cancel_window "${FILE_DIALOG_TITLE[cmdDataIn]}"

exit_with_alt_x
expect_total_bells 3
