#!/usr/bin/env bash
# The output is a named pipe whose reader leaves while the run is writing: the run fails (five
# bells) and the program goes on, never ended by the broken pipe; Alt+X then ends it with
# status 0. The output is chosen while no file has its name (so the dialog asks nothing), and
# the pipe is made before "4. Submit". This script holds the pipe's only reader: the run's
# five subjects over 200 stimuli write far more than the pipe holds, so the run is still
# writing when the reader, having read a little, closes.
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
input="$E2E_TMP/data/two hundred stimuli.txt"
output="$E2E_TMP/data/matrices.pipe"
awk 'BEGIN { for (s = 1; s <= 5; s++) { line = ""
        for (k = 1; k <= 200; k++) line = line (k > 1 ? " " : "") (k * s) % 9
        printf "%s\r\n", line } }' >"$input"
cp "$input" "$E2E_TMP/input-before.txt"

start_dissim
run_setup 5 200
choose_file cmdDataIn "$input"
choose_file cmdDataOut "$output"

mkfifo "$output"
# Opened for reading and writing, the pipe does not wait for a writer; then a read-only end is
# opened beside it and the read-write end closed, leaving this script a reader only.
exec 3<>"$output"
exec 4<"$output"
exec 3>&-
click cmdSubmit
# The pipe's buffer is full once the program has opened it and written a little.
program_has_output_open() { ! files_closed "$output"; }
poll 15 "the program to open the pipe" program_has_output_open
head -c 4096 <&4 >/dev/null
log "the reader read 4096 bytes and leaves"
exec 4<&-

five_bells_or_ended() { (($(bells) >= 5)) || ! program_running; }
poll 15 "five bells" five_bells_or_ended
program_running || fail "the program ended when its output pipe broke"
wait_bells 5
poll 15 "the run to close its files" files_closed "$output" "$input"
cmp -s "$input" "$E2E_TMP/input-before.txt" || fail "the input file changed"
wait_settled
screenshot "$E2E_NAME-after-broken-pipe"

exit_with_alt_x
expect_total_bells 5
