#!/usr/bin/env bash
# Runs a test program inside a headless GNOME Wayland session of its own (see
# scripts/private-wayland.sh) and ends every process of the session afterwards. Exits 77,
# the skip code, only when the compositor cannot start at all.
#   in_private_session.sh <test program> [arguments...]
# KORVO_SESSION_SIZE sets the monitor's size (1280x800 by default).
set -uo pipefail
source "$(dirname "$0")/../../scripts/private-wayland.sh"

work=$(mktemp -d)
trap 'stop_private_wayland; rm -rf "$work"' EXIT
if ! command -v mutter >/dev/null || ! start_private_wayland "$work/session" "${KORVO_SESSION_SIZE:-1280x800}"; then
    echo "SKIP: no headless GNOME session could be started" >&2
    [ -f "$work/session/mutter.log" ] && tail -n 5 "$work/session/mutter.log" >&2
    exit 77
fi
export KORVO_TEST_MUTTER_PID=$mutter_pid
"$@"
