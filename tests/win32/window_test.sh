#!/usr/bin/env bash
# Runs the Win32 window's tests under Wine on a private X server, with a Wine server of its own
# (tests/e2e/lib.sh, lib_wine.sh).
# shellcheck source=../e2e/lib.sh
source "$(dirname "$0")/../e2e/lib.sh"
: "${WINDOW_TESTS:?}"
begin
status=0
WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE" "$WINDOW_TESTS" "$@" || status=$?
((status == 0)) || fail "the window's tests failed (status $status)"
