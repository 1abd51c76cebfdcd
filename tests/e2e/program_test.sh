#!/usr/bin/env bash
# The real program on a display of its own: leaving through the close button gives exit
# code 1 and leaves no temporary frame directory behind; a second instance on the same
# display shows its box even with messages suppressed, ends with exit code 0 and leaves
# the first one running.
#   program_test.sh <korvo executable> <x_helper executable>
set -euo pipefail
program=$1
helper=$2

work=$(mktemp -d)
display_pid=""
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

source "$(dirname "$0")/../../scripts/private-display.sh"
start_private_display 1024x768x24 || fail "Xvfb did not start"
export DISPLAY=$display
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$TMPDIR"

# The program reads settings.ini beside itself: give it a directory of its own.
mkdir "$work/bin"
cp "$program" "$work/bin/korvo"
printf '[misc]\r\nsuppress=1\r\nlang=english\r\n' >"$work/bin/settings.ini"

# Waits up to 20 s for a child to end and puts its exit code into `code`.
await_exit() {
    local pid=$1
    for _ in $(seq 200); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then code=timeout; return; fi
    code=0
    wait "$pid" || code=$?
}

"$work/bin/korvo" &
first=$!
pids+=("$first")
"$helper" wait-window "$first" || fail "the main window did not appear"
sleep 1  # the fade-in
ls "$TMPDIR" | grep -q '^korvo-' || fail "no private frame directory while running"

"$work/bin/korvo" &
second=$!
pids+=("$second")
"$helper" wait-window "$second" || fail "the second instance showed no box"
[ "$("$helper" count "$second")" = 1 ] || fail "the second instance showed more than its box"
"$helper" close "$second"
await_exit "$second"
[ "$code" = 0 ] || fail "second instance ended with $code, expected 0"
kill -0 "$first" 2>/dev/null || fail "the first instance did not survive the second"

"$helper" close "$first" || fail "could not reach the main window"
await_exit "$first"
[ "$code" = 1 ] || fail "the close button ended the program with $code, expected 1"
if ls "$TMPDIR" | grep -q '^korvo-'; then fail "the private frame directory is left behind"; fi
"$work/bin/korvo" &
third=$!
pids+=("$third")
"$helper" wait-window "$third" || fail "the main window did not appear again"
ls "$TMPDIR" | grep -q '^korvo-' || fail "no private frame directory in the new run"
kill -SEGV "$third"
await_exit "$third"
[ "$code" = 0 ] || fail "a fault ended the program with $code, expected 0"
if ls "$TMPDIR" | grep -q '^korvo-'; then fail "the emergency exit left the frame directory"; fi
# "Start in tray": without a tray the window still shows (else nothing could bring it
# back); with one, the program starts hidden.
printf '[misc]\r\nsuppress=1\r\nsystray=1\r\n' >"$work/bin/settings.ini"
"$work/bin/korvo" &
fourth=$!
pids+=("$fourth")
"$helper" wait-window "$fourth" || fail "without a tray, Start in tray hid the window"
"$helper" close "$fourth"
await_exit "$fourth"
[ "$code" = 1 ] || fail "closing ended the program with $code, expected 1"

"$helper" tray &
pids+=("$!")
sleep 0.5
"$work/bin/korvo" &
fifth=$!
pids+=("$fifth")
sleep 3
kill -0 "$fifth" 2>/dev/null || fail "the program started in the tray did not keep running"
[ "$("$helper" count "$fifth")" = 0 ] || fail "with a tray, Start in tray showed the window"
echo "program test passed"
