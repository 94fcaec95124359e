#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks that a desktop's application menu would
# show the program and could start it: the desktop entry passes desktop-file-validate, its
# icon is installed under that name, and its Exec line, run as a launcher would run it (with
# the prefix's bin folder on PATH), opens the window, which Alt+X closes with status 0.
# Needs CMAKE_COMMAND and BUILD_DIR besides the variables of lib.sh. With INSTALLED_PREFIX set
# it checks the installation already there instead (/usr, where the Debian package puts it).
# shellcheck source=lib.sh
source "$(dirname "$0")/lib.sh"
begin
command -v desktop-file-validate >/dev/null ||
    fail "desktop-file-validate missing: install desktop-file-utils (scripts/install-deps test)"

if [[ -n "${INSTALLED_PREFIX:-}" ]]; then
    prefix=$INSTALLED_PREFIX
else
    : "${CMAKE_COMMAND:?}" "${BUILD_DIR:?}"
    prefix="$E2E_TMP/prefix"
    "$CMAKE_COMMAND" --install "$BUILD_DIR" --prefix "$prefix" >"$E2E_TMP/install.log" ||
        fail "cmake --install failed: $(cat "$E2E_TMP/install.log")"
fi
entry="$prefix/share/applications/dissimilarity-matrices.desktop"
[[ -f "$entry" ]] || fail "no desktop entry at $entry"
desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"

value() { sed -n "s/^$1=//p" "$entry" | head -n1; }
for key in Name Comment Exec Icon; do
    [[ -n "$(value "$key")" ]] || fail "the entry has no $key"
done
[[ "$(value Categories)" == "Science;Education;" ]] || fail "Categories is $(value Categories)"
icon=$(value Icon)
[[ -f "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" ]] || fail "no scalable icon $icon.svg"
grep -q '<svg' "$prefix/share/icons/hicolor/scalable/apps/$icon.svg" || fail "$icon.svg is no SVG"
exec_line=$(value Exec | sed 's/ *%[fFuUdDnNickvm]//g')
log "Exec line: $exec_line"

start_program env PATH="$prefix/bin:$PATH" sh -c "exec $exec_line"
[[ "$(readlink "/proc/$APP_PID/exe")" == "$prefix/bin/"* ]] ||
    fail "the Exec line started $(readlink "/proc/$APP_PID/exe"), not the installed program"
exit_with_alt_x
expect_total_bells 0
