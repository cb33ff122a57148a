#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorvane with its shipped lists.
# Without a display the program is started under Xvfb.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
exe="${QV_BUILD_DIR:-$root/build}/app/quorvane"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display found: starting Quorvane under Xvfb (xvfb-run)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$exe" "$@"
fi
exec "$exe" "$@"
