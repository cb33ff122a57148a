#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test with CTest: all of
# them in the normal build, then the logic libraries' tests (label "core")
# and the bounded fuzz runs (label "fuzz") in the sanitized build (see
# scripts/build-sanitized.sh). Ends with the summary line of each run, and
# fails when either run failed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
"$root/scripts/build-sanitized.sh"
build="${QV_BUILD_DIR:-$root/build}"
sanitized="${QV_SANITIZE_BUILD_DIR:-$build-sanitize}"
export QT_QPA_PLATFORM=offscreen
log="$(mktemp)"
trap 'rm -f "$log"' EXIT

# run TITLE FOLDER CTEST-ARGUMENTS...: runs CTest in FOLDER and keeps its
# summary line under TITLE.
status=0
summaries=()
run() {
    local title=$1 folder=$2
    shift 2
    echo "== $title"
    local rc=0
    (cd "$folder" && ctest --output-on-failure --parallel "$(nproc)" --timeout 900 "$@") \
        | tee "$log" || rc=$?
    [ "$rc" -eq 0 ] || status=1
    summaries+=("$title: $(grep -E 'tests passed|No tests were found' "$log" | tail -1)")
}
run "Normal build" "$build"
run "Sanitized build" "$sanitized" -L '^(core|fuzz)$'
printf '%s\n' "${summaries[@]}"
exit "$status"
