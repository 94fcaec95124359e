#!/usr/bin/env bash
# The Import dialog as a screen reader reads it, through AT-SPI on a private session bus: over
# a table of one row per stimulus, every control of the dialog with its role and its name, and
# what was found as the description of "Found:". Escape then closes it.
if [[ -z "${E2E_PRIVATE_BUS:-}" ]]; then
    command -v dbus-run-session >/dev/null ||
        { echo "missing dbus-run-session: install dbus-daemon (scripts/install-deps test)" >&2; exit 1; }
    E2E_PRIVATE_BUS=1 exec dbus-run-session -- bash "$0" "$@" 2> >(grep -v 'Failed to set fd limit' >&2)
fi
# shellcheck source=../lib.sh
source "$(dirname "$0")/../lib.sh"
# shellcheck source=../lib_import.sh
source "$E2E_HERE/lib_import.sh"
begin
python=/usr/bin/python3
"$python" -c 'import pyatspi' 2>/dev/null ||
    fail "missing pyatspi: install python3-pyatspi at-spi2-core (scripts/install-deps test)"
table="$E2E_TMP/data/objects by stimulus.csv"
cp "$E2E_DATA/objects_by_stimulus.csv" "$table"

start_program env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$DISSIM_PROGRAM"
open_import "$table"
"$python" "$E2E_HERE/atspi_window.py" import "$APP_PID" \
    "5 subjects, 12 stimuli; groups given as words" || fail "AT-SPI check of the Import dialog failed"
close_import Escape

exit_with_alt_x
expect_total_bells 0
