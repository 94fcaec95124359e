#!/usr/bin/env bash
# The window as a screen reader reads it, through AT-SPI on a private session bus: the frame
# with its title, the five buttons with their Press action, the four labels with their names,
# texts and the buttons that label them. Then a typical use: a refused count gives its reason
# as the description of "Subjects and stimuli"; long paths are whole in the descriptions of
# "Input file" and "Output file"; while a run waits for its sort data, "Status" is busy; the
# end of the run, and of a failed run after it, reaches the listener as events on "Status".
# Shift+F1 then shows the failure's detail. Screenshots: the window at start, with the long
# paths, with the input path's tooltip, during the run, and with the failure's detail.
if [[ -z "${E2E_PRIVATE_BUS:-}" ]]; then
    command -v dbus-run-session >/dev/null ||
        { echo "missing dbus-run-session: install dbus-daemon (scripts/install-deps test)" >&2; exit 1; }
    E2E_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
fi
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
begin
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null ||
    fail "missing pyatspi: install python3-pyatspi at-spi2-core (scripts/install-deps test)"
atspi() { "$python" "$E2E_HERE/atspi_window.py" "$1" "$APP_PID" "${@:2}" || fail "AT-SPI check failed: $*"; }

folder="$E2E_TMP/data"
for part in 1 2 3 4; do folder+="/folder $part of the study on sorting everyday objects into groups"; done
input="$folder/five subjects sorted twelve objects.fifo"
output="$folder/dissimilarity matrices of five subjects over twelve objects.txt"
((${#input} > 200)) || fail "the input path is only ${#input} characters long"
mkdir -p "$folder"
mkfifo "$input"
expected_matrices 5 12 "$E2E_DATA/five_subjects_twelve_stimuli.txt" >"$E2E_TMP/expected.txt"

# Every event of a label named "Status", from before the program starts (kept with the
# screenshots); the recorder ends with the script.
events="$E2E_ARTIFACTS/$E2E_NAME-status-events.txt"
"$python" "$E2E_HERE/atspi_window.py" record "$events" Status "${E2E_TIME_LIMIT:-100}" \
    </dev/null >"$E2E_TMP/recorder.log" 2>&1 &
recorder=$!
stop_recorder() {
    local status=$?
    kill "$recorder" 2>/dev/null
    return "$status"
}
trap 'stop_recorder; cleanup' EXIT
poll 20 "the event recorder to start" grep -q '^ready' "$events"
# described AS: waits until an event has left "Status" described as AS (a start of it).
described() { grep -qF "accessible-description | $1" "$events"; }

start_program env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$DISSIM_PROGRAM"
atspi tree
# With the window active, as a desktop makes it, the focus frame is on "2. Select Input File".
focus_main
wait_settled
screenshot "$E2E_NAME-start"

# A refused count, the button pressed through AT-SPI.
atspi press "1. Start Here!"
answer_prompt "$SUBJECTS_PROMPT" 2.5
wait_bells 3
atspi description "Subjects and stimuli" "2.5 is not a whole number"

run_setup 5 12
atspi description "Subjects and stimuli" "There are  5 subjects and  12 stimuli."
choose_file cmdDataIn "$input"
choose_file cmdDataOut "$output"
atspi description "Input file" "$input"
atspi description "Output file" "$output"
wait_settled
screenshot "$E2E_NAME-long-paths"
# The mouse resting on the input file's label shows the whole path as its tooltip.
xdotool mousemove --window "$MAIN_WIN" 340 175
tooltip_shown() { ! no_other_windows; }
poll 10 "the tooltip of the input file's label" tooltip_shown
sleep 0.5
import -silent -window root -crop 1024x480+0+0 "$E2E_ARTIFACTS/$E2E_NAME-path-tooltip.png"
xdotool mousemove --window "$MAIN_WIN" 5 5
poll 10 "the tooltip to close" no_other_windows

# The run reads from a named pipe that is held open here: it waits for its sort data.
exec 7<>"$input"
click cmdSubmit
atspi busy Status yes
wait_settled
screenshot "$E2E_NAME-during-run"
cat "$E2E_DATA/five_subjects_twelve_stimuli.txt" >&7
exec 7>&-
poll 30 "the end of the run as an event" described "Done!  Press Button 1 for another Run"
wait_output "$output" "$E2E_TMP/expected.txt" "$input"
atspi busy Status no

# The input is gone: the next run fails, and its detail is announced the same way.
rm "$input"
focus_main
click cmdSubmit
poll 30 "the failure as an event" described "the input file \"$input\" cannot be opened"
wait_bells 8
atspi busy Status no

# Shift+F1 shows the failure's detail beside the status label; any key closes it.
focus_main
log "Shift+F1"
key shift+F1
poll 10 "the failure detail to show" tooltip_shown
sleep 1
import -silent -window root -crop 1024x480+0+0 "$E2E_ARTIFACTS/$E2E_NAME-failure-detail.png"
key Escape
poll 10 "the failure detail to close" no_other_windows

focus_main
click cmdExit
wait_exit 0
expect_total_bells 8
log "$(grep -c '|' "$events") events of \"Status\" in $events"
