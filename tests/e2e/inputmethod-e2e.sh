#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# End to end under a real X server: kana clicked on the keyboard, converted to kanji by the desktop's input
# method (ibus + mozc, then fcitx5 + mozc, which keep the 変換 key), or with no input method by the program's own
# conversion (keys and mouse alone), and copied. (What is copied after the program has ended: clipboard-e2e.sh.)
#
# Usage: inputmethod-e2e.sh PROGRAM KEY_PLACES (the test build's key-places, which says where each key lies)
# Prints one line per check and a closing "N passed, N failed, N skipped" line. Exits 0 when every check that
# could run passed, 1 when one failed, 77 when nothing could run here (packages missing).
set -u

# The unprivileged user the desktop runs as: mozc_server refuses to run as root.
readonly DESKTOP_UID=65534
readonly SESSION_SECONDS=170
# Two words typed on screen and what mozc makes of them with its first candidate.
readonly WORD1_KEYS="cmdMoji:21 cmdMoji:29 cmdMoji:45" # に ほ ん
readonly WORD2_KEYS="cmdDaku:13 cmdMoji:45 cmdMoji:43" # で ん わ
readonly CONVERTED="日本電話"
readonly TYPED_ONLY="にほん"

# --- Helpers shared by every stage ------------------------------------------------------------------------

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"

# Each stage runs in a session of its own: what it records goes to a file, read back and counted at the end.
record() { # record PASS|FAIL|SKIP description [detail]
    echo "$1 $2" >>"$WORK/results"
    if [ "$1" = FAIL ] && [ -n "${3:-}" ]; then
        echo "     $3" >>"$WORK/results"
    fi
}

# Middle of a control, in pixels of its window's client area at scale 1, from the places the program itself gives
# its controls (written by key-places before the session starts): the keyboard's, or the candidate window's.
key_centre() { # key_centre NAME INDEX [PLACES]
    local x y width height
    read -r _ _ x y width height < <(grep "^$1 $2 " "${3:-$WORK/places}") || return 1
    echo "$((x + width / 2)) $((y + height / 2))"
}

# --- One desktop session: the program under one input method ----------------------------------------------

PIDS=()
stop_started() {
    local pid
    for pid in "${PIDS[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${PIDS[@]}"; do
        wait_for 3 eval "! kill -0 $pid 2>/dev/null" || kill -9 "$pid" 2>/dev/null
    done
    PIDS=()
}

# Processes the desktop started on its own (mozc_server, D-Bus activated services) carry this session's HOME;
# they go too, but never this script, what runs it, or the X server.
stop_strays() {
    local keep=" ${XVFB_PID:-} " pid=$BASHPID
    while [ "$pid" -gt 1 ] 2>/dev/null; do
        keep+="$pid "
        pid=$(awk '{print $4}' "/proc/$pid/stat" 2>/dev/null) || break
    done
    for pid in $(pgrep -u "$(id -u)"); do
        [[ $keep == *" $pid "* ]] && continue
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qx "HOME=$WORK" && kill "$pid" 2>/dev/null
    done
}

PROGRAM_PID=
WINDOW=
WIN_X=0
WIN_Y=0

# Where a window's client area lies on the screen. (xdotool's getwindowgeometry counts a window manager's frame in
# twice.)
client_origin() { # client_origin WINDOW
    xwininfo -id "$1" | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }'
}

keyboard_window() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
        case "$(xdotool getwindowname "$w" 2>/dev/null)" in
        キーボード*) WINDOW=$w && return 0 ;;
        esac
    done
    return 1
}

start_program() { # start_program LOG [VAR=VALUE...]
    local log=$1
    shift
    env "$@" "$WORK/gojuon-keyboard" >"$WORK/$log" 2>&1 &
    PROGRAM_PID=$!
    PIDS+=("$PROGRAM_PID")
    WINDOW=
    wait_for 20 keyboard_window || return 1
    read -r WIN_X WIN_Y < <(client_origin "$WINDOW")
    # The keyboard takes the focus after the first explanation page has opened.
    wait_for 10 eval '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$WINDOW" ]'
}

click() { # click NAME:INDEX, or NAME for a control without an index
    local name=${1%%:*} index=-
    [ "$name" != "$1" ] && index=${1#*:}
    local centre x y
    if ! centre=$(key_centre "$name" "$index"); then
        record FAIL "click $1" "the keyboard has no such control"
        return 1
    fi
    read -r x y <<<"$centre"
    xdotool mousemove --sync $((WIN_X + x)) $((WIN_Y + y)) click 1
}

# The input method answers key presses asynchronously and nothing in the window says when it has; a short
# pause lets its answer reach the field before the next click moves the focus to a key.
ime_key() {
    xdotool key "$1"
    sleep 0.4
}

# Where an input method takes the 変換 key, the program's own conversion must not open on the bar as well.
OWN_OPENED=0
type_and_convert() { # type_and_convert KEYS...
    local key
    for key in "$@"; do
        click "$key"
    done
    ime_key Henkan_Mode
    bar_converting && OWN_OPENED=$((OWN_OPENED + 1))
    ime_key Return
}

check_input_method_kept_the_key() { # check_input_method_kept_the_key NAME
    if ((OWN_OPENED == 0)); then
        record PASS "$1: the input method keeps the 変換 key (the program's own conversion stays closed)"
    else
        record FAIL "$1: the input method keeps the 変換 key (the program's own conversion stays closed)" \
            "the bar changed at the 変換 key $OWN_OPENED times"
    fi
}

clipboard_is() {
    [ "$(timeout 3 xclip -o -selection clipboard 2>/dev/null)" = "$1" ]
}

check_clipboard() { # check_clipboard DESCRIPTION EXPECTED [SECONDS]
    if wait_for "${3:-10}" clipboard_is "$2"; then
        record PASS "$1"
    else
        record FAIL "$1" "expected '$2', the clipboard holds '$(timeout 3 xclip -o -selection clipboard 2>&1)'"
    fi
}


# Two words typed and converted one after the other, then copied.
convert_two_words() { # convert_two_words DESCRIPTION
    # shellcheck disable=SC2086
    type_and_convert $WORD1_KEYS
    # shellcheck disable=SC2086
    type_and_convert $WORD2_KEYS
    click cmdCopy
    check_clipboard "$1" "$CONVERTED"
}

phase_ibus() {
    export GSETTINGS_BACKEND=memory
    ibus-daemon --panel=disable --emoji-extension=disable --cache=refresh >"$WORK/ibus.log" 2>&1 &
    PIDS+=("$!")
    if ! wait_for 30 eval 'ibus engine mozc-jp 2>/dev/null; [ "$(ibus engine 2>/dev/null)" = mozc-jp ]'; then
        record FAIL "ibus-mozc: the mozc-jp engine starts" "$(tail -3 "$WORK/ibus.log")"
        return
    fi
    if ! start_program ibus-program.log QT_IM_MODULE=ibus; then
        record FAIL "ibus-mozc: the keyboard window opens" "$(tail -3 "$WORK/ibus-program.log")"
        return
    fi
    # mozc was enabled before the keyboard started, as on a desktop where it runs already: the very first 変換
    # converts the first word clicked.
    convert_two_words "ibus-mozc: the first 変換 converts, and two words in a row reach the clipboard as $CONVERTED"
    check_input_method_kept_the_key ibus-mozc
}

phase_fcitx5() {
    mkdir -p "$HOME/.config/fcitx5/conf"
    cat >"$HOME/.config/fcitx5/profile" <<'EOF'
[Groups/0]
Name=Default
Default Layout=jp
DefaultIM=mozc

[Groups/0/Items/0]
Name=keyboard-jp
Layout=

[Groups/0/Items/1]
Name=mozc
Layout=

[GroupOrder]
0=Default
EOF
    printf '[Behavior]\nActiveByDefault=True\nShareInputState=All\n' >"$HOME/.config/fcitx5/config"
    fcitx5 --disable=classicui,kimpanel,notificationitem,notifications,clipboard,xim,ibusfrontend \
        >"$WORK/fcitx5.log" 2>&1 &
    PIDS+=("$!")
    if ! wait_for 30 eval 'fcitx5-remote >/dev/null 2>&1'; then
        record FAIL "fcitx5-mozc: fcitx5 starts" "$(tail -3 "$WORK/fcitx5.log")"
        return
    fi
    if ! start_program fcitx5-program.log QT_IM_MODULE=fcitx; then
        record FAIL "fcitx5-mozc: the keyboard window opens" "$(tail -3 "$WORK/fcitx5-program.log")"
        return
    fi
    fcitx5-remote -o
    if ! wait_for 10 eval '[ "$(fcitx5-remote 2>/dev/null)" = 2 ]'; then
        record FAIL "fcitx5-mozc: the input method is active in the field" "fcitx5-remote says $(fcitx5-remote 2>&1)"
        return
    fi
    convert_two_words "fcitx5-mozc: two words converted in a row reach the clipboard as $CONVERTED"
    check_input_method_kept_the_key fcitx5-mozc
}

# The candidate bar: the program's window titled 候補, while it is shown.
bar_window() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = 候補 ] && echo "$w" && return 0
    done
    return 1
}
# Whether the bar shows a conversion: its 確定 button, shown only then, stands where otherwise the bar is bare.
bar_converting() {
    local bar x y width height
    bar=$(bar_window) || return 1
    read -r _ _ x y width height < <(grep "^cmdKakutei - " "$WORK/places-koho") || return 1
    (($(import -silent -window "$bar" -crop "${width}x$height+$x+$y" -format %k info: 2>/dev/null) > 1))
}

client_size() { xwininfo -id "$1" | awk '/^  Width:/ {w = $2} /^  Height:/ {h = $2} END {print w, h}'; }

# The bar lies along the keyboard's bottom edge (no window manager here: frame and client area are one), as wide
# as the keyboard, or along its top edge where the screen has no room below.
bar_docked() {
    local bar bx by bw bh kw kh
    bar=$(bar_window) || return 1
    read -r bx by < <(client_origin "$bar")
    read -r bw bh < <(client_size "$bar")
    read -r kw kh < <(client_size "$WINDOW")
    BAR_PLACE="bar ${bw}x$bh at $bx,$by, keyboard ${kw}x$kh at $WIN_X,$WIN_Y"
    ((bx == WIN_X && bw == kw)) && ((by == WIN_Y + kh || by + bh == WIN_Y))
}

keyboard_focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$WINDOW" ]; }

click_bar() { # click_bar NAME:INDEX, or NAME: a control of the candidate bar
    local name=${1%%:*} index=- bar x y width height X Y
    [ "$name" != "$1" ] && index=${1#*:}
    bar=$(bar_window) || { record FAIL "click $1" "the candidate bar is not shown"; return 1; }
    read -r _ _ x y width height < <(grep "^$name $index " "$WORK/places-koho") \
        || { record FAIL "click $1" "the bar has no such control"; return 1; }
    read -r X Y < <(client_origin "$bar")
    # An entry is as wide as its text but starts where its place says: a point near its left edge is on it.
    ((width > 24)) && width=24
    xdotool mousemove --sync $((X + x + width / 2)) $((Y + y + height / 2)) click 1
}

# The program's own conversion, on a desktop with no input method: the 変換 key reaches the field, and the bar
# along the keyboard offers and converts with the mouse alone.
phase_own() {
    if ! start_program own-program.log; then
        record FAIL "own conversion: the keyboard window opens" "$(tail -3 "$WORK/own-program.log")"
        return
    fi
    BAR_PLACE="no window titled 候補"
    if wait_for 10 bar_docked; then
        record PASS "candidate bar: shown along the keyboard's edge, as wide as the keyboard ($BAR_PLACE)"
    else
        record FAIL "candidate bar: shown along the keyboard's edge, as wide as the keyboard" "$BAR_PLACE"
    fi
    local key
    # shellcheck disable=SC2086
    for key in $WORD1_KEYS; do click "$key"; done
    ime_key Henkan_Mode
    if wait_for 5 bar_converting; then
        record PASS "own conversion: 変換 with no input method opens the conversion on the bar"
    else
        record FAIL "own conversion: 変換 with no input method opens the conversion on the bar" \
            "$(tail -3 "$WORK/own-program.log")"
    fi
    ime_key Return
    if wait_for 5 eval '! bar_converting'; then
        record PASS "own conversion: Enter takes the conversion and the bar leaves it"
    else
        record FAIL "own conversion: Enter takes the conversion and the bar leaves it" "still converting"
    fi
    # shellcheck disable=SC2086
    type_and_convert $WORD2_KEYS
    click cmdCopy
    check_clipboard "own conversion: two words converted in a row reach the clipboard as $CONVERTED" "$CONVERTED"

    # shellcheck disable=SC2086
    for key in $WORD1_KEYS; do click "$key"; done
    ime_key Henkan_Mode
    ime_key Escape
    click cmdCopy
    check_clipboard "own conversion: Escape gives the kana back" "$CONVERTED$TYPED_ONLY"

    # With the mouse alone: the bar's first entry after the kana; then its 変換 and 確定.
    click cmdClrall
    # shellcheck disable=SC2086
    for key in $WORD2_KEYS; do click "$key"; done
    sleep 0.5
    click_bar cmdKoho:0
    sleep 0.3
    if keyboard_focused; then
        record PASS "candidate bar: the keyboard keeps the input focus after a click on the bar"
    else
        record FAIL "candidate bar: the keyboard keeps the input focus after a click on the bar" \
            "focus on $(xdotool getwindowfocus 2>&1), keyboard $WINDOW, bar $(bar_window)"
    fi
    click cmdCopy
    check_clipboard "candidate bar: kana for でんわ, then the bar's first entry, give 電話" "電話"
    # shellcheck disable=SC2086
    for key in $WORD1_KEYS; do click "$key"; done
    sleep 0.5
    click_bar cmdHenkan
    sleep 0.5
    click_bar cmdKakutei
    sleep 0.3
    click cmdCopy
    check_clipboard "candidate bar: kana for にほん, then the bar's 変換 and 確定, append 日本" "電話日本"
    if bar_docked; then
        record PASS "candidate bar: still docked along the keyboard after the clicks"
    else
        record FAIL "candidate bar: still docked along the keyboard after the clicks" "$BAR_PLACE"
    fi

    # What the conversion learnt stays in the program's own folder, closed to others, and nowhere else.
    local store=$HOME/.local/share/gojuon-keyboard
    if [ -d "$store" ] && [ "$(stat -c %a "$store")" = 700 ] && [ ! -e "$HOME/.anthy" ]; then
        record PASS "own conversion: learning is kept in ~/.local/share/gojuon-keyboard (0700) and not in ~/.anthy"
    else
        record FAIL "own conversion: learning is kept in ~/.local/share/gojuon-keyboard (0700) and not in ~/.anthy" \
            "$(ls -la "$store" "$HOME/.anthy" 2>&1 | head -3 | tr '\n' ' ')"
    fi
}

run_phase() { # inside its own D-Bus session
    trap 'stop_started; stop_strays' EXIT
    trap 'exit 1' INT TERM
    cd "$HOME" || exit 1
    "phase_$1"
}

# --- The desktop: an X server with a Japanese keyboard, as the unprivileged user --------------------------

run_session() {
    XVFB_PID=
    trap 'stop_strays; [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null' EXIT
    trap 'exit 1' INT TERM
    cd "$HOME" || exit 1
    Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
    XVFB_PID=$!
    export XVFB_PID
    if ! wait_for 15 test -s "$WORK/display"; then
        record FAIL "the X server starts" "$(tail -3 "$WORK/xvfb.log")"
        return
    fi
    export DISPLAY=":$(head -1 "$WORK/display")"
    setxkbmap -model jp106 -layout jp
    if ! setxkbmap -query | grep -q '^layout: *jp$'; then
        record FAIL "the X server takes the jp106 keymap" "$(setxkbmap -query 2>&1 | tr '\n' ' ')"
        return
    fi

    local plugins
    plugins=$(find /usr/lib /usr/lib64 -path '*qt6/plugins/platforminputcontexts' -type d 2>/dev/null | head -1)
    if [ -x /usr/lib/ibus-mozc/ibus-engine-mozc ] && command -v ibus-daemon >/dev/null \
        && [ -e "$plugins/libibusplatforminputcontextplugin.so" ]; then
        dbus-run-session -- bash "$WORK/e2e.sh" --phase ibus >>"$WORK/session.log" 2>&1
    else
        record SKIP "ibus-mozc (ibus, ibus-mozc or the Qt ibus plugin is missing)"
    fi
    if command -v fcitx5 >/dev/null && compgen -G '/usr/lib/*/fcitx5/fcitx5-mozc.so' >/dev/null \
        && [ -e "$plugins/libfcitx5platforminputcontextplugin.so" ]; then
        dbus-run-session -- bash "$WORK/e2e.sh" --phase fcitx5 >>"$WORK/session.log" 2>&1
    else
        record SKIP "fcitx5-mozc (fcitx5, fcitx5-mozc or fcitx5-frontend-qt6 is missing)"
    fi
    if [ -e /usr/share/anthy/anthy.dic ]; then
        dbus-run-session -- bash "$WORK/e2e.sh" --phase own >>"$WORK/session.log" 2>&1
    else
        record SKIP "own conversion (anthy's dictionary, anthy-common, is missing)"
    fi
}

# --- Entry points -----------------------------------------------------------------------------------------

if [ "${1:-}" = --phase ] || [ "${1:-}" = --session ]; then
    WORK=$HOME
    export WORK
    if [ "$1" = --phase ]; then
        run_phase "$2"
    else
        run_session
    fi
    exit 0
fi

if [ $# -ne 2 ]; then
    echo "usage: $0 PROGRAM KEY_PLACES" >&2
    exit 2
fi

missing=()
for tool in Xvfb setxkbmap xdotool xclip xwininfo import dbus-run-session awk; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
[ "$(id -u)" = 0 ] && ! command -v setpriv >/dev/null && missing+=(setpriv)
if ((${#missing[@]})); then
    echo "inputmethod-e2e: skipped: missing ${missing[*]} (make e2e-deps installs them)"
    echo "0 passed, 0 failed, 1 skipped"
    exit 77
fi

WORK=$(mktemp -d /tmp/gojuon-e2e.XXXXXX)
trap '[ -n "${E2E_KEEP:-}" ] || rm -rf "$WORK"' EXIT
cp "$1" "$WORK/gojuon-keyboard"
cp "$0" "$WORK/e2e.sh"
cp "$(dirname "$0")/checks.sh" "$WORK/checks.sh"
: >"$WORK/results"
chmod 755 "$WORK"

started=$(date +%s)
environment=(env -i "HOME=$WORK" "PATH=/usr/local/bin:/usr/bin:/bin" "LANG=C.UTF-8" "XDG_RUNTIME_DIR=$WORK/run"
    "ASAN_OPTIONS=${ASAN_OPTIONS:-}" "UBSAN_OPTIONS=${UBSAN_OPTIONS:-}")
mkdir -m 700 "$WORK/run"
if ! HOME=$WORK XDG_RUNTIME_DIR=$WORK/run "$2" FrmKyBod >"$WORK/places" 2>"$WORK/key-places.log" || [ ! -s "$WORK/places" ] \
    || ! HOME=$WORK XDG_RUNTIME_DIR=$WORK/run "$2" FrmKoho >"$WORK/places-koho" 2>>"$WORK/key-places.log"; then
    echo "FAILED  the keys' places come from $2: $(tail -1 "$WORK/key-places.log")"
    echo "0 passed, 1 failed, 0 skipped"
    exit 1
fi
if [ "$(id -u)" = 0 ]; then
    chown -R "$DESKTOP_UID:$DESKTOP_UID" "$WORK"
    timeout --kill-after=10 "$SESSION_SECONDS" setpriv --reuid="$DESKTOP_UID" --regid="$DESKTOP_UID" \
        --clear-groups "${environment[@]}" bash "$WORK/e2e.sh" --session
else
    timeout --kill-after=10 "$SESSION_SECONDS" "${environment[@]}" bash "$WORK/e2e.sh" --session
fi
status=$?
((status == 124 || status == 137)) && echo "FAIL the whole check finished within $SESSION_SECONDS s" >>"$WORK/results"

while IFS= read -r line; do
    case "$line" in
    PASS*) echo "ok      ${line#PASS }" ;;
    FAIL*) echo "FAILED  ${line#FAIL }" ;;
    SKIP*) echo "skipped ${line#SKIP }" ;;
    *) echo "$line" ;;
    esac
done <"$WORK/results"

passed=$(grep -c '^PASS' "$WORK/results")
failed=$(grep -c '^FAIL' "$WORK/results")
skipped=$(grep -c '^SKIP' "$WORK/results")
if ((failed)); then
    for log in "$WORK"/*.log; do
        [ -s "$log" ] || continue
        echo "--- ${log##*/} (last lines)"
        tail -5 "$log"
    done
fi
echo "# took $(($(date +%s) - started)) s"
echo "$passed passed, $failed failed, $skipped skipped"
if ((failed)); then
    exit 1
fi
((passed)) || exit 77
exit 0
