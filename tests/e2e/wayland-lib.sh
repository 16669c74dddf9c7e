# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the end-to-end scripts that run the program on a real Wayland compositor: sway on its headless
# backend, as an unprivileged user with a private runtime folder, with clicks, keys, pictures and window places.
#
# Source it, then: wl_require (exits 77 when a tool is missing), wl_start (the compositor and a pointer for the
# seat), wl_run_program PROGRAM, and the helpers below. Every check prints one line; wl_finish prints the closing
# "N passed, N failed, N skipped" line and exits. Runs as root in CI: sway and the program then run as WL_USER.
# WL_KEEP=1 keeps the work folder (the logs and pictures) for a look after a failure.

# shellcheck source=checks.sh
. "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

WL_USER=${WL_USER:-gojuon-e2e}
# Fixed size windows float in sway; the output is larger than the keyboard at twice its size.
readonly WL_OUTPUT_WIDTH=1920 WL_OUTPUT_HEIGHT=1080
WL_PIDS=() WL_WORK='' WL_LAST=''
export PROGRAM_PID=''

# A check of a fault the program still has on this compositor: skipped, with what it is, while it fails.
known() { # known DESCRIPTION FAULT COMMAND...
    local description=$1 fault=$2
    shift 2
    if "$@"; then record PASS "$description"; else record SKIP "$description (known fault: $fault)"; fi
}

wl_finish() { finish; }

# Exits 77 (skipped) with the reason when the compositor, its tools or Qt's Wayland plugin are missing.
wl_require() { # wl_require NAME
    local missing=() tool plugin
    for tool in sway swaymsg wayvnc wtype grim jq wl-paste setpriv convert; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    plugin=$(find /usr/lib/*/qt6/plugins/platforms /usr/lib/qt6/plugins/platforms -name 'libqwayland-generic.so' \
        2>/dev/null | head -1)
    [ -n "$plugin" ] || missing+=(qt6-wayland)
    if [ "$(id -u)" = 0 ] && ! id "$WL_USER" >/dev/null 2>&1 && ! command -v useradd >/dev/null; then
        missing+=(useradd)
    fi
    if ((${#missing[@]})); then
        echo "$1: skipped: missing ${missing[*]} (make e2e-deps installs them)"
        echo "0 passed, 0 failed, 1 skipped"
        exit 77
    fi
}

# A command as the test user (or as oneself when not root) with only the session's environment, in WL_COMMAND.
# setpriv and env exec in place, so a background run's $! is the command's own process id.
wl_user_command() { # wl_user_command [VAR=VALUE...] COMMAND...
    WL_COMMAND=()
    [ "$(id -u)" = 0 ] && WL_COMMAND=(setpriv --reuid="$WL_USER" --regid="$WL_USER" --init-groups)
    WL_COMMAND+=(env -i PATH=/usr/local/bin:/usr/bin:/bin HOME="$WL_WORK/home" XDG_RUNTIME_DIR="$WL_WORK/run"
        XDG_CONFIG_HOME="$WL_WORK/home/.config" WAYLAND_DISPLAY=wayland-1 LANG=C.UTF-8)
    [ -n "${SWAYSOCK:-}" ] && WL_COMMAND+=(SWAYSOCK="$SWAYSOCK")
    WL_COMMAND+=("$@")
}
wl_as_user() { # wl_as_user [VAR=VALUE...] COMMAND...
    wl_user_command "$@"
    "${WL_COMMAND[@]}"
}
wl_background() { # wl_background LOG COMMAND...: starts as the test user; the pid goes to WL_PIDS and $WL_LAST
    local log=$1
    shift
    wl_user_command "$@"
    "${WL_COMMAND[@]}" >"$log" 2>&1 &
    WL_LAST=$!
    WL_PIDS+=("$WL_LAST")
}

wl_cleanup() {
    local pid i
    # Newest first: the program, then the pointer, then the compositor.
    for ((i = ${#WL_PIDS[@]} - 1; i >= 0; --i)); do
        pid=${WL_PIDS[i]}
        kill "$pid" 2>/dev/null || continue
        wait_for 3 eval "! kill -0 $pid 2>/dev/null" || kill -9 "$pid" 2>/dev/null
    done
    wait 2>/dev/null
    [ -n "$WL_WORK" ] && [ -z "${WL_KEEP:-}" ] && rm -rf "$WL_WORK"
}

# The compositor on its headless backend, drawn by the CPU, with no input devices of its own, and wayvnc on a
# socket in the runtime folder: its virtual pointer and keyboard give the seat the pointer that sway's
# "seat - cursor" commands drive (without one the clicks reach no window). wtype brings its own keyboard.
wl_start() { # wl_start [no-pointer]
    if [ "$(id -u)" = 0 ] && ! id "$WL_USER" >/dev/null 2>&1; then
        useradd -m -s /usr/sbin/nologin "$WL_USER" || return 1
    fi
    WL_WORK=$(mktemp -d /tmp/gojuon-wayland.XXXXXX)
    chmod 755 "$WL_WORK"
    mkdir -m 700 "$WL_WORK/run" "$WL_WORK/home" "$WL_WORK/shots"
    [ "$(id -u)" = 0 ] && chown "$WL_USER:" "$WL_WORK/run" "$WL_WORK/home" "$WL_WORK/shots"
    cat >"$WL_WORK/sway.conf" <<EOF
output HEADLESS-1 resolution ${WL_OUTPUT_WIDTH}x$WL_OUTPUT_HEIGHT position 0 0
xwayland disable
focus_follows_mouse no
EOF
    trap wl_cleanup EXIT
    trap 'exit 1' INT TERM
    wl_background "$WL_WORK/sway.log" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
        sway -c "$WL_WORK/sway.conf"
    if ! wait_for 15 eval 'compgen -G "$WL_WORK/run/sway-ipc.*.sock" >/dev/null && [ -S "$WL_WORK/run/wayland-1" ]'; then
        record FAIL "sway starts" "$(tail -1 "$WL_WORK/sway.log")"
        return 1
    fi
    SWAYSOCK=$(compgen -G "$WL_WORK/run/sway-ipc.*.sock" | head -1)
    [ "${1:-}" = no-pointer ] && return 0
    wl_background "$WL_WORK/wayvnc.log" wayvnc --unix-socket "$WL_WORK/run/vnc.sock"
    if ! wait_for 10 eval '[ "$(wl_msg -t get_seats | jq ".[0].capabilities")" = 3 ]'; then
        record FAIL "wayvnc gives the seat a pointer and a keyboard" "$(tail -1 "$WL_WORK/wayvnc.log")"
        return 1
    fi
}

wl_msg() { wl_as_user swaymsg "$@"; }
wl_tree() { wl_msg -t get_tree; }
# The client area of the program's window with this title, in output pixels: "x y width height".
wl_window() { # wl_window TITLE
    wl_tree | jq -r --arg t "$1" 'first(.. | objects | select(.pid? != null and .name == $t)
        | "\(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y) \(.window_rect.width) \(.window_rect.height)")
        // empty' | grep .
}
wl_has_window() { wl_window "$1" >/dev/null; }
wl_window_type() { wl_tree | jq -r --arg t "$1" 'first(.. | objects | select(.pid? != null and .name == $t) | .type)'; }
wl_focused() { wl_tree | jq -r 'first(.. | objects | select(.focused? == true) | .name) // empty'; }
wl_is_focused() { [ "$(wl_focused)" = "$1" ]; }
wl_move() { wl_msg -q "[title=\"^$1\$\"] move position $2 $3"; }

# Clicks TIMES times at X Y of the output. The pointer is set first and left to settle, so the window under it
# has the pointer's focus before the button goes down.
wl_click() { # wl_click X Y [TIMES]
    local times=${3:-1}
    wl_msg -q seat - cursor set "$1" "$2" && sleep 0.15
    while ((times-- > 0)); do
        wl_msg -q seat - cursor press button1 && wl_msg -q seat - cursor release button1 || return 1
        sleep 0.06
    done
}
wl_type() { wl_as_user wtype "$@"; }
wl_shot() { wl_as_user grim "$WL_WORK/shots/$1.png" && echo "$WL_WORK/shots/$1.png"; }
# With the pointer drawn in (sway draws it itself on the headless output).
wl_shot_pointer() { wl_as_user grim -c "$WL_WORK/shots/$1.png" && echo "$WL_WORK/shots/$1.png"; }
# The colours in a rectangle of a picture as "#RRGGBB", the most frequent first. Popups are not in sway's tree, so
# pictures are how a check finds them.
wl_colours() { # wl_colours PICTURE X Y WIDTH HEIGHT
    convert "$1" -crop "${4}x$5+$2+$3" +repage -alpha off -format %c histogram:info:- |
        sort -rn | grep -o '#[0-9A-Fa-f]\{6\}' | tr a-f A-F
}
wl_clipboard() { wl_as_user timeout 3 wl-paste --no-newline 2>/dev/null; }

# The program as the test user with Qt on Wayland; extra VAR=VALUE words go before it.
wl_run_program() { # wl_run_program PROGRAM [VAR=VALUE...]
    local program=$1
    shift
    wl_background "$WL_WORK/program.log" QT_QPA_PLATFORM=wayland "$@" "$program"
    PROGRAM_PID=$WL_LAST
}
