#!/usr/bin/env bash
# Configures and builds the project into build/ (or $QV_BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QV_BUILD_DIR:-$root/build}"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE="${QV_BUILD_TYPE:-RelWithDebInfo}" -DQV_WERROR=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"
