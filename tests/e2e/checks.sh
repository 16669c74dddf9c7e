# shellcheck shell=bash
# SPDX-License-Identifier: GPL-3.0-or-later
# What every end-to-end script reports with: one line a check ("ok", "FAILED" with what was seen, "skipped"), the
# closing "N passed, N failed, N skipped" line and the exit status CTest reads (77: nothing could be checked here).
# Source it first.

PASSED=0 FAILED=0 SKIPPED=0
record() { # record PASS|FAIL|SKIP description [detail]
    case "$1" in
    PASS) echo "ok      $2" && PASSED=$((PASSED + 1)) ;;
    FAIL) echo "FAILED  $2${3:+ ($3)}" && FAILED=$((FAILED + 1)) ;;
    SKIP) echo "skipped $2" && SKIPPED=$((SKIPPED + 1)) ;;
    esac
}
check() { # check DESCRIPTION DETAIL COMMAND...
    local description=$1 detail=$2
    shift 2
    if "$@"; then record PASS "$description"; else record FAIL "$description" "$detail"; fi
}
note() { echo "note    $*"; }
wait_for() { # wait_for SECONDS COMMAND...: polls every 0.1 s
    local tries=$(($1 * 10))
    shift
    while ((tries-- > 0)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
summary() { echo "$PASSED passed, $FAILED failed, $SKIPPED skipped"; }
# Prints the summary and exits: failure if a check failed, 77 if none passed.
finish() {
    summary
    ((FAILED)) && exit 1
    ((PASSED)) || exit 77
    exit 0
}
