#!/usr/bin/env bash
# korvo.exe's settings window and connect dialog under Wine on the test's X display,
# worked through their controls as a person would (dialog_probe):
#   - started as a server without a login, the program opens the settings window on the
#     Server page, modal, filled from settings.ini, with every text whole on every page;
#   - Enter in a field saves every value byte for byte; an OK without changes writes the
#     file back unchanged and brings the restart notice; Reset and Escape save nothing;
#   - the connect dialog, filled from settings.ini, lists every failed check, numbered, and
#     stays open; confirmed with Enter it logs in to a listener on 127.0.0.1;
#   - in German, too, every text of both windows is whole.
# SETTINGS_PICTURE=FILE.png keeps a picture of the settings window.
#
#   dialogs_test.sh KORVO_EXE DIALOG_PROBE_EXE      (DISPLAY: the Wine desktop)
set -euo pipefail
exe=$1
probe_exe=$2
work=$(mktemp -d)
korvo_pid=""
listener_pid=""
cleanup() {
    [ -n "$korvo_pid" ] && kill "$korvo_pid" 2>/dev/null || true
    [ -n "$listener_pid" ] && kill "$listener_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "dialogs test: $*" >&2
    exit 1
}

probe() { wine "$probe_exe" "$@" 2>/dev/null; }

# The listing of a window (dialog_probe list), kept in $listing.
list() {
    listing=$(probe list "$1") || fail "'$1' is not shown"
}

# The visible control whose line starts with these tab-separated fields.
line() {
    local prefix
    prefix=$(printf '%s\t' "$@")
    grep -F -- "$prefix" <<<"$listing" | grep -v ' hidden$\| hidden ' | head -1 || true
}

# Fails unless the control (named by its leading fields) is shown with, or without, a flag.
expect_flag() {
    local flag=$1 found
    shift
    found=$(line "$@")
    [ -n "$found" ] || fail "no control '$*' in:
$listing"
    [[ " ${found##*$'\t'} " == *" $flag "* ]] || fail "'$*' is not $flag: $found"
}
expect_no_flag() {
    local flag=$1 found
    shift
    found=$(line "$@")
    [ -n "$found" ] || fail "no control '$*' in:
$listing"
    [[ " ${found##*$'\t'} " != *" $flag "* ]] || fail "'$*' is $flag: $found"
}
expect_control() {
    [ -n "$(line "$@")" ] || fail "no control '$*' in:
$listing"
}

# What the screen shows of the listed window: a label or check box whose dark text pixels
# reach its right edge, or a label with a second line, is cut off. The listing on stdin.
cat >"$work/cut.py" <<'PY'
import re, sys

data = open(sys.argv[1], "rb").read()
header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+(\d+)\s", data)
width, pixels = int(header.group(1)), data[header.end():]

def dark(x, y):
    r, g, b = pixels[(y * width + x) * 3:(y * width + x) * 3 + 3]
    return r * 299 + g * 587 + b * 114 < 110 * 1000

lines = sys.stdin.read().splitlines()
left, top = map(int, lines[0].split("\t")[2].split(",")[:2])
cut = []
for row in lines[1:]:
    kind, text, place, flags = row.split("\t")
    if kind not in ("Label", "CheckBox") or "hidden" in flags.split() or not text:
        continue
    x, y, w, h = map(int, place.split(","))
    x, y = x + left, y + top
    at_edge = any(dark(x + w - 1 - i, y + j) for i in range(3) for j in range(h))
    second_line = kind == "Label" and any(dark(x + i, y + j) for i in range(w) for j in range(15, h))
    if at_edge or second_line:
        cut.append(text)
if cut:
    sys.exit("cut off: " + ", ".join(cut))
PY
expect_whole_texts() {
    local cut_fields
    cut_fields=$(grep ' cut' <<<"$listing" | grep -v ' hidden' || true)
    [ -z "$cut_fields" ] || fail "fields that do not show their whole text:
$cut_fields"
    # A cut text stays cut; a window that a busy machine has not painted yet gets painted.
    for _ in $(seq 10); do
        import -window root -depth 8 "$work/screen.ppm"
        python3 "$work/cut.py" "$work/screen.ppm" <<<"$listing" 2>"$work/cut.txt" && return 0
        sleep 0.3
    done
    fail "$(cat "$work/cut.txt") in:
$listing"
}

# The main window takes input again (a dialog fades out first).
expect_main_enabled() {
    for _ in $(seq 20); do
        list "Korvo v1.1"
        [[ "$(head -1 <<<"$listing")" != *" disabled"* ]] && return 0
        sleep 0.2
    done
    fail "the main window stays disabled after the dialog closed"
}

# The Exit command ends the program in order: exit code 1.
exit_program() {
    probe command "Korvo v1.1" 1003 || fail "the main window took no Exit command"
    local status=0
    wait "$korvo_pid" || status=$?
    korvo_pid=""
    [ "$status" -eq 1 ] || fail "korvo.exe ended with $status, not 1"
}

cp "$exe" "$work/korvo.exe"
# No server login: the server start asks for one in the settings window.
printf '%s\r\n' "[client]" "ip = 10.1" "port = 7001" "user = anna" "pass = Z2VoZWlt" \
    "[server]" "port = 7000" "limit = 1" "clients = 3" "image = 7" "keyboard = 1" \
    "mouse = 0" "[misc]" "lang = english" "start = server" "suppress = 1" >"$work/settings.ini"
started=$SECONDS
(cd "$work" && exec wine korvo.exe) >/dev/null 2>&1 &
korvo_pid=$!

# ---- The settings window shows settings.ini, on every page, with whole texts ----
probe wait Settings || fail "no settings window at the server start"
sleep 0.3
list Settings
[[ "$(head -1 <<<"$listing")" == *$'\t'*,*,400,280$'\t'*" tool fixed owner-disabled"* ]] ||
    fail "not a fixed 400 x 280 tool window over the disabled main window: $(head -1 <<<"$listing")"
expect_flag "selected=Server" Tabs "" 0,0,400,250
expect_flag "items=Client,Server,Miscellaneous" Tabs
expect_flag digits Edit 7000
expect_flag checked CheckBox "Max. Clients:"
expect_no_flag disabled Edit 3
expect_flag "items=10,9,8,7,6,5,4,3,2,1" ComboBox 7
expect_flag "selected=7" ComboBox 7
expect_flag checked CheckBox "Allow keyboard access"
expect_no_flag checked CheckBox "Allow mouse access"
expect_control Button OK 76,255,120,20
expect_control Button Reset 201,255,120,20
for label in Username: Password: Portnumber: "Image quality:"; do expect_control Label "$label"; done
expect_whole_texts
if [ -n "${SETTINGS_PICTURE:-}" ]; then
    settings_window=$(xwininfo -name Settings | sed -n 's/.*Window id: \(0x[0-9a-f]*\).*/\1/p')
    import -window "$settings_window" "$SETTINGS_PICTURE"
fi

probe tab Settings Client || fail "no Client tab"
list Settings
expect_flag "selected=Client" Tabs
expect_control Address 10.1.0.0
expect_flag digits Edit 7001
expect_control Edit anna
expect_flag password Edit geheim
expect_control Label "Server-IP + Port:"
expect_whole_texts

probe tab Settings Miscellaneous || fail "no Miscellaneous tab"
list Settings
expect_flag "selected=English" ComboBox English
expect_flag "selected=Run server" ComboBox "Run server"
expect_no_flag checked CheckBox "Start in tray"
expect_flag checked CheckBox "Suppress message boxes"
expect_whole_texts

# ---- Enter in a field saves every value ----
probe tab Settings Server
probe set Settings "Username:>" bob
probe set Settings "Password:>" pw
probe set Settings "Portnumber:>" 7002
probe click Settings "Max. Clients:"
probe pick Settings "Image quality:>" 9 || fail "no quality 9 to choose"
list Settings
expect_flag disabled Edit 3
probe key Settings "Portnumber:>" enter
probe gone Settings || fail "Enter did not close the settings window"
saved=$(printf '%s\r\n' "[client]" "ip = 10.1.0.0" "port = 7001" "user = anna" "pass = Z2VoZWlt" \
    "[server]" "port = 7002" "limit = 0" "clients = 3" "image = 9" "keyboard = 1" "mouse = 0" \
    "user = bob" "pass = cHc=" "[misc]" "lang = English" "start = server" "suppress = 1" \
    "systray = 0" | od -c)
[ "$(od -c <"$work/settings.ini")" = "$saved" ] || fail "settings.ini is not what the window saved:
$(cat -A "$work/settings.ini")"
expect_main_enabled
cp "$work/settings.ini" "$work/saved.ini"

# ---- OK without changes, then Reset and Escape ----
probe command "Korvo v1.1" 1005 || fail "the main window took no Settings command"
probe wait Settings || fail "the Settings command showed no settings window"
probe click Settings OK
notice=$(probe box Information) || fail "no restart notice after OK"
[ "${notice%|}" = "Changes will take effect after a restart." ] || fail "the notice said '$notice'"
cmp -s "$work/settings.ini" "$work/saved.ini" || fail "an OK without changes changed settings.ini:
$(cat -A "$work/settings.ini")"

probe command "Korvo v1.1" 1005
probe wait Settings || fail "the second Settings command showed no settings window"
sleep 0.3
list Settings
expect_flag "selected=Client" Tabs
probe click Settings Reset
list Settings
expect_control Address ...
expect_control Edit 6000
[ -z "$(line Edit anna)" ] || fail "Reset kept the username"
probe key Settings escape
probe gone Settings || fail "Escape did not close the settings window"
cmp -s "$work/settings.ini" "$work/saved.ini" || fail "Reset and Escape changed settings.ini"
expect_main_enabled

# ---- The connect dialog ----
probe command "Korvo v1.1" 1001 || fail "the main window took no Client command"
probe wait "tool:Korvo v1.1" || fail "the Client command showed no connect dialog"
sleep 0.6
list "tool:Korvo v1.1"
[[ "$(head -1 <<<"$listing")" == *,300,210$'\t'*" tool fixed owner-disabled"* ]] ||
    fail "not a fixed 300 x 210 tool window over the disabled main window: $(head -1 <<<"$listing")"
expect_control Address 10.1.0.0
expect_flag digits Edit 7001
expect_control Edit anna
expect_flag password Edit geheim
expect_no_flag checked CheckBox "Use the current entries as default"
expect_whole_texts

probe click "tool:Korvo v1.1" Reset
probe click "tool:Korvo v1.1" OK
errors=$(probe box Error) || fail "OK with empty fields showed no error box"
[ "$errors" = "1) No valid server ip entered.|2) No valid port number entered.|3) No username entered.|4) No password entered.|" ] ||
    fail "the error box said '$errors'"
sleep 0.3
probe wait "tool:Korvo v1.1" || fail "the connect dialog closed after the error box"

python3 - "$work/login.bin" >"$work/listener-port" <<'PY' &
import socket, sys, time

listener = socket.socket()
listener.bind(("127.0.0.1", 0))
listener.listen(1)
listener.settimeout(30)
print(listener.getsockname()[1], flush=True)
connection, _ = listener.accept()
connection.settimeout(10)
data = b""
end = time.time() + 10
while len(data) < 261 and time.time() < end:
    part = connection.recv(261 - len(data))
    if not part:
        break
    data += part
open(sys.argv[1], "wb").write(data)
PY
listener_pid=$!
for _ in $(seq 50); do [ -s "$work/listener-port" ] && break; sleep 0.1; done
port=$(cat "$work/listener-port")
probe set "tool:Korvo v1.1" "Server-IP + Port:>" 127.0.0.1
probe set "tool:Korvo v1.1" "Server-IP + Port:>>" "$port"
probe set "tool:Korvo v1.1" "Username:>" carl
probe set "tool:Korvo v1.1" "Password:>" pw2
probe key "tool:Korvo v1.1" "Password:>" enter
probe gone "tool:Korvo v1.1" || fail "Enter did not close the connect dialog"
wait "$listener_pid" || fail "no client connected to 127.0.0.1:$port"
listener_pid=""
expected_login=$(python3 -c 'import sys; sys.stdout.buffer.write(b"login" + b"carl".ljust(128) + b"pw2".ljust(128))' | od -c)
[ "$(od -c <"$work/login.bin")" = "$expected_login" ] || fail "the client's login was not the entries':
$(od -c "$work/login.bin" | head)"
cmp -s "$work/settings.ini" "$work/saved.ini" || fail "entries not saved as default changed settings.ini"

exit_program

# ---- The German texts are whole too ----
printf '%s\r\n' "[misc]" "lang = german" "start = server" "suppress = 1" >"$work/settings.ini"
(cd "$work" && exec wine korvo.exe) >/dev/null 2>&1 &
korvo_pid=$!
probe wait Einstellungen || fail "no German settings window at the server start"
sleep 0.3
for page in Server Client Sonstiges; do
    probe tab Einstellungen "$page" || fail "no $page tab"
    list Einstellungen
    expect_whole_texts
done
probe key Einstellungen escape
probe gone Einstellungen || fail "Escape did not close the German settings window"
probe command "Korvo v1.1" 1001
probe wait "tool:Korvo v1.1" || fail "no German connect dialog"
sleep 0.6
list "tool:Korvo v1.1"
expect_control CheckBox "Eingaben als Standard verwenden"
expect_whole_texts
probe key "tool:Korvo v1.1" escape
probe gone "tool:Korvo v1.1" || fail "Escape did not close the connect dialog"
exit_program
echo "dialogs test: settings window and connect dialog shown, saved and confirmed, English and German, in $((SECONDS - started)) s"
