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
work=$(mktemp -d)
folder="$work/Grüße-Ω-テスト"
korvo_pid=""
cleanup() {
    # The launcher's end ends korvo.exe too.
    [ -n "$korvo_pid" ] && kill "$korvo_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "unicode folder test: $*" >&2
    exit 1
}
probe() { wine "$dialog_probe" "$@" 2>/dev/null; }

mkdir -p "$folder/temp"
cp "$exe" "$folder/korvo.exe"
cp "$help" "$folder/help.chm"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
printf '[server]\r\nuser = anna\r\npass = c2VjcmV0\r\nport = %s\r\n[misc]\r\nstart = server\r\nsuppress = 1\r\n' \
    "$port" >"$folder/settings.ini"

wine "$desktop_probe" run-in-unicode-folder "$(winepath -w "$work")" >/dev/null 2>&1 &
korvo_pid=$!
wine "$desktop_probe" window >/dev/null 2>&1 || fail "the main window did not show"

python3 - "$port" <<'PY' || fail "the frames did not come by both routes"
import socket, struct, sys, time

port = int(sys.argv[1])
for attempt in range(100):
    try:
        s = socket.create_connection(("127.0.0.1", port), timeout=20)
        break
    except ConnectionRefusedError:
        time.sleep(0.2)
else:
    raise SystemExit("no server on the port of settings.ini")

def read(n):
    data = b""
    while len(data) < n:
        part = s.recv(n - len(data))
        if not part:
            raise SystemExit("the server closed the connection")
        data += part
    return data

def jpeg(frame):
    return frame[:2] == b"\xff\xd8" and frame[-2:] == b"\xff\xd9"

s.sendall(b"login" + b"anna".ljust(128) + b"secret".ljust(128))
assert read(2) == b"\x02\x09", "login refused"
s.sendall(b"image")
header = read(12)
assert header[:8] == b"QZMGSFLE", header
assert jpeg(read(struct.unpack("<I", header[8:])[0])), "the file route's frame is no JPEG"
# Chunks of a tag and 1023 bytes; the shorter last one ends the frame.
s.sendall(b"imag2")
frame = b""
while True:
    assert read(1) == b"\x01", "a chunk without its tag"
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
