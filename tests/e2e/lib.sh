# shellcheck shell=bash
# Shared steps of the end-to-end tests: a private X server, the real program, and a person's
# actions on it through xdotool (clicks at the buttons' laid-out positions, typing into the
# prompts and file dialogs, Enter, Escape, Alt+X). Sourced by each workflow script.
#
# CTest passes in:
#   DISSIM_PROGRAM   the built program
#   BELL_COUNTER     the bell counter (bell_counter.cpp)
#   E2E_DATA         the folder of input files and expected outputs
#   E2E_ARTIFACTS    where screenshots and, after a failure, logs are kept
# Optional: E2E_TIME_LIMIT (seconds for the whole script), E2E_KEEP=1 (keep the temporary folder),
# E2E_DPI (the screen's dots per inch, 96 unless given: the window's layout, its clicks and the
# screen itself are scaled by E2E_DPI/96; only the Windows program can be run at another one).
# With E2E_PLATFORM=wine the program is the Windows .exe, run under Wine (lib_wine.sh): the same
# workflows drive it, and only how it is started, how its beeps are counted and how a path is
# typed into its file dialogs differ.

set -euo pipefail

readonly MAIN_TITLE='Dissimilarity Matix Computation'
readonly SUBJECTS_PROMPT='How many subjects?'
readonly STIMULI_PROMPT='How many stimuli?'
E2E_DPI=${E2E_DPI:-96}
E2E_NAME=$(basename "$0" .sh)
((E2E_DPI == 96)) || E2E_NAME+="_${E2E_DPI}dpi"
E2E_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
readonly E2E_DPI E2E_NAME E2E_HERE

# at_dpi PIXELS: a length of the layout (in pixels at 96 dpi) at the screen's resolution,
# rounded to the nearest pixel (halves up), as the window scales its layout.
at_dpi() { echo $((($1 * E2E_DPI + 48) / 96)); }

# Left, top, width and height of each button in the window's client area, in pixels at 96 dpi.
declare -A BUTTON_GEOMETRY=(
    [cmdSubsStim]="40 64 105 49"
    [cmdDataIn]="40 160 105 49"
    [cmdDataOut]="40 240 105 49"
    [cmdSubmit]="40 336 105 49"
    [cmdExit]="208 352 73 33"
)

E2E_TMP=""
XVFB_PID=""
BELLS_PID=""
WATCHDOG_PID=""
APP_PID=""
MAIN_WIN=""

log() { printf '[%s %s] %s\n' "$E2E_NAME" "$(date +%T.%N | cut -c1-12)" "$*" >&2; }

fail() {
    trap - ERR
    log "FAIL: $*"
    if [[ -n "$E2E_TMP" && -s "$E2E_TMP/xvfb.log" && -z "${DISPLAY:-}" ]]; then
        log "Xvfb output:"
        cat "$E2E_TMP/xvfb.log" >&2
    fi
    if [[ -n "${DISPLAY:-}" && -n "$E2E_TMP" ]]; then
        mkdir -p "$E2E_ARTIFACTS"
        import -silent -window root "$E2E_ARTIFACTS/$E2E_NAME-failure.png" 2>/dev/null || true
        log "screen at the failure: $E2E_ARTIFACTS/$E2E_NAME-failure.png"
        [[ -f "$E2E_TMP/program.log" ]] && { log "program output:"; cat "$E2E_TMP/program.log" >&2; }
    fi
    exit 1
}

# now_ms: the time in milliseconds, for deadlines.
now_ms() { local t=${EPOCHREALTIME/./}; echo $((t / 1000)); }

# poll SECONDS WHAT COMMAND...: runs COMMAND every 50 ms until it succeeds; fails the test
# with WHAT if it has not succeeded within SECONDS.
poll() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$(($(now_ms) + ${seconds%.*} * 1000))
    until "$@"; do
        (($(now_ms) < deadline)) || fail "timed out after ${seconds} s waiting for: $what"
        sleep 0.05
    done
}

require_tools() {
    local tool missing=()
    for tool in Xvfb xdotool xwininfo import; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    ((${#missing[@]} == 0)) ||
        fail "missing ${missing[*]}: install xvfb xdotool x11-utils imagemagick (scripts/install-deps test)"
    [[ -x "$DISSIM_PROGRAM" ]] || fail "program not built: $DISSIM_PROGRAM"
    require_bell_counter
}

require_bell_counter() {
    [[ -x "${BELL_COUNTER:-}" ]] || fail "bell counter not built: ${BELL_COUNTER:-}"
}

# Ends every process this script started, by its id, and removes the temporary folder.
cleanup() {
    local status=$?
    trap - ERR
    set +e
    if program_running; then
        log "program still running at the end: stopping it"
        kill -TERM "$APP_PID" 2>/dev/null
        for _ in $(seq 40); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.05; done
        kill -KILL "$APP_PID" 2>/dev/null
        ((status == 0)) && status=1
    fi
    end_platform
    [[ -n "$BELLS_PID" ]] && kill -TERM "$BELLS_PID" 2>/dev/null
    [[ -n "$XVFB_PID" ]] && kill -TERM "$XVFB_PID" 2>/dev/null
    [[ -n "$WATCHDOG_PID" ]] && kill -TERM "$WATCHDOG_PID" 2>/dev/null
    wait 2>/dev/null
    if [[ -n "$E2E_TMP" && -d "$E2E_TMP" ]]; then
        if [[ "${E2E_KEEP:-0}" == 1 ]]; then
            log "kept $E2E_TMP"
        else
            rm -rf "$E2E_TMP"
        fi
    fi
    exit "$status"
}

# end_platform: what start_platform started, ended once the program has ended.
end_platform() { :; }

# begin: a private temporary folder, a private X server on a free display, the bell counter,
# and a watchdog that ends the script (through cleanup) when it runs past its time limit.
begin() {
    : "${DISSIM_PROGRAM:?}" "${E2E_DATA:?}" "${E2E_ARTIFACTS:?}"
    trap cleanup EXIT
    set -E
    trap 'fail "command failed at line $LINENO: $BASH_COMMAND"' ERR
    trap 'log "stopped by a signal"; exit 143' TERM INT HUP
    unset DISPLAY WAYLAND_DISPLAY XAUTHORITY # never touch the desktop session ctest runs in
    require_tools
    E2E_TMP=$(mktemp -d "${TMPDIR:-/tmp}/dissim-e2e-XXXXXX")
    mkdir -p "$E2E_TMP/runtime" "$E2E_TMP/home" "$E2E_TMP/data" "$E2E_ARTIFACTS"
    chmod 700 "$E2E_TMP/runtime"

    local limit=${E2E_TIME_LIMIT:-100} main=$$
    (
        trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
        sleep "$limit" &
        sleeper=$!
        wait "$sleeper"
        echo "[$E2E_NAME] time limit of $limit s reached" >&2
        kill -TERM "$main"
    ) &
    WATCHDOG_PID=$!

    Xvfb -displayfd 3 -screen 0 "$(at_dpi 1024)x$(at_dpi 768)x24" -nolisten tcp \
        3>"$E2E_TMP/display" 2>"$E2E_TMP/xvfb.log" &
    XVFB_PID=$!
    poll 10 "Xvfb to report its display" test -s "$E2E_TMP/display"
    DISPLAY=":$(head -n1 "$E2E_TMP/display")"
    export DISPLAY
    log "Xvfb on $DISPLAY"

    start_platform
}

# start_platform: what the program's platform needs before it starts; here the bell counter,
# which counts the X keyboard bells from now on, each QApplication::beep() one.
start_platform() {
    "${BELL_COUNTER:?}" "$E2E_TMP/bells" 2>"$E2E_TMP/bells.log" &
    BELLS_PID=$!
    poll 10 "the bell counter to start" test -e "$E2E_TMP/bells"
}

# start_program: starts the real program with a pinned, private environment and waits for its
# main window; checks the window's size.
start_program() {
    (
        cd "$E2E_TMP/home"
        exec env -u QT_STYLE_OVERRIDE -u QT_QPA_PLATFORMTHEME -u SESSION_MANAGER \
            QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=1 QT_ENABLE_HIGHDPI_SCALING=0 \
            XDG_RUNTIME_DIR="$E2E_TMP/runtime" HOME="$E2E_TMP/home" \
            XDG_CONFIG_HOME="$E2E_TMP/home/.config" XDG_CACHE_HOME="$E2E_TMP/home/.cache" \
            XDG_DATA_HOME="$E2E_TMP/home/.local/share" LANG=C.UTF-8 LC_ALL=C.UTF-8 \
            "$@"
    ) >"$E2E_TMP/program.log" 2>&1 &
    APP_PID=$!
    MAIN_WIN=$(wait_window "$MAIN_TITLE")
    expect_main_size
    log "main window $MAIN_WIN is up"
}

# expect_main_size: the main window's client area is 474 x 424 pixels at 96 dpi, as laid out,
# scaled to the screen's resolution.
expect_main_size() {
    local size expected
    expected="$(at_dpi 474)x$(at_dpi 424)"
    size=$(xwininfo -id "$MAIN_WIN" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
    [[ "$size" == "$expected" ]] || fail "the main window is $size, not $expected"
    log "the main window's client area is $size at $E2E_DPI dpi"
}

start_dissim() { start_program "$DISSIM_PROGRAM"; }

# (xdotool search needs --all: by default a window matching any one condition is listed.)

# visible_window TITLE: prints the id of the program's visible window with exactly this title.
visible_window() {
    local pattern
    pattern="^$(printf '%s' "$1" | sed 's/[][\.*^$?+(){}|/]/\\&/g')\$"
    xdotool search --all --onlyvisible --pid "$APP_PID" --name "$pattern" 2>/dev/null | tail -n1 | grep .
}

# wait_window TITLE: waits for the program's window with this title and prints its id.
wait_window() {
    local id=""
    local deadline=$(($(now_ms) + 15000))
    until id=$(visible_window "$1"); do
        program_running || fail "program ended while waiting for window \"$1\""
        (($(now_ms) < deadline)) || fail "timed out waiting for window \"$1\""
        sleep 0.05
    done
    echo "$id"
}

is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
is_gone() { ! is_viewable "$1"; }
wait_gone() { poll 15 "window $1 to close" is_gone "$1"; }

program_running() {
    [[ -n "$APP_PID" && -r /proc/$APP_PID/stat ]] || return 1
    local state
    state=$(sed 's/.*) //' "/proc/$APP_PID/stat" | cut -d' ' -f1)
    [[ "$state" != Z ]]
}

# program_windows: the ids of the program's visible top-level windows.
program_windows() {
    xdotool search --all --onlyvisible --pid "$APP_PID" --name '' 2>/dev/null || true
}

# focus WINDOW: gives the window the keyboard focus (there is no window manager to do it).
focus() { timeout 5 xdotool windowfocus --sync "$1" || fail "cannot focus window $1"; }

# other_windows: the program's visible windows other than the main window.
other_windows() { program_windows | grep -vx "$MAIN_WIN" || true; }
no_other_windows() { [[ -z "$(other_windows)" ]]; }

# focus_main: after a dialog closes the X focus is on the root window; hand it back to the
# main window. A file-name completer popup left open after a file dialog would swallow the
# next click; Escape closes it (and does nothing in the main window).
focus_main() {
    focus "$MAIN_WIN"
    local others id names=""
    others=$(other_windows)
    [[ -z "$others" ]] && return 0
    for id in $others; do
        names+=" $id \"$(xdotool getwindowname "$id" 2>/dev/null || true)\""
    done
    log "leftover window(s)$names: Escape"
    key Escape
    poll 5 "the leftover windows to close" no_other_windows
    focus "$MAIN_WIN"
}

# click BUTTON: a left click at the middle of the named button of the main window.
click() {
    local left top width height
    read -r left top width height <<<"${BUTTON_GEOMETRY[$1]}"
    log "click $1"
    xdotool mousemove --window "$MAIN_WIN" $(($(at_dpi "$left") + $(at_dpi "$width") / 2)) \
        $(($(at_dpi "$top") + $(at_dpi "$height") / 2)) click 1
}

# key KEYS...: key presses to the window that has the focus.
key() { xdotool key --clearmodifiers "$@"; }

# type_text TEXT: types TEXT into the focused window.
type_text() { xdotool type --delay 8 -- "$1"; }

# answer_prompt TITLE TEXT: types TEXT into the prompt with this title and presses Enter.
answer_prompt() {
    local win
    win=$(wait_window "$1")
    focus "$win"
    log "prompt \"$1\": typing \"$2\", Enter"
    type_text "$2"
    key Return
    wait_gone "$win"
}

# cancel_window TITLE: presses Escape in the dialog with this title.
cancel_window() {
    local win
    win=$(wait_window "$1")
    focus "$win"
    log "\"$1\": Escape"
    key Escape
    wait_gone "$win"
}

# run_setup SUBJECTS STIMULI: "1. Start Here!" and both answers.
run_setup() {
    focus_main
    click cmdSubsStim
    answer_prompt "$SUBJECTS_PROMPT" "$1"
    answer_prompt "$STIMULI_PROMPT" "$2"
    focus_main
}

# bells: how many bells the program has rung so far (markers not counted).
bells() { grep -c '^bell$' "$E2E_TMP/bells" || true; }

# wait_bells N: waits until N bells have been rung; more than N fails.
wait_bells() {
    local deadline=$(($(now_ms) + 15000)) count
    while count=$(bells); ((count < $1)); do
        (($(now_ms) < deadline)) || fail "expected $1 bells, heard $count"
        sleep 0.05
    done
    ((count == $1)) || fail "expected $1 bells, heard $count"
    log "$count bells so far"
}

markers() { grep -c '^marker$' "$E2E_TMP/bells" || true; }
markers_above() { (($(markers) > $1)); }

# expect_total_bells N: after the program has ended, rings a marker bell and, once the counter
# has seen it, checks that the program rang exactly N bells in all.
expect_total_bells() {
    ! program_running || fail "expect_total_bells needs the program to have ended"
    local marks
    marks=$(markers)
    "$BELL_COUNTER" --mark || fail "cannot ring the marker bell"
    poll 10 "the marker bell" markers_above "$marks"
    local count
    count=$(bells)
    ((count == $1)) || fail "the program rang $count bells in all, expected $1"
    log "the program rang $count bells in all"
}

# wait_exit STATUS: waits for the program to end and checks its exit status.
wait_exit() {
    poll 15 "the program to end" eval '! program_running'
    local status=0
    wait "$APP_PID" || status=$?
    APP_PID=""
    ((status == $1)) || fail "program ended with status $status, expected $1"
    log "program ended with status $status"
}

# exit_with_alt_x: Alt+X in the main window, then exit status 0.
exit_with_alt_x() {
    focus_main
    log "Alt+X"
    key alt+x
    wait_exit 0
}

# The title of the file dialog that each file button opens.
declare -A FILE_DIALOG_TITLE=([cmdDataIn]="Open" [cmdDataOut]="Save As")

# choose_file BUTTON PATH: presses the button, types the full path into its file dialog's
# file-name field (replacing whatever it holds) and presses Enter.
choose_file() {
    focus_main
    click "$1"
    type_into_file_dialog "${FILE_DIALOG_TITLE[$1]}" "$2"
}

# type_into_file_dialog TITLE PATH: waits for the file dialog with this title, types the full
# path into its file-name field (replacing what it holds), presses Enter, waits for the dialog
# to close and gives the main window the focus again.
type_into_file_dialog() {
    local win
    local path
    path=$(dialog_path "$2")
    win=$(wait_window "$1")
    focus "$win"
    log "\"$1\": typing \"$path\", Enter"
    key ctrl+a
    type_text "$path"
    key Return
    wait_gone "$win"
    focus_main
}

# dialog_path PATH: the path as a person types it into the program's file dialog.
dialog_path() { printf '%s' "$1"; }

# cancel_file BUTTON: presses the button and cancels its file dialog with Escape.
cancel_file() {
    focus_main
    click "$1"
    cancel_window "${FILE_DIALOG_TITLE[$1]}"
    focus_main
}

# files_closed PATH...: true when the program holds none of the files open.
files_closed() {
    local fd target path
    for fd in /proc/"$APP_PID"/fd/*; do
        target=$(readlink "$fd" 2>/dev/null) || continue
        for path in "$@"; do
            [[ "$target" == "$(realpath -m "$path")" ]] && return 1
        done
    done
    return 0
}

# wait_output FILE EXPECTED INPUT: waits until FILE equals EXPECTED byte for byte and the run
# has closed both of its files.
wait_output() {
    poll 30 "$1 to equal $2" cmp -s "$1" "$2"
    poll 15 "the run to close its files" files_closed "$1" "$3"
    log "output equals $(basename "$2") and the files are closed"
}

# screenshot NAME: saves the main window as a PNG (import -silent: it rings no bell).
screenshot() {
    local out="$E2E_ARTIFACTS/$1.png"
    import -silent -window "$MAIN_WIN" "$out" || fail "cannot take screenshot $out"
    log "screenshot $out"
}

window_pixels() { import -silent -window "$MAIN_WIN" rgb:- 2>/dev/null | md5sum; }

# wait_settled: waits until the window looks the same in three captures in a row, so a status
# text set at the end of a handler is on the screen.
wait_settled() {
    local deadline=$(($(now_ms) + 10000)) previous="" current same=0
    while ((same < 2)); do
        current=$(window_pixels)
        if [[ "$current" == "$previous" ]]; then same=$((same + 1)); else same=0; fi
        previous=$current
        (($(now_ms) < deadline)) || fail "the window kept changing"
        sleep 0.1
    done
}

# expected_matrices SUBJECTS STIMULI INPUT: the matrix file that the input should give, worked
# out here independently of the program.
expected_matrices() {
    awk -v subjects="$1" -v stimuli="$2" -f "$E2E_HERE/expected_matrices.awk" "$3"
}

# Puts the study of five subjects over twelve stimuli at path $1 (making its folder) and what
# a run over it must write into $E2E_TMP/expected.txt.
place_study() {
    mkdir -p "$(dirname "$1")"
    cp "$E2E_DATA/five_subjects_twelve_stimuli.txt" "$1"
    expected_matrices 5 12 "$1" >"$E2E_TMP/expected.txt"
}

# submit_study INPUT OUTPUT: the whole workflow with the mouse for the study's five subjects
# over twelve stimuli: the counts, the input file, the output file, "4. Submit".
submit_study() {
    run_setup 5 12
    choose_file cmdDataIn "$1"
    choose_file cmdDataOut "$2"
    click cmdSubmit
}

# tree_state DIR: every file under DIR with its size, time and checksum, to show that nothing
# was created or changed.
tree_state() {
    (cd "$1" && find . -type f -printf '%p %s %T@\n' | sort && find . -type f -exec md5sum {} + | sort)
}

if [[ "${E2E_PLATFORM:-}" == wine ]]; then
    # shellcheck source=lib_wine.sh
    source "$E2E_HERE/lib_wine.sh"
fi
