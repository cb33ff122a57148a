#!/usr/bin/env bash
# Configures and builds the sanitized build into build-sanitize/ (or
# $QV_SANITIZE_BUILD_DIR, by default $QV_BUILD_DIR-sanitize): the logic
# libraries, their tests and the fuzz targets, compiled with AddressSanitizer
# and UndefinedBehaviorSanitizer. It uses clang, whose libFuzzer drives the
# fuzz targets, when installed, and the default compiler otherwise.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QV_BUILD_DIR:-$root/build}"
sanitized="${QV_SANITIZE_BUILD_DIR:-$build-sanitize}"
compiler=()
if [ ! -f "$sanitized/CMakeCache.txt" ] && command -v clang++ >/dev/null; then
    compiler=(-DCMAKE_CXX_COMPILER=clang++)
fi
cmake -S "$root" -B "$sanitized" -DCMAKE_BUILD_TYPE="${QV_BUILD_TYPE:-RelWithDebInfo}" \
    -DQV_SANITIZE=ON "${compiler[@]}" >/dev/null
cmake --build "$sanitized" --target qv_sanitized --parallel "$(nproc)"
