#!/usr/bin/env bash
# scripts/wine, which starts every Windows program of the tests, lays the program's address
# space out without randomisation where the kernel allows it (the personality flag
# ADDR_NO_RANDOMIZE, 0x0040000), so that Wine cannot fail at random at its start. A stand-in for
# wine64 (WINE64) shows what the program is started with. (That the arguments arrive as given,
# every Windows test shows: each gets its test filter through the launcher.)
set -euo pipefail
launcher=${WINE_LAUNCHER:?}
if ! setarch -R true 2>/dev/null; then
  echo "this kernel does not allow a fixed layout (setarch -R): not checked"
  exit 77
fi
personality=$(WINE64=/bin/cat "$launcher" /proc/self/personality)
((0x$personality & 0x0040000)) ||
  { echo "FAILED: the program's layout is randomised (personality $personality)" >&2; exit 1; }
echo "personality $personality"
