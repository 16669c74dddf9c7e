#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Soak: the event storm of tests/tst_storm.cpp at length, one fresh program per seed, with its pace, its figures and
# its peak memory per run. A failure is shrunk (for up to ten minutes) and printed with its seed.
# Usage: bench/soak.sh [BUILD-DIR [EVENTS-PER-SEED [SEED...]]]
#   bench/soak.sh build 1000000 1 2 3      one million events for each of three seeds
#   bench/soak.sh build-sanitize 200000    the same under the sanitizers (make sanitize builds build-sanitize)
set -euo pipefail
build=${1:-build}
events=${2:-1000000}
shift $(($# < 2 ? $# : 2))
seeds=("$@")
[ ${#seeds[@]} -gt 0 ] || seeds=(1 2 3)
storm=$build/tests/tst_storm
[ -x "$storm" ] || { echo "$storm is not built (make build)"; exit 1; }

if [ "$build" = build-sanitize ]; then
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$(cd "$(dirname "$0")/.." && pwd)/tests/lsan.supp:print_suppressions=0}
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
failed=0
for seed in "${seeds[@]}"; do
    echo "seed $seed, $events events:"
    status=0
    STORM_SEED=$seed STORM_EVENTS=$events STORM_SHRINK_SECONDS=600 QT_QPA_PLATFORM=offscreen \
        "$storm" randomEventsKeepTheTextAndTheWindowsSound >"$log" 2>&1 || status=$?
    grep -E '^(QINFO|FAIL|QWARN)|^  ' "$log" | sed -e 's/^QINFO  : StormTest::[A-Za-z]*() /  /' || true
    [ "$status" = 0 ] || { echo "  failed (status $status)"; failed=1; }
done
exit $failed
