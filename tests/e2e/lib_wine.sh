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
    # At another resolution than 96 dpi the test has a prefix of its own (make_prefix_at_dpi),
    # with a server of its own from the start; the shared prefix's server is left alone.
    ((E2E_DPI == 96)) || make_prefix_at_dpi
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    local states=${WINDOW_STATES:-$E2E_TMP/window_states}
    if [[ ! -x "$states" ]]; then
        c++ -O1 -o "$states" "$E2E_HERE/window_states.cpp" -lX11 ||
            fail "cannot build window_states.cpp (g++ and libx11-dev: scripts/install-deps windows)"
    fi
    "$states" >"$E2E_TMP/window_states.out" 2>&1 &
    STATES_PID=$!
    poll 10 "window_states to watch the windows" grep -qs ready "$E2E_TMP/window_states.out"
    ((E2E_DPI == 96)) || set_prefix_dpi
}
end_platform() {
    [[ -n "$STATES_PID" ]] && kill -TERM "$STATES_PID" 2>/dev/null
    "$WINESERVER" -k 2>/dev/null || true
    "$WINESERVER" -w 2>/dev/null || true
    if [[ -n "$PRIVATE_PREFIX" ]]; then
        rm -rf "$PRIVATE_PREFIX"
        return 0
    fi
    # Wine's services start with the first program of a server and keep the output they were
    # given: a console program here gives them none, so that CTest waits for none of them.
    DISPLAY='' "$WINESERVER" -p >/dev/null 2>&1 </dev/null || true
    DISPLAY='' WINEDEBUG=-all "$WINE" cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# Wine runs at the resolution its prefix's registry names (LogPixels), read as each program
# starts. Set in the shared prefix it would change every other test, so a test at another
# resolution runs in a prefix of its own, made beside the shared one (in the same file system)
# and removed at its end. Its large files, which Wine only reads (its programs and libraries),
# are hard links to the shared prefix's; the registry and every small file (settings, the
# user's folders) are copies, so that nothing written there reaches the shared prefix. Some
# hundredths of a second, against more than ten for a new prefix.
PRIVATE_PREFIX=""
make_prefix_at_dpi() {
    local shared=$WINEPREFIX
    [[ -f "$shared/system.reg" ]] ||
        fail "no Wine prefix at $shared (scripts/test-windows makes it)"
    PRIVATE_PREFIX=$(mktemp -d "${shared%/}.${E2E_DPI}dpi.XXXXXX")
    cp -al "$shared/." "$PRIVATE_PREFIX" || fail "cannot link the prefix into $PRIVATE_PREFIX"
    (cd "$shared" && find . -type f \( -size -64k -o -name '*.reg' \) -print0 |
        xargs -0 cp -a --parents --remove-destination -t "$PRIVATE_PREFIX") ||
        fail "cannot copy the prefix's small files into $PRIVATE_PREFIX"
    export WINEPREFIX=$PRIVATE_PREFIX
    log "a Wine prefix of its own at $E2E_DPI dpi: $WINEPREFIX"
}

# set_prefix_dpi: LogPixels for the user and for the machine (Wine reads both), and the trace
# of user32.MessageBeep that the beeps are counted by, in one import, whose program starts the
# prefix's server on this test's X server.
set_prefix_dpi() {
    local dpi
    dpi=$(printf '%08x' "$E2E_DPI")
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Control Panel\Desktop]' "\"LogPixels\"=dword:$dpi" '' \
        '[HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts]' \
        "\"LogPixels\"=dword:$dpi" '' \
        '[HKEY_CURRENT_USER\Software\Wine\Debug]' '"RelayInclude"="user32.MessageBeep"' \
        >"$E2E_TMP/resolution.reg"
    WINEDEBUG=-all "$WINE" reg import "$(dialog_path "$E2E_TMP/resolution.reg")" \
        >"$E2E_TMP/reg.log" 2>&1 </dev/null ||
        fail "cannot set LogPixels to $E2E_DPI in $WINEPREFIX"
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
