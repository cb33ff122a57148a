#!/usr/bin/env bash
# Takes the README's screenshots into docs/: builds the program and the
# screenshot taker, and runs it under Xvfb with the shipped lists and pages.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${QV_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
cmake --build "$build" --target qv_take_screenshots
xvfb-run -a -s "-screen 0 1280x1024x24" "$build/app/qv_take_screenshots" "$root/docs"
