#!/usr/bin/env bash
# Instructions per pointer move, counted by callgrind (repeatable on a busy machine), and repaints per move, with
# dwell off and on.
# Usage: bench/pointer-bench.sh [build-dir]
set -euo pipefail
build=${1:-build}
bench="$build/bench/bench-pointer"
moves=200
command -v valgrind >/dev/null || { echo "valgrind is not installed (apt-get install valgrind)"; exit 1; }
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

echo "Figures without valgrind:"
BENCH_MOVES=2000 "$bench"
BENCH_DWELL=1 BENCH_MOVES=2000 "$bench"
echo
echo "Instructions per move (callgrind, $moves moves each):"
for dwell in 0 1; do
    for name in within across marks $([ "$dwell" = 1 ] && echo ring); do
        BENCH_DWELL=$dwell BENCH_SCENARIO=$name BENCH_MOVES=$moves valgrind --tool=callgrind \
            --callgrind-out-file="$out/$name.out" --collect-atstart=no "--toggle-collect=*benchMoves*" "$bench" \
            >"$out/$name.log" 2>&1
        total=$(callgrind_annotate "$out/$name.out" 2>/dev/null | awk '/PROGRAM TOTALS/ { gsub(",", "", $1); print $1 }')
        printf '  dwell %-3s %-8s %10.0f instructions/move\n' "$([ "$dwell" = 1 ] && echo on || echo off)" "$name" \
            "$(echo "$total / $moves" | bc -l)"
    done
done
