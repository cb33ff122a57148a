#!/usr/bin/env bash
# scripts/fuzz.sh [MINUTES [PATTERN]]
#
# Builds the sanitized build (scripts/build-sanitized.sh) and runs each fuzz
# target for MINUTES (default 10), or only those whose names match the CTest
# regular expression PATTERN, as many at once as there are cores. Unlike the
# test suite's 20-second runs these keep the inputs they find between runs
# (under build-sanitize/fuzz/<target>/corpus) and take a new seed each time.
# A target that fails leaves the input under build-sanitize/fuzz/<target>/findings;
# run the target on that file alone to see the report again.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
minutes="${1:-10}"
pattern="${2:-.}"
"$root/scripts/install-deps.sh"
"$root/scripts/build-sanitized.sh"
build="${QV_BUILD_DIR:-$root/build}"
sanitized="${QV_SANITIZE_BUILD_DIR:-$build-sanitize}"
cd "$sanitized"
export QV_FUZZ_SECONDS=$((minutes * 60)) QV_FUZZ_KEEP=1
ctest -L '^fuzz$' -R "$pattern" --output-on-failure --parallel "$(nproc)" \
    --timeout $((minutes * 60 + 300))
