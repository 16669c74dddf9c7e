#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What コピー put on the clipboard after 終, on a virtual X server. With no clipboard manager a detached process of
# the program keeps the text, holding nothing of the user's open, until another program copies, and then ends;
# with a clipboard manager (xfsettingsd) the manager keeps it and no such process starts.
#
# Usage: clipboard-e2e.sh PROGRAM KEY_PLACES (the test build's key-places, which says where each key lies)
# Prints one line per check and a closing "N passed, N failed, N skipped" line. Exits 0 when every check that
# could run passed, 1 when one failed, 77 when nothing could run here (packages missing).
set -u

readonly KEYS="cmdMoji:21 cmdMoji:29 cmdMoji:45" TYPED="にほん" # に ほ ん

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"

if [ $# -ne 2 ]; then
    echo "usage: $0 PROGRAM KEY_PLACES" >&2
    exit 2
fi
missing=()
for tool in Xvfb xdotool xwininfo xclip pgrep awk import; do
    command -v "$tool" >/dev/null || missing+=("$tool")
done
if ((${#missing[@]})); then
    echo "clipboard-e2e: skipped: missing ${missing[*]} (make e2e-deps installs them)"
    echo "0 passed, 0 failed, 1 skipped"
    exit 77
fi
# The clipboard manager talks to its settings over a session bus of its own.
if [ -z "${CLIPBOARD_E2E_BUS:-}" ] && command -v dbus-run-session >/dev/null; then
    CLIPBOARD_E2E_BUS=1 exec dbus-run-session -- "$0" "$@"
fi

WORK=$(mktemp -d /tmp/gojuon-clipboard.XXXXXX)
WORK=$(realpath "$WORK")
export HOME=$WORK XDG_RUNTIME_DIR=$WORK/run XDG_CONFIG_HOME=$WORK/config
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY QT_IM_MODULE
# A copy of the program in the session's folder, so that the holder is told from any other program by its path.
readonly PROGRAM=$WORK/gojuon-keyboard
cp "$1" "$PROGRAM"
if ! "$2" FrmKyBod >"$WORK/places" 2>"$WORK/key-places.log" || [ ! -s "$WORK/places" ]; then
    record FAIL "the keys' places come from $2" "$(tail -1 "$WORK/key-places.log")"
    summary
    rm -rf "$WORK"
    exit 1
fi

PIDS=()
cleanup() {
    local pid
    for pid in "${PIDS[@]}" $(holders); do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

# The holders of this session: the program's copy started with the hidden option.
holders() { pgrep -f -x "$PROGRAM --hold-clipboard"; }
gone() { [ ! -e "/proc/$1" ] || grep -q '^State:[[:space:]]*Z' "/proc/$1/status" 2>/dev/null; }

Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp -noreset 5>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
PIDS+=("$!")
if ! wait_for 15 test -s "$WORK/display"; then
    record FAIL "the X server starts" "$(tail -1 "$WORK/xvfb.log")"
    summary
    exit 1
fi
export DISPLAY=":$(head -1 "$WORK/display")"

# Whether a clipboard manager has taken the CLIPBOARD_MANAGER selection (through libX11, as no X tool tells).
manager_runs() {
    python3 - <<'EOF' 2>/dev/null
import ctypes, sys
x = ctypes.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XInternAtom.restype = ctypes.c_ulong
x.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
x.XGetSelectionOwner.restype = ctypes.c_ulong
display = x.XOpenDisplay(None)
sys.exit(0 if display and x.XGetSelectionOwner(display, x.XInternAtom(display, b"CLIPBOARD_MANAGER", 0)) else 1)
EOF
}

PROGRAM_PID='' WINDOW='' WIN_X=0 WIN_Y=0
keyboard_window() {
    local w
    for w in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
        case "$(xdotool getwindowname "$w" 2>/dev/null)" in
        キーボード*) WINDOW=$w && return 0 ;;
        esac
    done
    return 1
}
start_program() { # start_program LOG [OPTION...]
    "$PROGRAM" "${@:2}" >"$WORK/$1" 2>&1 &
    PROGRAM_PID=$!
    PIDS+=("$PROGRAM_PID")
    wait_for 20 keyboard_window || return 1
    # The client area's place: xdotool's window geometry counts a window manager's frame in twice.
    read -r WIN_X WIN_Y < <(xwininfo -id "$WINDOW" |
        awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } END { print x, y }')
    wait_for 10 eval '[ "$(xdotool getwindowfocus 2>/dev/null)" = "$WINDOW" ]'
}
click() { # click NAME:INDEX, or NAME for a control without an index
    local name=${1%%:*} index=- x y width height
    [ "$name" != "$1" ] && index=${1#*:}
    read -r _ _ x y width height < <(grep "^$name $index " "$WORK/places") || return 1
    xdotool mousemove --sync $((WIN_X + x + width / 2)) $((WIN_Y + y + height / 2)) click 1
}
clipboard_is() { [ "$(timeout 3 xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
program_ended() { ! kill -0 "$PROGRAM_PID" 2>/dev/null; }

# Types, copies and ends the program; says whether each step did what it should.
copy_and_end() { # copy_and_end WHERE
    local key
    if ! start_program "$1.log"; then
        record FAIL "$1: the keyboard window opens" "$(tail -3 "$WORK/$1.log")"
        return 1
    fi
    for key in $KEYS; do click "$key"; done
    click cmdCopy
    check "$1: the copied text is on the clipboard while the program runs" "not there" wait_for 5 clipboard_is "$TYPED"
    click cmdEND
    if ! wait_for 15 program_ended; then
        record FAIL "$1: 終 ends the program" "still running"
        return 1
    fi
}

# Nothing of the program's open in the holder: the socket it was handed the text on, /dev/null, its display.
holds_nothing_open() { # holds_nothing_open PID
    local fd
    [ "$(readlink "/proc/$1/cwd")" = / ] || { echo "sits in $(readlink "/proc/$1/cwd")" && return 1; }
    for fd in "/proc/$1/fd"/*; do
        case "$(readlink "$fd")" in
        /dev/null | socket:*) ;;
        *) echo "holds $(readlink "$fd") open" && return 1 ;;
        esac
    done
}

if manager_runs; then
    record SKIP "without a clipboard manager (one runs on this display)"
elif copy_and_end alone; then
    check "alone: after 終 the copied text can still be pasted" "the clipboard holds '$(timeout 3 xclip -o \
        -selection clipboard 2>&1)'" wait_for 5 clipboard_is "$TYPED"
    served=()
    for target in UTF8_STRING 'text/plain;charset=utf-8' TEXT STRING; do
        [ "$(timeout 3 xclip -o -selection clipboard -t "$target" 2>/dev/null)" = "$TYPED" ] || served+=("$target")
    done
    check "alone: it serves the text as UTF8_STRING, text/plain;charset=utf-8, TEXT and STRING" \
        "not as ${served[*]:-}" test ${#served[@]} = 0
    holder=$(holders | head -1)
    if [ -n "$holder" ]; then
        record PASS "alone: a process of the program keeps it"
        check "alone: that process holds no file open and sits in /" "$(holds_nothing_open "$holder")" \
            holds_nothing_open "$holder"
        check "alone: that process is detached, in a session of its own" "in this script's session" \
            test "$(ps -o sid= -p "$holder")" != "$(ps -o sid= -p $$)"
        # Another program copies: xclip in the foreground, so that it can be ended by its id.
        printf x | xclip -selection clipboard -quiet >/dev/null 2>&1 &
        PIDS+=("$!")
        check "alone: another program's copy takes the clipboard" "not taken" wait_for 5 clipboard_is x
        check "alone: the keeping process ends once it has lost the clipboard" "still running" wait_for 5 gone "$holder"
        check "alone: nothing of the program is left running" "$(holders | tr '\n' ' ')" \
            test -z "$(pgrep -f "^$PROGRAM")"
    else
        record FAIL "alone: a process of the program keeps it" "none runs"
    fi
fi

# Written, and copied, with switches alone: scanning step by step, Space moves the highlight and Enter picks.
switches() { # switches KEY...: each pressed as a switch is, in its own time
    local key
    for key in "$@"; do
        xdotool key "$key"
        sleep 0.2
    done
}
moves() { # moves N: N presses of the moving switch
    local n
    for ((n = 0; n < $1; n++)); do switches space; done
}
if ! start_program scanning.log --scan=step; then
    record FAIL "switches: the keyboard window opens with --scan=step" "$(tail -3 "$WORK/scanning.log")"
else
    # あ: the あ column is the first group, あ its first key. い: the bar's entries for あ lead the scan now, so
    # one move to the あ column, a pick, one move to い, a pick. Then コピー, the sixth key of the sixteenth group
    # (the entries, ten columns, two of small kana, digits, symbols, then the face marks and commands).
    switches Return Return space Return space Return
    moves 15
    switches Return
    moves 5
    switches Return
    check "switches: あい written and copied with two switches" "clipboard: $(timeout 3 xclip -o -selection clipboard 2>&1)" \
        wait_for 5 clipboard_is "あい"
    kill "$PROGRAM_PID" 2>/dev/null
    wait_for 10 program_ended
fi

# With one switch: the highlight steps by itself, and Space is pressed when the user sees it where wanted, here when
# the frame's white shows on the key's right edge in a picture of the screen (2 s a step leave that look time to
# press on a loaded machine).
lit() { # lit NAME:INDEX...: the scan frame is on each of these keys
    local control name index x y width height
    for control in "$@"; do
        name=${control%%:*} index=-
        [ "$name" != "$control" ] && index=${control#*:}
        read -r _ _ x y width height < <(grep "^$name $index " "$WORK/places") || return 1
        import -window root -crop "1x1+$((WIN_X + x + width - 2))+$((WIN_Y + y + height / 2))" txt:- 2>/dev/null |
            grep -q '#FFFFFF' || return 1
    done
}
press_when() { # press_when SECONDS KEY... [-- KEY...]: Space once the first keys are lit and the others not
    local seconds=$1 on=() off=()
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do on+=("$1") && shift; done
    [ $# -gt 0 ] && shift && off=("$@")
    wait_for "$seconds" eval 'lit "${on[@]}" && { [ ${#off[@]} = 0 ] || ! lit "${off[0]}"; }' && xdotool key space
}
if ! start_program autoscan.log --scan=auto --scan-interval=2; then
    record FAIL "one switch: the keyboard window opens with --scan=auto" "$(tail -3 "$WORK/autoscan.log")"
else
    xdotool mousemove 0 0 # off the keys, whose faces turn white under the pointer
    # The あ column (all its keys framed), then あ alone; again for い; then the commands, and コピー alone.
    press_when 40 cmdMoji:0 cmdMoji:1 && press_when 5 cmdMoji:0 -- cmdMoji:1 \
        && press_when 40 cmdMoji:0 cmdMoji:1 && press_when 10 cmdMoji:1 -- cmdMoji:0 \
        && press_when 40 cmdCopy cmdEND && press_when 15 cmdCopy -- cmdEND
    check "one switch: あい written and copied with a single switch, the highlight moving by itself" \
        "clipboard: $(timeout 3 xclip -o -selection clipboard 2>&1)" wait_for 5 clipboard_is "あい"
    kill "$PROGRAM_PID" 2>/dev/null
    wait_for 10 program_ended
fi

if ! command -v xfsettingsd >/dev/null || ! command -v python3 >/dev/null || [ -z "${CLIPBOARD_E2E_BUS:-}" ]; then
    record SKIP "under a clipboard manager (xfce4-settings, python3 or dbus-run-session is missing)"
else
    xfsettingsd --disable-wm-check >"$WORK/xfsettingsd.log" 2>&1 &
    PIDS+=("$!")
    if ! wait_for 15 manager_runs; then
        record FAIL "managed: xfsettingsd takes CLIPBOARD_MANAGER" "$(tail -3 "$WORK/xfsettingsd.log")"
    elif copy_and_end managed; then
        # Qt hands the text to the manager as the program ends; a holder would only race it.
        check "managed: no process of the program is left to keep it" "$(holders | tr '\n' ' ')" \
            test -z "$(pgrep -f "^$PROGRAM")"
        check "managed: the clipboard manager keeps the copy after the program has ended" "lost" \
            wait_for 5 clipboard_is "$TYPED"
    fi
fi

finish
exit 0
