#!/usr/bin/env bash
# window_states (the window-state keeper beside the Windows program's tests) survives an X
# error: a window destroyed before the keeper could set its state makes setting it fail, and
# the keeper notes it and goes on keeping the state of the windows that come after it, which
# Wine would otherwise wait two seconds for at every window it shows or hides.
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
begin
probe=$E2E_TMP/window_states_probe
c++ -O1 -o "$probe" "$E2E_HERE/window_states_probe.cpp" -lX11 ||
    fail "cannot build window_states_probe.cpp (g++ and libx11-dev: scripts/install-deps windows)"

gone=$("$probe" destroyed) || fail "the window to destroy could not be made"
log "window $gone mapped and destroyed at once"
keeper_met_error() {
    kill -0 "$STATES_PID" 2>/dev/null ||
        fail "window_states ended at the X error: $(cat "$E2E_TMP/window_states.out")"
    grep -qx "gone $gone" "$E2E_TMP/window_states.out"
}
poll 10 "window_states to meet the X error of window $gone" keeper_met_error
log "window_states met the X error of window $gone and goes on"

"$probe" kept || fail "window_states no longer keeps the windows' state after the X error"
kill -0 "$STATES_PID" 2>/dev/null || fail "window_states has ended"
log "a new window's state was kept after the X error"
