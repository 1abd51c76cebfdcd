#!/usr/bin/env bash
# korvo.exe in a folder named outside every code page (Grüße-Ω-テスト), with the temporary
# folder below it: it reads its settings.ini there and starts its server on the port
# given, serves frames by the file route (through its temporary frame file) and by the
# memory route, finds help.chm beside it, and saves settings.ini in place.
#
#   unicode_folder_test.sh KORVO_EXE HELP_CHM DESKTOP_PROBE_EXE DIALOG_PROBE_EXE
set -euo pipefail
exe=$1
help=$2
desktop_probe=$3
dialog_probe=$4
test_name="unicode folder test"
source "$(dirname "$0")/under_wine.sh"
folder="$work/Grüße-Ω-テスト"
probe() { wine "$dialog_probe" "$@" 2>/dev/null; }

mkdir -p "$folder/temp"
cp "$exe" "$folder/korvo.exe"
cp "$help" "$folder/help.chm"
port=$(free_port)
printf '[server]\r\nuser = anna\r\npass = c2VjcmV0\r\nport = %s\r\n[misc]\r\nstart = server\r\nsuppress = 1\r\n' \
    "$port" >"$folder/settings.ini"

# The launcher's end (the clean-up kills it) ends korvo.exe too.
wine "$desktop_probe" run-in-unicode-folder "$(winepath -w "$work")" >/dev/null 2>&1 &
korvo_pid=$!
wine "$desktop_probe" window >/dev/null 2>&1 || fail "the main window did not show"

PYTHONPATH=$(dirname "$0") python3 - "$port" <<'PY' || fail "the frames did not come by both routes"
import socket, sys
from raw_client import connect, file_route_frame, log_in, read

def jpeg(frame):
    return frame[:2] == b"\xff\xd8" and frame[-2:] == b"\xff\xd9"

s = connect(int(sys.argv[1]))
log_in(s)
assert jpeg(file_route_frame(s)), "the file route's frame is no JPEG"
# Chunks of a tag and 1023 bytes; the shorter last one ends the frame.
s.sendall(b"imag2")
frame = b""
while True:
    assert read(s, 1) == b"\x01", "a chunk without its tag"
    part = b""
    s.settimeout(0.5)
    try:
        while len(part) < 1023 and not (len(part) > 0 and jpeg(frame + part)):
            part += s.recv(1023 - len(part))
    except socket.timeout:
        pass
    s.settimeout(20)
    frame += part
    if len(part) < 1023:
        break
assert jpeg(frame), "the memory route's frame is no JPEG"
PY

probe command "Korvo v1.1" 1004 || fail "the main window took no Help command"
probe wait "Korvo Help" || fail "the help viewer did not show help.chm"

grep -q client "$folder/settings.ini" && fail "settings.ini had its client group already"
probe command "Korvo v1.1" 1005 || fail "the main window took no Settings command"
probe wait Settings || fail "the Settings command showed no settings window"
probe click Settings OK
probe box Information >/dev/null || fail "no restart notice after OK"
grep -q '^\[client\]' "$folder/settings.ini" || fail "settings.ini was not saved"
ls "$folder" | grep -q '^kor.*\.tmp$' && fail "a temporary file was left beside settings.ini"

probe command "Korvo v1.1" 1003 || fail "the main window took no Exit command"
status=0
wait "$korvo_pid" || status=$?
korvo_pid=""
[ "$status" -eq 1 ] || fail "korvo.exe ended with $status, not 1"
[ -z "$(ls "$folder/temp")" ] || fail "the temporary frame file was left behind"
echo "unicode folder test: settings read and saved, frames by both routes, help found"
