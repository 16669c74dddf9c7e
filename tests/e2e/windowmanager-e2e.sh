#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program under real window managers on a virtual X server: the pages and the notice belong to the keyboard
# (kept above it, minimised with it), and every scale a desktop may set, by QT_SCALE_FACTOR or by Xft.dpi, starts
# with windows of the designed size times the scale.
#
# Usage: windowmanager-e2e.sh PROGRAM KEY_PLACES (the test build's key-places, which says where each key lies)
# Prints one line per check and a closing "N passed, N failed, N skipped" line. Exits 0 when every check that
# could run passed, 1 when one failed, 77 when nothing could run here (packages missing).
set -u

readonly KEYBOARD_SIZE="748 419" PAGE_SIZE="608 200" NOTICE_SIZE="231 150"

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"

if [ $# -ne 2 ]; then
    echo "usage: $0 PROGRAM KEY_PLACES" >&2
    exit 2
fi
PROGRAM=$1 KEY_PLACES=$2
missing=()
for tool in Xvfb openbox xdotool xprop xwininfo xrdb; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]})); then
    echo "windowmanager-e2e: skipped: missing ${missing[*]} (make e2e-deps installs them)"
    echo "0 passed, 0 failed, 1 skipped"
    exit 77
fi

WORK=$(mktemp -d /tmp/gojuon-wm.XXXXXX)
export HOME=$WORK XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
# The あ key's middle, in the keyboard's pixels at scale 1, where the program itself puts it.
read -r _ _ x y width height < <("$KEY_PLACES" FrmKyBod 2>"$WORK/key-places.log" | grep '^cmdMoji 0 ')
if [ -z "${height:-}" ]; then
    record FAIL "the あ key's place comes from $KEY_PLACES" "$(tail -1 "$WORK/key-places.log")"
    summary
    rm -rf "$WORK"
    exit 1
fi
readonly KEY_A="$((x + width / 2)) $((y + height / 2))"
# The text field's top and bottom in the keyboard's pixels at scale 1: the candidate bar never covers it.
read -r _ _ _ y _ height < <("$KEY_PLACES" FrmKyBod 2>>"$WORK/key-places.log" | grep '^Txt1 - ')
readonly FIELD_ROWS="$y $((y + height))"
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS QT_AUTO_SCREEN_SCALE_FACTOR QT_QPA_PLATFORM WAYLAND_DISPLAY
PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# A screen large enough for the keyboard at three times its size.
readonly SCREEN_HEIGHT=1600
Xvfb -displayfd 5 -screen 0 2560x${SCREEN_HEIGHT}x24 -nolisten tcp -noreset 5>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
PIDS+=("$!")
if ! wait_for 15 test -s "$WORK/display"; then
    record FAIL "the X server starts" "$(tail -1 "$WORK/xvfb.log")"
    exit 1
fi
export DISPLAY=":$(head -1 "$WORK/display")"

PROGRAM_PID= KEYBOARD= NOTICE= PAGE1=
# The program's top-level window with this title.
window_named() { # window_named TITLE
    local w
    for w in $(xdotool search --pid "$PROGRAM_PID" 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && echo "$w" && return 0
    done
    return 1
}
find_keyboard() { KEYBOARD=$(window_named キーボード) && PAGE1=$(window_named 説明ー１); }
start_program() { # start_program [VAR=VALUE...]
    env "$@" "$PROGRAM" >"$WORK/program.log" 2>&1 &
    PROGRAM_PID=$!
    PIDS+=("$PROGRAM_PID")
    wait_for 20 find_keyboard && wait_for 5 is_viewable "$KEYBOARD" && wait_for 5 is_viewable "$PAGE1"
}
stop_program() {
    kill "$PROGRAM_PID" 2>/dev/null
    wait_for 5 eval '! kill -0 "$PROGRAM_PID" 2>/dev/null' || kill -9 "$PROGRAM_PID" 2>/dev/null
    wait "$PROGRAM_PID" 2>/dev/null
}
is_viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
# Brings a minimised window back as a task bar does. openbox at times ignores the first request for a keyboard that
# has its candidate bar in its group (about one in three in a loop of minimise and restore); a task bar's user then
# clicks again, so the script asks up to three times and says when it had to.
restore() {
    local try
    for try in 1 2 3; do
        xdotool windowactivate "$1" 2>/dev/null || xdotool windowmap "$1"
        if wait_for 2 is_viewable "$1"; then
            [ "$try" = 1 ] || echo "note    restoring took $try requests"
            return 0
        fi
    done
    return 1
}
is_iconic() { ! is_viewable "$1"; }
map_state() { xwininfo -id "$1" | sed -n 's/.*Map State: //p'; }
client_size() { xwininfo -id "$1" | awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print w, h}'; }
# Whether WIDTH HEIGHT is the designed size times the scale, to a pixel either way.
scaled_size() { # scaled_size "W H" "DESIGNED_W DESIGNED_H" SCALE
    awk -v got="$1" -v want="$2" -v s="$3" 'BEGIN {
        split(got, g, " "); split(want, d, " ")
        ok = 1
        for (i = 1; i <= 2; ++i) { e = g[i] - d[i] * s; if (e < -1 || e > 1) ok = 0 }
        exit !ok }'
}
transient_for() { xprop -id "$1" WM_TRANSIENT_FOR | awk '{print $NF}'; }
owned_dialog() { # owned_dialog WINDOW: transient for the keyboard, and a dialog to the window manager
    local owner
    owner=$(transient_for "$1")
    [[ $owner == 0x* ]] && ((owner == KEYBOARD)) \
        && xprop -id "$1" _NET_WM_WINDOW_TYPE | grep -q '= _NET_WM_WINDOW_TYPE_DIALOG'
}
# Whether the first window is stacked above the second, in the window manager's bottom-to-top list.
stacked_above() {
    local id position=0 upper=0 lower=0
    for id in $(xprop -root _NET_CLIENT_LIST_STACKING | sed -n 's/.*# //p' | tr ',' ' '); do
        position=$((position + 1))
        (($1 == id)) && upper=$position
        (($2 == id)) && lower=$position
    done
    ((upper && lower && upper > lower))
}
active_window() { xprop -root _NET_ACTIVE_WINDOW | sed 's/.*# //; s/,.*//'; }
keyboard_active() {
    local active
    active=$(active_window)
    [[ $active == 0x* ]] && ((active == KEYBOARD))
}
# Clicks the あ key TIMES times. The pointer moves there once: xdotool's --sync would wait for a move that never
# comes when the pointer is already in place.
click_key_a() { # click_key_a TIMES
    local x y
    read -r X Y < <(xwininfo -id "$KEYBOARD" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }')
    read -r x y <<<"$KEY_A"
    xdotool mousemove $((X + x)) $((Y + y)) sleep 0.2 click --repeat "$1" --delay 60 1
}

# --- The secondary windows belong to the keyboard, under each window manager ------------------------------

ownership_under() { # ownership_under NAME COMMAND...
    local wm=$1 wm_pid
    shift
    "$@" >"$WORK/$wm.log" 2>&1 &
    wm_pid=$!
    PIDS+=("$wm_pid")
    if ! wait_for 10 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'; then
        record FAIL "$wm: the window manager starts" "$(tail -1 "$WORK/$wm.log")"
        kill "$wm_pid" 2>/dev/null
        return
    fi
    if ! start_program; then
        record FAIL "$wm: the keyboard and page 1 open" "$(tail -2 "$WORK/program.log")"
        stop_program
        kill "$wm_pid" 2>/dev/null
        return
    fi
    check "$wm: page 1 is a dialog transient for the keyboard" "WM_TRANSIENT_FOR $(transient_for "$PAGE1")" \
        owned_dialog "$PAGE1"
    check "$wm: the keyboard is the active window at start" "active $(active_window)" \
        wait_for 5 keyboard_active
    check "$wm: the keyboard's client area is 748 x 419" "$(client_size "$KEYBOARD")" \
        scaled_size "$(client_size "$KEYBOARD")" "$KEYBOARD_SIZE" 1

    click_key_a 16
    if wait_for 5 eval 'NOTICE=$(window_named 説明ー４) && is_viewable "$NOTICE"'; then
        check "$wm: the notice is a dialog transient for the keyboard" "" owned_dialog "$NOTICE"
        check "$wm: the notice opens without taking the focus from the keyboard" "active $(active_window)" \
            keyboard_active
        click_key_a 1
        sleep 0.5
        check "$wm: after the next key the notice is still above the keyboard" \
            "$(xprop -root _NET_CLIENT_LIST_STACKING)" stacked_above "$NOTICE" "$KEYBOARD"
        check "$wm: ... and the keyboard keeps the focus" "active $(active_window)" keyboard_active
        xdotool windowminimize "$KEYBOARD"
        if wait_for 5 eval 'is_iconic "$PAGE1" && is_iconic "$NOTICE"'; then
            record PASS "$wm: minimising the keyboard minimises page 1 and the notice"
        else
            record FAIL "$wm: minimising the keyboard minimises page 1 and the notice" \
                "page 1 $(map_state "$PAGE1"), notice $(map_state "$NOTICE"), keyboard $(map_state "$KEYBOARD")"
        fi
        if restore "$KEYBOARD" && wait_for 5 eval 'is_viewable "$KEYBOARD" && is_viewable "$PAGE1" && is_viewable "$NOTICE"'; then
            record PASS "$wm: restoring the keyboard restores them"
        else
            record FAIL "$wm: restoring the keyboard restores them" \
                "keyboard $(map_state "$KEYBOARD"), page 1 $(map_state "$PAGE1"), notice $(map_state "$NOTICE")"
        fi
    else
        record FAIL "$wm: sixteen characters show the notice" "$(tail -2 "$WORK/program.log")"
    fi
    stop_program
    bar_under "$wm" 1
    bar_under "$wm" 2
    kill "$wm_pid" 2>/dev/null
    wait_for 5 eval '! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
    xprop -root -remove _NET_SUPPORTING_WM_CHECK 2>/dev/null
}

# --- The candidate bar docked along the keyboard, under each window manager --------------------------------

client_place() { # client_place WINDOW: x y width height of its client area on the screen
    xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
        /^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print x, y, w, h}'
}
frame_extents() { # frame_extents WINDOW: left right top bottom of the window manager's frame around it
    local extents
    extents=$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ',')
    echo "${extents:-0 0 0 0}"
}
# Whether the bar lies along the bottom (below) or top (above) edge of the keyboard's frame (either: below where
# the screen has room for it, which depends on where the window manager put the keyboard), as wide as its client
# area and starting where it starts, and clear of the text field; to a pixel at scales that round.
BAR= BAR_PLACE=
bar_docked() { # bar_docked below|above|either SCALE
    local kx ky kw kh bx by bw bh l r t b field_top field_bottom
    is_viewable "$BAR" || { BAR_PLACE="bar $(map_state "$BAR")"; return 1; }
    read -r kx ky kw kh < <(client_place "$KEYBOARD")
    read -r bx by bw bh < <(client_place "$BAR")
    read -r l r t b < <(frame_extents "$KEYBOARD")
    read -r field_top field_bottom <<<"$FIELD_ROWS"
    field_top=$(awk -v y="$ky" -v f="$field_top" -v s="$2" 'BEGIN {printf "%d", y + f * s}')
    field_bottom=$(awk -v y="$ky" -v f="$field_bottom" -v s="$2" 'BEGIN {printf "%d", y + f * s}')
    BAR_PLACE="bar ${bw}x$bh at $bx,$by; keyboard ${kw}x$kh at $kx,$ky, frame $l $r $t $b; field rows $field_top-$field_bottom"
    local below=$((by - (ky + kh + b))) above=$((by - (ky - t - bh)))
    case $1 in
    below) ((below >= -1 && below <= 1)) || return 1 ;;
    above) ((above >= -1 && above <= 1)) || return 1 ;;
    *) ((below >= -1 && below <= 1 || above >= -1 && above <= 1)) || return 1 ;;
    esac
    ((bx - kx >= -1 && bx - kx <= 1 && bw - kw >= -1 && bw - kw <= 1)) && ((by + bh <= field_top || by >= field_bottom))
}
bar_not_shown() { ! is_viewable "$BAR"; }
skips_taskbar() { xprop -id "$1" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR; }
check_docked() { # check_docked DESCRIPTION below|above SCALE: waits for it a while
    if wait_for 5 bar_docked "$2" "$3"; then record PASS "$1"; else record FAIL "$1" "$BAR_PLACE"; fi
}

bar_under() { # bar_under WM SCALE
    local wm=$1 scale=$2 what="$1, scale $2"
    if ! start_program QT_SCALE_FACTOR="$scale"; then
        record FAIL "$what: the keyboard opens" "$(tail -2 "$WORK/program.log")"
        stop_program
        return
    fi
    if ! wait_for 10 eval 'BAR=$(window_named 候補) && is_viewable "$BAR"'; then
        record FAIL "$what: the candidate bar (候補) is shown with the keyboard" "$(tail -2 "$WORK/program.log")"
        stop_program
        return
    fi
    check_docked "$what: the bar is docked along the keyboard's frame, as wide as it, clear of the text field" either \
        "$scale"
    # A click on the bar (its 変換, with nothing to convert) leaves the focus with the keyboard.
    wait_for 5 keyboard_active
    local bx by bw bh
    read -r bx by bw bh < <(client_place "$BAR")
    xdotool mousemove --sync $((bx + bw / 30)) $((by + bh / 4)) click 1
    sleep 0.5
    check "$what: the keyboard stays the active window after a click on the bar" "active $(active_window)" \
        keyboard_active

    check "$what: the bar has no task bar or pager entry of its own" "$(xprop -id "$BAR" _NET_WM_STATE)" \
        skips_taskbar "$BAR"

    # Another program's window over the keyboard covers the bar too; the keyboard activated again raises both.
    local kx ky kw kh l r t b cover cover_pid
    read -r kx ky kw kh < <(client_place "$KEYBOARD")
    read -r bx by bw bh < <(client_place "$BAR")
    local top=$((by < ky ? by : ky)) bottom=$((by + bh > ky + kh ? by + bh : ky + kh))
    xmessage -title covering-window -geometry "${kw}x$((bottom - top))+$kx+$top" cover >/dev/null 2>&1 &
    cover_pid=$!
    PIDS+=("$cover_pid")
    if wait_for 5 eval 'cover=$(xdotool search --onlyvisible --name "^covering-window$" 2>/dev/null | head -1) && [ -n "$cover" ]'; then
        sleep 0.3
        check "$what: another program's window raised over the keyboard is over the bar too" \
            "$(xprop -root _NET_CLIENT_LIST_STACKING)" stacked_above "$cover" "$BAR"
        xdotool windowactivate "$KEYBOARD"
        if wait_for 5 eval 'stacked_above "$BAR" "$cover" && stacked_above "$KEYBOARD" "$cover"'; then
            record PASS "$what: ... and activating the keyboard brings the bar up with it"
        else
            record FAIL "$what: ... and activating the keyboard brings the bar up with it" \
                "$(xprop -root _NET_CLIENT_LIST_STACKING)"
        fi
        kill "$cover_pid" 2>/dev/null
    else
        record FAIL "$what: another program's window opens over the keyboard" "xmessage not shown"
    fi

    xdotool windowmove "$KEYBOARD" 200 150
    sleep 0.5
    check_docked "$what: the bar follows the keyboard when it is moved" below "$scale"
    # Moved down until the bar has no room under it: the bar goes above.
    read -r kx ky kw kh < <(client_place "$KEYBOARD")
    read -r l r t b < <(frame_extents "$KEYBOARD")
    xdotool windowmove "$KEYBOARD" 200 $((SCREEN_HEIGHT - kh - t - b - 20))
    sleep 0.5
    check_docked "$what: at the screen's bottom the bar goes above the keyboard" above "$scale"

    xdotool windowminimize "$KEYBOARD"
    if wait_for 5 bar_not_shown; then
        record PASS "$what: the bar is hidden when the keyboard is minimised"
    else
        record FAIL "$what: the bar is hidden when the keyboard is minimised" \
            "bar $(map_state "$BAR"), keyboard $(map_state "$KEYBOARD")"
    fi
    if restore "$KEYBOARD" && wait_for 5 bar_docked either "$scale"; then
        record PASS "$what: ... and docked again when it is restored"
    else
        record FAIL "$what: ... and docked again when it is restored" "$BAR_PLACE"
    fi
    stop_program
}

ownership_under openbox openbox
if command -v xfwm4 >/dev/null && command -v dbus-run-session >/dev/null; then
    ownership_under xfwm4 dbus-run-session -- xfwm4 --compositor=off
else
    record SKIP "xfwm4 (xfwm4 or dbus is missing)"
fi

# --- Every scale starts, with windows of the designed size times the scale ---------------------------------

openbox >"$WORK/openbox-scales.log" 2>&1 &
PIDS+=("$!")
wait_for 10 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'

sizes_at() { # sizes_at DESCRIPTION SCALE [VAR=VALUE...]
    local description=$1 scale=$2
    shift 2
    if ! start_program "$@"; then
        record FAIL "$description: starts" "$(tail -2 "$WORK/program.log")"
        stop_program
        return
    fi
    local keyboard page
    keyboard=$(client_size "$KEYBOARD")
    page=$(client_size "$PAGE1")
    if scaled_size "$keyboard" "$KEYBOARD_SIZE" "$scale" && scaled_size "$page" "$PAGE_SIZE" "$scale"; then
        record PASS "$description: starts, keyboard $keyboard, page 1 $page"
    else
        record FAIL "$description: windows at $scale times their size" "keyboard $keyboard, page 1 $page"
    fi
    stop_program
}

for scale in 1 1.25 1.5 1.75 2 2.25 2.5 2.75 3; do
    sizes_at "QT_SCALE_FACTOR=$scale" "$scale" QT_SCALE_FACTOR="$scale"
done
for dpi in 96 120 144 192; do
    echo "Xft.dpi: $dpi" | xrdb -override -
    sizes_at "Xft.dpi: $dpi" "$(awk -v d="$dpi" 'BEGIN {print d / 96}')"
done
xrdb -remove 2>/dev/null

finish
exit 0
