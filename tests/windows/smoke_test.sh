#!/usr/bin/env bash
# korvo.exe under Wine on the test's X display: it starts and shows its main window, its
# server serves a frame of the Wine desktop to a raw client on 127.0.0.1 and types the
# client's key into a Wine edit control; a second start ends with exit code 0 after its
# message box, and closing the main window ends the program with exit code 1.
#
#   smoke_test.sh KORVO_EXE DESKTOP_PROBE_EXE
set -euo pipefail
exe=$1
probe=$2
test_name="smoke test"
source "$(dirname "$0")/under_wine.sh"

start_typing_server "$exe" "$probe"

# An edit control of another Wine program has the focus while the key arrives.
mkfifo "$work/probe-out"
wine "$probe" type k >"$work/probe-out" 2>/dev/null &
probe_pid=$!
exec 3<"$work/probe-out"
read -r -t 30 ready <&3 || fail "the edit control did not start"
[ "${ready%$'\r'}" = ready ] || fail "the edit control said '$ready'"

frame_size=$(
    PYTHONPATH=$(dirname "$0") python3 - "$port" <<'PY'
import struct, sys, time
from raw_client import connect, file_route_frame, log_in, send_key

s = connect(int(sys.argv[1]))
log_in(s)
frame = file_route_frame(s)
# The frame's size from its start-of-frame marker.
assert frame[:2] == b"\xff\xd8", "not a JPEG"
i = 2
while not 0xC0 <= frame[i + 1] <= 0xC2:
    i += 2 + struct.unpack(">H", frame[i + 2:i + 4])[0]
height, width = struct.unpack(">HH", frame[i + 5:i + 9])
# The key 'k' as a character event: pointer at 0, no buttons.
send_key(s, 1, ord("k"))
time.sleep(1)
s.close()
print(f"{width}x{height}")
PY
) || fail "the raw client's exchange failed"
size=$(xdpyinfo | sed -n 's/ *dimensions: *\([0-9]*x[0-9]*\).*/\1/p')
[ "$frame_size" = "$size" ] || fail "the frame is $frame_size, the Wine desktop $size"

wait "$probe_pid" || fail "the key did not reach the edit control"
exec 3<&-

# A second start: its message box (never silenced), then exit code 0.
(cd "$work" && exec wine korvo.exe) >/dev/null 2>&1 &
second_pid=$!
wine "$probe" dismiss >/dev/null 2>&1 || fail "the second start showed no message box"
second_status=0
wait "$second_pid" || second_status=$?
[ "$second_status" -eq 0 ] || fail "the second start ended with $second_status, not 0"

# The close box ends the program in order: exit code 1.
wine "$probe" close >/dev/null 2>&1 || fail "the main window could not be asked to close"
status=0
wait "$korvo_pid" || status=$?
korvo_pid=""
[ "$status" -eq 1 ] || fail "korvo.exe ended with $status, not 1"
echo "smoke test: window, frame $size, typed key, second start 0, exit 1"
