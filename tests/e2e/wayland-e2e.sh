#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program on a Wayland compositor (sway, headless): the keyboard opens at its designed size, clicks on its keys
# and typed keys reach the field, the keyboard keeps the focus while it is clicked, the candidate bar under it takes
# a conversion with a click, and the notice opens attached to it without taking the focus.
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
readonly A=あ KA=か NIHON=日本
readonly NI=cmdMoji:21 HO=cmdMoji:29 N=cmdMoji:45 # に ほ ん
# The windows' backgrounds in pictures: the candidate bar's light green, the notice's pink; the pointer's red.
readonly BAR_COLOUR='#80FF80' ENTRY_COLOUR='#C0C0C0' NOTICE_COLOUR='#FFC0C0' RING_COLOUR='#E01818'
# The notice's client area against the keyboard's, from the two windows' designed places, and its size.
readonly NOTICE_OFFSET="257 -62" NOTICE_WIDTH=231 NOTICE_HEIGHT=150

# Where each control of the keyboard lies in its window, from the program's own layout.
declare -A PLACE RECT
while read -r name index x y width height; do
    PLACE["$name:$index"]="$((x + width / 2)) $((y + height / 2))"
    RECT["$name:$index"]="$x $y $width $height"
done < <("$KEY_PLACES" FrmKyBod 2>/dev/null)
# The bar's entries are laid out as it runs: the first starts just after its 変換 button, in 変換's row.
read -r _ _ x y width height < <("$KEY_PLACES" FrmKoho 2>/dev/null | grep '^cmdHenkan ')
FIRST_ENTRY="$((x + width + 14)) $((y + height / 2))"
# A strip just inside the first entry's left edge: the key's grey face with an entry, the bar's green without.
ENTRY_EDGE="$((x + width + 6)) $((y + height / 2 - 5))"
read -r _ _ x y width height < <("$KEY_PLACES" FrmBun3d 2>/dev/null | grep '^CmdBun4E ')
NOTICE_CLOSE="$((x + width / 2)) $((y + height / 2))"
read -r _ _ x y width height < <("$KEY_PLACES" FrmBun3a 2>/dev/null | grep '^CmdBun1E ')
PAGE1_CLOSE="$((x + width / 2)) $((y + height / 2))"
read -r _ _ x y width height < <("$KEY_PLACES" FrmKoho 2>/dev/null | grep '^cmdSettei ')
SETTEI="$((x + width / 2)) $((y + height / 2))"
if [ -z "${PLACE[cmdMoji:0]:-}" ] || [ -z "${PLACE[cmdCopy:-]:-}" ] || [ "$NOTICE_CLOSE" = "0 0" ] ||
    [ "$FIRST_ENTRY" = "14 0" ] || [ "$PAGE1_CLOSE" = "0 0" ] || [ "$SETTEI" = "0 0" ]; then
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
# The keyboard's own pointer, a red ring, over its keys while a page is open, as it is without one.
ring_over() { # ring_over NAME:INDEX
    local wx wy x y shot
    read -r wx wy _ < <(wl_window "$KEYBOARD") && read -r x y <<<"${PLACE[$1]}" || return 1
    wl_msg -q seat - cursor set $((wx + x)) $((wy + y)) && sleep 0.3
    shot=$(wl_shot_pointer pointer) || return 1
    wl_colours "$shot" $((wx + x - 10)) $((wy + y - 10)) 20 20 | grep -q "^$RING_COLOUR\$"
}
check "with page 1 open the pointer over a key is the keyboard's ring" "no ring in the picture" \
    wait_for 2 ring_over cmdMoji:1

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

# Popups are not in sway's tree: a picture tells whether one is up, by its background over the rectangle given
# relative to the keyboard's client area.
colours_under_keyboard() { # colours_under_keyboard X Y WIDTH HEIGHT
    local kx ky shot
    read -r kx ky _ < <(wl_window "$KEYBOARD") || return 1
    shot=$(wl_shot under-keyboard) || return 1
    wl_colours "$shot" $((kx + $1)) $((ky + $2)) "$3" "$4"
}
# The bar's second row of pixels (the first is its dark edge), all of it but the edges at both ends.
bar_row_is_plain() { [ "$(colours_under_keyboard 1 $((KEYBOARD_HEIGHT + 1)) $((KEYBOARD_WIDTH - 2)) 1)" = "$BAR_COLOUR" ]; }
bar_has_entries() {
    local x y
    read -r x y <<<"$ENTRY_EDGE"
    [ "$(colours_under_keyboard "$x" $((KEYBOARD_HEIGHT + y)) 2 10)" = "$ENTRY_COLOUR" ]
}
bar_state() { colours_under_keyboard 1 $((KEYBOARD_HEIGHT + 1)) $((KEYBOARD_WIDTH - 2)) 1 | head -3 | paste -sd " "; }
notice_colour() {
    local x y
    read -r x y <<<"$NOTICE_OFFSET"
    colours_under_keyboard "$x" "$y" "$NOTICE_WIDTH" "$NOTICE_HEIGHT" | head -1
}
notice_shown() { [ "$(notice_colour)" = "$NOTICE_COLOUR" ]; }
notice_hidden() { ! notice_shown; }
notice_unmanaged() { ! wl_has_window "$NOTICE"; }
click_notice() { # click_notice "X Y": in the notice's client area
    local kx ky ox oy x y
    read -r kx ky _ < <(wl_window "$KEYBOARD")
    read -r ox oy <<<"$NOTICE_OFFSET"
    read -r x y <<<"$1"
    wl_click $((kx + ox + x)) $((ky + oy + y))
}

# The candidate bar: a popup along the keyboard's bottom edge, as wide as it; its first entry for にほん is anthy's
# first conversion, which a click puts in place of the kana without taking the focus from the keyboard.
read -r _ _ KEYBOARD_WIDTH KEYBOARD_HEIGHT < <(wl_window "$KEYBOARD")
click cmdClrall:-
for key in "$NI" "$HO" "$N"; do click "$key"; done
# Sway closes a window's popups when it loses the focus, as the keyboard does to page 1 at start-up, and the bar
# is shown again only with the keyboard.
readonly BAR_FAULT="sway closes the bar as page 1 takes the focus at start-up"
if wait_for 3 bar_row_is_plain; then
    record PASS "the candidate bar lies under the keyboard, as wide as it"
    sleep 1 # the bar refreshes once the keyboard has painted the keys, and anthy answers
    read -r x y <<<"$FIRST_ENTRY"
    read -r kx ky _ < <(wl_window "$KEYBOARD")
    wl_click $((kx + x)) $((ky + KEYBOARD_HEIGHT + y))
    check "... a click on its first entry leaves the focus with the keyboard" "focused: $(wl_focused)" \
        wait_for 2 wl_is_focused "$KEYBOARD"
    check_field "... and puts $NIHON into the field" "$NIHON"
else
    record SKIP "the candidate bar under the keyboard takes $NIHON with a click (known fault: $BAR_FAULT)"
fi

# The notice, with the keyboard away from the middle of the output: a popup at its designed place against the
# keyboard, which keeps the focus.
click cmdClrall:-
wl_move "$KEYBOARD" 40 60
click cmdMoji:0 16
if wait_for 5 notice_shown; then
    record PASS "a 16th character shows the notice at its place against the keyboard"
    note "keyboard at $(where "$KEYBOARD"); notice at $NOTICE_OFFSET from its client area"
    check "... and the keyboard keeps the focus" "focused: $(wl_focused)" wl_is_focused "$KEYBOARD"
    check "... as a popup of the keyboard, no window of its own" "sway manages $NOTICE" notice_unmanaged
    click_notice "$NOTICE_CLOSE"
    check "... its 閉 hides it" "the notice's colour: $(notice_colour)" wait_for 3 notice_hidden
    check "... and the keyboard still has the focus" "focused: $(wl_focused)" wl_is_focused "$KEYBOARD"
    click cmdMoji:0
    check "... the next key past the limit shows it again" "the notice's colour: $(notice_colour)" \
        wait_for 3 notice_shown
    click cmdClr:-
    check "... and 1字消 hides it" "the notice's colour: $(notice_colour)" wait_for 3 notice_hidden
    check_field "... and the field keeps fourteen characters" "$(printf "$A%.0s" {1..14})"
else
    record FAIL "a 16th character shows the notice at its place against the keyboard" \
        "the notice's colour: $(notice_colour); $(tail -2 "$WL_WORK/program.log")"
fi

# Dwell, scanning and the settings window, each on a new start of the program with its options.
readonly SETTEI_TITLE=設定 SETTINGS_FILE=$WL_WORK/home/.config/gojuon-keyboard/access.conf
readonly I=い KI=き
restart() { # restart [OPTION...]: page 1 closed with a click, and the pointer left on the bare output
    local px py
    kill "$PROGRAM_PID" && wait "$PROGRAM_PID"
    wl_background "$WL_WORK/program.log" QT_QPA_PLATFORM=wayland "$PROGRAM" "$@"
    PROGRAM_PID=$WL_LAST
    if ! { wait_for 20 wl_has_window "$KEYBOARD" && wait_for 5 wl_has_window "$PAGE1"; }; then
        record FAIL "the keyboard starts again with $*" "$(tail -2 "$WL_WORK/program.log")"
        return 1
    fi
    # A click before the page has painted is lost.
    for _ in 1 2 3 4; do
        sleep 0.5
        read -r px py _ < <(wl_window "$PAGE1") && read -r x y <<<"$PAGE1_CLOSE" && wl_click $((px + x)) $((py + y))
        wait_for 1 eval "! wl_has_window $PAGE1" && break
    done
    wl_msg -q seat - cursor set 5 5
    wait_for 3 wl_is_focused "$KEYBOARD"
}
# The pointer resting on a control, shaking a few pixels as a hand does, for SECONDS.
rest_on() { # rest_on NAME:INDEX SECONDS
    local wx wy x y d
    read -r wx wy _ < <(wl_window "$KEYBOARD") && read -r x y <<<"${PLACE[$1]}" || return 1
    for d in 0 3 6 3; do wl_msg -q seat - cursor set $((wx + x + d)) $((wy + y)) && sleep 0.05; done
    sleep "$2"
}
# The field's text copied by its own keys, for runs where a click on コピー would be a switch press.
field_keys_copy() { wl_type -M ctrl a -m ctrl && wl_type -M ctrl c -m ctrl; }
field_is() { field_keys_copy && wait_for 3 clipboard_is "$1"; }
# The scan's thick frame on a key: black just inside its left edge, where a key has its grey face otherwise.
framed() { # framed NAME:INDEX
    local wx wy x y w h probe=$WL_WORK/shots/frame.png
    read -r wx wy _ < <(wl_window "$KEYBOARD") && read -r x y w h <<<"${RECT[$1]}" || return 1
    wl_as_user grim -g "$((wx + x + 4)),$((wy + y + h / 2)) 3x1" "$probe" && [ "$(wl_colours "$probe" 0 0 3 1)" = '#000000' ]
}

# 設定 from the bar: a window sway places itself (it keeps the focus while open); a click there acts at once and
# is kept in the file, and its 閉じる gives the keys back to the field and the bar back to the keyboard.
if restart && wait_for 3 bar_row_is_plain; then
    read -r kx ky _ < <(wl_window "$KEYBOARD") && read -r x y <<<"$SETTEI"
    wl_click $((kx + x)) $((ky + KEYBOARD_HEIGHT + y))
    if wait_for 5 wl_has_window "$SETTEI_TITLE"; then
        note "settings window at $(where "$SETTEI_TITLE"); keyboard at $(where "$KEYBOARD")"
        read -r sx sy sw sh < <(wl_window "$SETTEI_TITLE")
        read -r x y w h <<<"${RECT[Txt1:-]}"
        known "... clear of the text field" "sway centres it on the keyboard, a place no client can choose" \
            [ $((sx + sw <= kx + x || kx + x + w <= sx || sy + sh <= ky + y || ky + y + h <= sy)) = 1 ]
        # Sway takes the bar away with the keyboard's focus; a key clicked beside the window brings both back.
        click cmdMoji:0
        check "... a click on $A beside it brings the bar back with entries" "the bar's colours: $(bar_state)" \
            wait_for 3 bar_has_entries
        wl_msg -q "[title=\"^$SETTEI_TITLE\$\"] focus"
        wl_click $((sx + sw * 30 / 400)) $((sy + sh * 28 / 344)) # ポインタを止めて押す
        check "a click on 設定's dwell box keeps dwell on in the file" "$(head -1 "$SETTINGS_FILE" 2>&1)" \
            wait_for 3 grep -sqx dwell=on "$SETTINGS_FILE"
        wl_click $((sx + sw * 340 / 400)) $((sy + sh * 313 / 344)) # 閉じる
        check "... its 閉じる closes it and the keyboard has the focus" "focused: $(wl_focused)" \
            wait_for 3 eval "! wl_has_window $SETTEI_TITLE && wl_is_focused $KEYBOARD"
        check "... and the bar is back under the keyboard" "the bar's colours: $(bar_state)" \
            wait_for 3 bar_row_is_plain
        click cmdClrall:-
        click cmdMoji:0
        check "... where a click on $A shows entries" "the bar's colours: $(bar_state)" wait_for 3 bar_has_entries
        click cmdClrall:-
        wl_type "$KA"
        check "... and a typed key reaches the field" "the field holds '$(field_keys_copy; wl_clipboard)'" \
            field_is "$KA"
    else
        record FAIL "設定 on the bar opens the settings window" "$(tail -2 "$WL_WORK/program.log")"
    fi
else
    record SKIP "設定 on the bar (known fault: $BAR_FAULT)"
fi

# Dwell, on from the file at the next start: a key typed once however long the pointer rests, nothing in the field.
restart
rest_on cmdMoji:1 2.5
check_field "dwell, kept from the last start, types $I once while the pointer rests on it" "$I"
click cmdClrall:-
rest_on Txt1:- 1.5
check_field "... and nothing while it rests on the field" ""
rm -f "$SETTINGS_FILE"

# Step scanning: Space moves the frame, Enter picks, and neither reaches the field, which keeps the keys.
restart --scan=step
for key in space Return space Return; do wl_type -k "$key" && sleep 0.2; done
check "step scanning: Space, Enter, Space, Enter types $KI and nothing else" \
    "the field holds '$(field_keys_copy; wl_clipboard)'" field_is "$KI"
check "... and the keyboard keeps the focus" "focused: $(wl_focused)" wl_is_focused "$KEYBOARD"

# Automatic scanning: one switch pressed as the frame comes to the あ column, and again as it comes to あ.
restart --scan=auto --scan-interval=2
both() { framed cmdMoji:0 && framed cmdMoji:1; }
first() { framed cmdMoji:0 && ! framed cmdMoji:1; }
wait_for 40 both && wl_type -k space && wait_for 3 first && wl_type -k space
check "automatic scanning: a press at the あ column and one at $A type it" \
    "the field holds '$(field_keys_copy; wl_clipboard)'" field_is "$A"

wl_finish
