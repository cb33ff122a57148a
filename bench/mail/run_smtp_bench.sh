#!/usr/bin/env bash
# Times the program's SMTP delivery against Python's smtplib: 10,000 recipients
# in transactions of 99 to Postfix's smtp-sink on a free loopback port.
#
#   run_smtp_bench.sh [--security N] [RECIPIENTS [MAX [RUNS]]]
#
# --security 0 (the default) greets with Helo, as the program does without
# security or password. 1 and 2 greet with EHLO, which brings in the sink's
# PIPELINING; the sink has no STARTTLS of its own, so 1 runs unencrypted and 2
# is refused. 3 puts a TLS listener (socat, with a certificate this script
# makes) in front of the sink and talks TLS from the first byte; smtplib then
# uses SMTP_SSL.
#
# Installs postfix for smtp-sink (and socat for 3) if needed, without starting
# the mail daemon, and stops what it started when done. Build first
# (scripts/build.sh).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${QV_BUILD_DIR:-$root/build}"
security=0
if [ "${1:-}" = "--security" ]; then
    security="$2"
    shift 2
fi
recipients="${1:-10000}"
max="${2:-99}"
runs="${3:-3}"
sink=/usr/sbin/smtp-sink

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
if [ ! -x "$sink" ]; then
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
if [ "$security" = 3 ] && ! command -v socat >/dev/null; then
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
        --no-install-recommends socat >/dev/null
fi

cmake --build "$build" --target smtp_bench >/dev/null
free_port() {
    /usr/bin/python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}
port="$(free_port)"
sink_user=()
[ "$(id -u)" -ne 0 ] || sink_user=(-u nobody)
pids=()
work="$(mktemp -d)"
cleanup() {
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT
"$sink" "${sink_user[@]}" "127.0.0.1:$port" 256 &
pids+=($!)

target_port="$port"
tls_args=()
if [ "$security" = 3 ]; then
    openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 \
        -subj /CN=localhost -addext "subjectAltName=IP:127.0.0.1" \
        -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
    target_port="$(free_port)"
    socat "OPENSSL-LISTEN:$target_port,bind=127.0.0.1,reuseaddr,fork,cert=$work/cert.pem,key=$work/key.pem,verify=0" \
        "TCP:127.0.0.1:$port" &
    pids+=($!)
    tls_args=("$work/cert.pem")
fi
sleep 0.5

for i in $(seq "$runs"); do
    "$build/bench/mail/smtp_bench" 127.0.0.1 "$target_port" "$recipients" "$max" "$security" "${tls_args[@]}"
    /usr/bin/python3 "$root/bench/mail/smtplib_bench.py" 127.0.0.1 "$target_port" "$recipients" "$max" "${tls_args[@]}"
done
