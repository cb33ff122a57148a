#!/bin/sh
# Runs a test program beside a keyring of its own: a private session bus
# (dbus-run-session) with a Secret Service (gnome-keyring-daemon, unlocked
# with a password of its own) whose files live in a temporary home. Without
# --keyring the program runs with no bus at all, as without a desktop.
# Both end with the program; the user's own keyring is never reached.
#
# Usage: run_with_keyring.sh [--keyring] PROGRAM [ARGUMENTS...]
set -eu

if [ "${1:-}" = "--keyring" ]; then
    shift
    exec dbus-run-session -- "$0" --inside-bus "$@"
fi

home="$(mktemp -d "${TMPDIR:-/tmp}/qvkeyring-XXXXXX")"
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/run"
export HOME="$home/home" XDG_DATA_HOME="$home/home/.local/share" \
    XDG_CONFIG_HOME="$home/home/.config" XDG_RUNTIME_DIR="$home/run"
mkdir -p "$HOME"
unset DISPLAY WAYLAND_DISPLAY

if [ "${1:-}" = "--inside-bus" ]; then
    shift
    # The daemon goes into the background once it serves the bus, and ends
    # with the bus.
    keyring_env="$(printf 'test' | gnome-keyring-daemon --unlock --components=secrets)"
    eval "$keyring_env"
    "$@"
else
    unset DBUS_SESSION_BUS_ADDRESS
    "$@"
fi
