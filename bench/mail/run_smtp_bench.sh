#!/usr/bin/env bash
# Times the program's SMTP delivery against Python's smtplib: 10,000 recipients
# in transactions of 99 to Postfix's smtp-sink on a free loopback port.
# Installs postfix for smtp-sink if needed without starting its mail daemon,
# and stops the sink when done. Build first (scripts/build.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${QV_BUILD_DIR:-$root/build}"
recipients="${1:-10000}"
max="${2:-99}"
runs="${3:-3}"
sink=/usr/sbin/smtp-sink

if [ ! -x "$sink" ]; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    # "No configuration" leaves the mail daemon unconfigured and stopped.
    echo "postfix postfix/main_mailer_type select No configuration" |
        "${as_root[@]}" debconf-set-selections
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends postfix >/dev/null
fi
if [ -f /etc/postfix/main.cf ] && postfix status >/dev/null 2>&1; then
    echo "stopping the postfix daemon the install started"
    postfix stop >/dev/null 2>&1 || true
fi

cmake --build "$build" --target smtp_bench >/dev/null
port="$(/usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
sink_user=()
[ "$(id -u)" -ne 0 ] || sink_user=(-u nobody)
"$sink" "${sink_user[@]}" "127.0.0.1:$port" 256 &
sink_pid=$!
trap 'kill "$sink_pid" 2>/dev/null; wait "$sink_pid" 2>/dev/null || true' EXIT
sleep 0.5

for i in $(seq "$runs"); do
    "$build/bench/mail/smtp_bench" 127.0.0.1 "$port" "$recipients" "$max"
    /usr/bin/python3 "$root/bench/mail/smtplib_bench.py" 127.0.0.1 "$port" "$recipients" "$max"
done
