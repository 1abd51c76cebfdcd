#!/usr/bin/env bash
# Keys a client sends to korvo.exe under Wine, with a German keyboard on the test's X
# display, as a window of another program receives them: the navigation keys flagged
# as extended keys (Return not), and 'z' and 'y' typed as the German layout types them.
#
#   keyboard_test.sh KORVO_EXE DESKTOP_PROBE_EXE      (DISPLAY: the Wine desktop)
set -euo pipefail
exe=$1
probe=$2
test_name="keyboard test"
source "$(dirname "$0")/under_wine.sh"
restore_layout() { setxkbmap -layout us 2>/dev/null || true; }
more_cleanup=restore_layout

# Wine takes its keyboard from the X display when a program starts.
setxkbmap -layout de || fail "the German layout could not be set"
start_typing_server "$exe" "$probe"

mkfifo "$work/probe-out"
wine "$probe" record-keys >"$work/probe-out" 2>/dev/null &
probe_pid=$!
exec 3<"$work/probe-out"
read -r -t 30 ready <&3 || fail "the recording window did not start"
[ "${ready%$'\r'}" = ready ] || fail "the recording window said '$ready'"

PYTHONPATH=$(dirname "$0") python3 - "$port" <<'PY' || fail "the raw client's exchange failed"
import sys, time
from raw_client import connect, log_in, send_key

s = connect(int(sys.argv[1]))
log_in(s)
def event(kind, value):
    send_key(s, kind, value)
    time.sleep(0.2)
# Left, Home, Delete as virtual keys; z and y as characters; Return ends the recording.
for key in (0x25, 0x24, 0x2E):
    event(2, key)
for character in b"zy":
    event(1, character)
event(2, 0x0D)
time.sleep(1)
s.close()
PY

recorded=$(tr -d '\r' <&3) || true
exec 3<&-
wait "$probe_pid" || fail "the recording window saw no Return: $recorded"
for expected in "key 25 1" "key 24 1" "key 2E 1" "key 0D 0" "chars zy"; do
    grep -qx "$expected" <<<"$recorded" || fail "'$expected' missing from: $(echo $recorded)"
done

wine "$probe" close >/dev/null 2>&1 || fail "the main window could not be asked to close"
wait "$korvo_pid" || true
korvo_pid=""
echo "keyboard test: navigation keys extended, Return not, German z and y typed as such"
