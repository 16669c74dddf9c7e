#!/usr/bin/env bash
# Start-up time to the first complete frame and memory a second later, under Xvfb: median of 5 after a warm-up.
# Usage: bench/startup-bench.sh [build-dir]
set -euo pipefail
build=${1:-build}
bench="$build/bench/bench-startup"
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done

runs=()
for i in 0 1 2 3 4 5; do
    line=$(DISPLAY=$display QT_QPA_PLATFORM=xcb BENCH_T0=$(date +%s%N) "$bench" 2>/dev/null)
    [ "$i" = 0 ] && continue # warm-up
    runs+=("$line")
    echo "  run $i: $line"
done
median() { sort -n | sed -n 3p; }
printf '%s\n' "${runs[@]}" | awk '{ print $2 }' | median | xargs printf 'median: keyboard %s ms, '
printf '%s\n' "${runs[@]}" | awk '{ print $5 }' | median | xargs printf 'both windows %s ms, '
printf '%s\n' "${runs[@]}" | awk '{ print $8 }' | median | xargs printf 'VmRSS %s KiB, '
printf '%s\n' "${runs[@]}" | awk '{ print $11 }' | median | xargs printf 'private %s KiB\n'
