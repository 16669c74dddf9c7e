#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads the keyboard's accessible names over AT-SPI: a private X server and a private session bus, on which the
# accessibility bus and its registry start on demand as on a desktop; tst_atspi starts the program and reads it.
# Exits 77 (skipped) when the X server, D-Bus or AT-SPI is not installed. Everything it starts is ended before it
# returns.
# Usage: atspi-check.sh PROGRAM TST_ATSPI
set -uo pipefail
program=$1
client=$2

skip() {
    echo "SKIPPED: $1 (apt-get install xvfb dbus at-spi2-core)"
    exit 77
}
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed"
[ -e /usr/share/dbus-1/services/org.a11y.Bus.service ] || skip "the AT-SPI bus launcher is not installed"

work=$(mktemp -d)
xvfb=
session=
cleanup() {
    # The session's processes (bus, accessibility bus, registry, program) share one process group.
    [ -n "$session" ] && kill -TERM -- "-$session" 2>/dev/null
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
    wait 2>/dev/null
    [ -n "$session" ] && kill -KILL -- "-$session" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it is ready to answer. It must not reset when its
# last client leaves: the accessibility bus launcher connects and leaves before the program does.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 20 display <"$work/display" || { cat "$work/xvfb.log"; echo "Xvfb did not start"; exit 1; }

# A fresh session bus, in a process group of its own so that whatever it starts can be ended with it. No
# inherited accessibility settings: the program turns accessibility on by QT_LINUX_ACCESSIBILITY_ALWAYS_ON.
env -u DBUS_SESSION_BUS_ADDRESS -u AT_SPI_BUS_ADDRESS DISPLAY=":$display" GOJUON_PROGRAM="$program" \
    XDG_RUNTIME_DIR="$work" HOME="$work" \
    setsid -w timeout 50 dbus-run-session -- "$client" &
session=$!
wait "$session"
status=$?
exit "$status"
