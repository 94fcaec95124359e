# shellcheck shell=bash
# The end-to-end steps for the Windows program under Wine, sourced by lib.sh when
# E2E_PLATFORM=wine: everything else (the X server, the clicks, the typing, the checks of the
# output) is lib.sh's.
#
# CTest passes in, besides lib.sh's:
#   WINE             scripts/wine, which starts wine64
#   WINESERVER       its server
#   WINEPREFIX       the Wine prefix the Windows tests share (scripts/test-windows makes it, with
#                    Wine's trace of user32.MessageBeep switched on for traced programs)
#
# Beeps: Wine plays MessageBeep as a sound, never as an X bell, so the bell counter hears
# nothing. Wine's own trace of the program's calls (WINEDEBUG=+relay, narrowed in the prefix's
# registry to user32.MessageBeep) writes one line for every call the program makes; the program
# is the shipped .exe, unchanged.

: "${WINE:?}" "${WINESERVER:?}" "${WINEPREFIX:?}"

require_bell_counter() { :; }

# Wine's server keeps the desktop on the X server of the program that started it: each test
# starts a server of its own on its own X server, and leaves one behind that is on none, as the
# prefix's other tests expect (scripts/test-windows).
#
# There is no window manager: window_states.cpp keeps the one thing of a window manager's that
# Wine waits for (two seconds at every window it shows or hides, when it never comes). Built
# here with the system's compiler unless WINDOW_STATES names a built one.
STATES_PID=""
start_platform() {
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    local states=${WINDOW_STATES:-$E2E_TMP/window_states}
    if [[ ! -x "$states" ]]; then
        c++ -O1 -o "$states" "$E2E_HERE/window_states.cpp" -lX11 ||
            fail "cannot build window_states.cpp (g++ and libx11-dev: scripts/install-deps windows)"
    fi
    "$states" >"$E2E_TMP/window_states.out" 2>&1 &
    STATES_PID=$!
    poll 10 "window_states to watch the windows" grep -q ready "$E2E_TMP/window_states.out"
}
end_platform() {
    [[ -n "$STATES_PID" ]] && kill -TERM "$STATES_PID" 2>/dev/null
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    # Wine's services start with the first program of a server and keep the output they were
    # given: a console program here gives them none, so that CTest waits for none of them.
    DISPLAY='' "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true
    DISPLAY='' WINEDEBUG=-all "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

start_dissim() {
    start_program env WINEPREFIX="$WINEPREFIX" WINEDEBUG=-all,+relay \
        WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" "$DISSIM_PROGRAM"
}

# bells: how many times the program has called MessageBeep so far.
bells() { grep -c 'Call user32.MessageBeep(' "$E2E_TMP/program.log" || true; }

# expect_total_bells N: once the program has ended its trace is complete.
expect_total_bells() {
    ! program_running || fail "expect_total_bells needs the program to have ended"
    local count
    count=$(bells)
    ((count == $1)) || fail "the program beeped $count times in all, expected $1"
    log "the program beeped $count times in all"
}

# dialog_path PATH: Wine shows the Linux file system as drive Z:.
dialog_path() {
    local path=${1//\//\\}
    printf 'Z:%s' "$path"
}
