# shellcheck shell=bash
# The Import dialog's steps of the end-to-end tests, over lib.sh: a table chosen at step 2
# opens the dialog, which is then driven from the keyboard. Sourced after lib.sh.

readonly IMPORT_TITLE='Import'
IMPORT_WIN=""

# open_import PATH: "2. Select Input File" pressed, PATH typed into the open dialog, and the
# Import dialog that opens over the table; leaves its id in IMPORT_WIN and gives it the focus.
open_import() {
    focus_main
    click cmdDataIn
    local win path
    path=$(dialog_path "$1")
    win=$(wait_window "${FILE_DIALOG_TITLE[cmdDataIn]}")
    focus "$win"
    log "\"${FILE_DIALOG_TITLE[cmdDataIn]}\": typing \"$path\", Enter"
    key ctrl+a
    type_text "$path"
    key Return
    wait_gone "$win"
    IMPORT_WIN=$(wait_window "$IMPORT_TITLE")
    focus "$IMPORT_WIN"
    log "the Import dialog $IMPORT_WIN is up"
}

# close_import KEYS...: the keys in the Import dialog (the last one closes it), then the main
# window's focus back.
close_import() {
    focus "$IMPORT_WIN"
    log "Import dialog: $*"
    key "$@"
    wait_gone "$IMPORT_WIN"
    focus_main
}

# import_screenshot NAME: the Import dialog as it is now, once it has stopped changing.
import_screenshot() {
    local out="$E2E_ARTIFACTS/$1.png" previous="" current same=0
    while ((same < 2)); do
        current=$(import -silent -window "$IMPORT_WIN" rgb:- 2>/dev/null | md5sum)
        if [[ "$current" == "$previous" ]]; then same=$((same + 1)); else same=0; fi
        previous=$current
        sleep 0.1
    done
    import -silent -window "$IMPORT_WIN" "$out" || fail "cannot take screenshot $out"
    log "screenshot $out"
}

# output_and_submit OUTPUT: the output file chosen, "4. Submit" pressed.
output_and_submit() {
    choose_file cmdDataOut "$1"
    click cmdSubmit
}
