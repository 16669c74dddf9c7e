#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on a Wayland compositor (sway, headless): the keyboard opens at its designed size, clicks on its keys
# and typed keys reach the field, the keyboard keeps the focus while it is clicked, and the notice still comes.
#
# Usage: wayland-e2e.sh PROGRAM KEY_PLACES (the test build's key-places, which says where each key lies)
# Prints one line per check ("note" lines tell where the compositor put windows) and a closing
# "N passed, N failed, N skipped" line. Exits 0 when every check passed, 1 when one failed, 77 when nothing could
# run here (packages missing).
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 PROGRAM KEY_PLACES" >&2
    exit 2
fi
PROGRAM=$(realpath "$1") KEY_PLACES=$2
# shellcheck source=wayland-lib.sh
. "$(dirname "$0")/wayland-lib.sh"
wl_require wayland-e2e

readonly KEYBOARD=キーボード PAGE1=説明ー１ NOTICE=説明ー４ # fullwidth digits, as the program writes them
readonly KEYBOARD_SIZE="748 419"
readonly A=あ KA=か

# Where each control of the keyboard lies in its window, from the program's own layout.
declare -A PLACE
while read -r name index x y width height; do
    PLACE["$name:$index"]="$((x + width / 2)) $((y + height / 2))"
done < <("$KEY_PLACES" FrmKyBod 2>/dev/null)
if [ -z "${PLACE[cmdMoji:0]:-}" ] || [ -z "${PLACE[cmdCopy:-]:-}" ]; then
    record FAIL "the keys' places come from $KEY_PLACES"
    wl_finish
fi

wl_start || wl_finish
# A build under a closed folder (root's home, say) is out of the test user's reach: it runs from a copy then.
if ! wl_as_user test -x "$PROGRAM"; then
    mkdir -m 755 "$WL_WORK/bin" && cp "$PROGRAM" "$WL_WORK/bin/" && PROGRAM=$WL_WORK/bin/$(basename "$PROGRAM")
    note "$WL_USER cannot reach the build; runs a copy"
fi

# Clicks a control of the keyboard window TIMES times.
click() { # click NAME:INDEX [TIMES]
    local wx wy _ x y
    read -r wx wy _ < <(wl_window "$KEYBOARD")
    read -r x y <<<"${PLACE[$1]}"
    wl_click $((wx + x)) $((wy + y)) "${2:-1}"
}
clipboard_is() { [ "$(wl_clipboard)" = "$1" ]; }
# Copies the field with the keyboard's own key and compares the clipboard.
check_field() { # check_field DESCRIPTION EXPECTED
    click cmdCopy:-
    if wait_for 5 clipboard_is "$2"; then
        record PASS "$1"
    else
        record FAIL "$1" "expected '$2', the clipboard holds '$(wl_clipboard)'"
    fi
}
where() { # where TITLE: "x,y width x height, focused|not focused"
    local x y w h
    read -r x y w h < <(wl_window "$1") || return
    echo "$x,$y ${w}x$h, $(wl_is_focused "$1" && echo focused || echo 'not focused')"
}

wl_run_program "$PROGRAM"
if ! wait_for 20 wl_has_window "$KEYBOARD"; then
    record FAIL "the keyboard window opens" "$(tail -2 "$WL_WORK/program.log")"
    wl_finish
fi
record PASS "the keyboard window opens"
read -r _ _ width height < <(wl_window "$KEYBOARD")
check "the keyboard's client area is ${KEYBOARD_SIZE/ / x }" "$width x $height" [ "$width $height" = "$KEYBOARD_SIZE" ]
check "sway floats the fixed-size keyboard" "$(wl_window_type "$KEYBOARD")" \
    [ "$(wl_window_type "$KEYBOARD")" = floating_con ]
if wait_for 5 wl_has_window "$PAGE1"; then
    note "keyboard at $(where "$KEYBOARD"); page 1 at $(where "$PAGE1")"
else
    record FAIL "page 1 opens with the keyboard"
fi

click cmdMoji:0
check "after a click on a key the keyboard has the focus" "focused: $(wl_focused)" \
    wait_for 3 wl_is_focused "$KEYBOARD"
check_field "a click on $A types it into the field" "$A"
# コピー opens page 3, and sway focuses each new window: the program's "show without activating" is not heard.
known "... and the keyboard keeps the focus after コピー" "page 3 opens with the focus on sway" \
    wait_for 1 wl_is_focused "$KEYBOARD"

click cmdClrall:-
wl_type "$KA"
check_field "a key typed on the seat's keyboard reaches the field" "$KA"

# The notice, with the keyboard away from the middle of the output, to tell where the compositor puts it.
click cmdClrall:-
wl_move "$KEYBOARD" 40 60
click cmdMoji:0 16
if wait_for 5 wl_has_window "$NOTICE"; then
    record PASS "a 16th character shows the notice"
    note "keyboard at $(where "$KEYBOARD"); notice at $(where "$NOTICE")"
    check_field "... and the field keeps fifteen characters" "$(printf "$A%.0s" {1..15})"
    check "... and a click on the keyboard gives it the focus back" "focused: $(wl_focused)" \
        wl_is_focused "$KEYBOARD"
else
    record FAIL "a 16th character shows the notice" "$(tail -2 "$WL_WORK/program.log")"
fi

wl_finish
