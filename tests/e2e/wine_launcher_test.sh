#!/usr/bin/env bash
# scripts/wine, which starts every Windows program of the tests: the program gets its arguments
# as given and, where the kernel allows it, an address space laid out without randomisation (the
# personality flag ADDR_NO_RANDOMIZE, 0x0040000), so that Wine cannot fail at random at its start.
# A stand-in for wine64 (WINE64) shows what the program is started with.
set -euo pipefail
launcher=${WINE_LAUNCHER:?}
fail() { echo "FAILED: $*" >&2; exit 1; }

arguments=$(WINE64=/usr/bin/printf "$launcher" '[%s]' 'C:\a b.exe' '' 'ü ä')
[[ "$arguments" == '[C:\a b.exe][][ü ä]' ]] || fail "the program was given $arguments"

if ! setarch -R true 2>/dev/null; then
  echo "this kernel does not allow a fixed layout (setarch -R): not checked"
  exit 77
fi
personality=$(WINE64=/bin/cat "$launcher" /proc/self/personality)
((0x$personality & 0x0040000)) || fail "the program's layout is randomised (personality $personality)"
echo "arguments as given; personality $personality"
