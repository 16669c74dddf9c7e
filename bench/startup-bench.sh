#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Start-up of the program as installed, on a private Xvfb: the time from its exec to the first complete frame of
# the keyboard and of the first explanation page, and its memory a second later. The least Qt program that opens two
# such windows (bench-qt-floor) runs in turn with it, each measured alike, so that both meet the same load of the
# machine; after a warm-up run of each, the medians of RUNS runs of each (15 unless set) and their ratio.
# Usage: bench/startup-bench.sh [BUILD-DIR [PROGRAM]]   (PROGRAM: /usr/bin/gojuon-keyboard when installed, else the
# build's own)
set -euo pipefail
build=${1:-build}
program=${2:-}
if [ -z "$program" ]; then
    if [ -x /usr/bin/gojuon-keyboard ]; then program=/usr/bin/gojuon-keyboard; else program=$build/gojuon-keyboard; fi
fi
probe=$build/bench/bench-startup
[ -x "$probe" ] || { echo "$probe is not built (it needs libxcb-damage0-dev)"; exit 1; }
[ -x "$program" ] || { echo "$program: no such program"; exit 1; }

work=$(mktemp -d)
xvfb=
cleanup() {
    [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb chooses a free display and writes its number once it answers, so no other server can be mistaken for it;
# the display's socket must be listened on by this very process.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb=$!
read -r -t 20 display <"$work/display" || { cat "$work/xvfb.log"; echo "Xvfb did not start"; exit 1; }
if command -v ss >/dev/null; then
    ss -xlpn | grep -F "/tmp/.X11-unix/X$display " | grep -q "pid=$xvfb," \
        || { echo "display :$display is not answered by this Xvfb (process $xvfb)"; exit 1; }
fi

keyboard=$(printf '\u30AD\u30FC\u30DC\u30FC\u30C9') # キーボード
page=$(printf '\u8AAC\u660E\u30FC\uFF11')           # 説明ー１

runs=${RUNS:-15}
median() { # FIELD LINE...: the median of a field over the lines
    local field=$1
    shift
    printf '%s\n' "$@" | tr ' ' '\n' | sed -n "s/^$field=//p" | sort -n | awk '{ v[NR] = $1 }
        END { printf "%.1f", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
kib() { awk -v k="$1" 'BEGIN { printf "%.1f MiB", k / 1024 }'; }

run() { # PROGRAM: one start, its line of figures
    # As a desktop starts it: the X display, a home, a UTF-8 locale, nothing else.
    env -i PATH="$PATH" HOME="$HOME" LANG=C.UTF-8 XDG_RUNTIME_DIR="$work" DISPLAY=":$display" \
        "$probe" "$1" "$keyboard" "$page" 2>"$work/run.log" || { cat "$work/run.log" >&2; exit 1; }
}

summary() { # LINE...: the medians
    echo "  median of $#: keyboard $(median window1 "$@") ms, page 1 $(median window2 "$@") ms," \
        "both windows $(median all "$@") ms ($(median cpu "$@") ms of processor time);"
    echo "  VmRSS $(kib "$(median rss "$@")"), private $(kib "$(median private_dirty "$@")") written" \
        "+ $(kib "$(median private_clean "$@")") clean (file pages no other process maps now)"
}

# What Qt itself costs on this machine: two windows of the same titles and sizes, one line of kana each.
floor=$build/bench/bench-qt-floor
[ -x "$floor" ] || { echo "$floor is not built"; exit 1; }
echo "$program and $floor in turn on display :$display"
echo "  warm-up: $(run "$program")"
echo "  warm-up: $(run "$floor") (floor)"
programRuns=()
floorRuns=()
for ((i = 1; i <= runs; i++)); do
    line=$(run "$program")
    programRuns+=("$line")
    echo "  run $i: $line"
    line=$(run "$floor")
    floorRuns+=("$line")
    echo "  run $i: $line (floor)"
done
echo "$program:"
summary "${programRuns[@]}"
echo "the least Qt program with two such windows:"
summary "${floorRuns[@]}"
awk -v p="$(median all "${programRuns[@]}")" -v f="$(median all "${floorRuns[@]}")" \
    'BEGIN { printf "both windows: %.2f times the floor\n", p / f }'
