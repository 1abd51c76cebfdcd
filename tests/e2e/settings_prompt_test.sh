#!/usr/bin/env bash
# The real program on a display of its own, started as a server without a server login:
# it says so in an Information box, then opens the settings window on the Server page;
# a login entered there and confirmed with Enter is written to settings.ini.
#   settings_prompt_test.sh <korvo executable> <x_helper executable>
set -euo pipefail
program=$1
helper=$2

work=$(mktemp -d)
display_pid=""
korvo_pid=""
cleanup() {
    [ -n "$korvo_pid" ] && kill "$korvo_pid" 2>/dev/null || true
    [ -n "$display_pid" ] && kill "$display_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

source "$(dirname "$0")/../../scripts/private-display.sh"
start_private_display 1024x768x24 || fail "Xvfb did not start"
export DISPLAY=$display QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp" XDG_CONFIG_HOME="$work/config"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$TMPDIR" "$XDG_CONFIG_HOME"

# The program's visible window with this title; waits up to 30 s (a busy machine starts
# the program slowly).
window_titled() {
    local id
    for _ in $(seq 300); do
        id=$(xdotool search --all --onlyvisible --pid "$korvo_pid" --name "^$1\$" 2>/dev/null | head -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

mkdir "$work/bin"
cp "$program" "$work/bin/korvo"
printf '[misc]\r\nstart = server\r\nlang = english\r\n' >"$work/bin/settings.ini"
"$work/bin/korvo" &
korvo_pid=$!

box=$(window_titled Information) || fail "no Information box"
if xdotool search --all --onlyvisible --pid "$korvo_pid" --name '^Settings$' >/dev/null 2>&1; then
    fail "the settings window came before the box was closed"
fi
xdotool mousemove --window "$box" 5 5 key Return

settings=$(window_titled Settings) || fail "no settings window after the box"
[ "$(xdotool getwindowgeometry "$settings" | grep -o '[0-9]*x[0-9]*$')" = 400x280 ] ||
    fail "the settings window is not 400 x 280"
sleep 0.5
# The username and password fields of the Server page, where it stands in front.
xdotool mousemove --window "$settings" 220 62 click 1 sleep 0.2 type anna
xdotool mousemove --window "$settings" 220 92 click 1 sleep 0.2 type secret
xdotool key Return
for _ in $(seq 100); do
    xdotool search --all --onlyvisible --pid "$korvo_pid" --name '^Settings$' >/dev/null 2>&1 || break
    sleep 0.1
done
if xdotool search --all --onlyvisible --pid "$korvo_pid" --name '^Settings$' >/dev/null 2>&1; then
    fail "Enter did not close the settings window"
fi

expected=$(printf '%s\r\n' "[misc]" "start = server" "lang = English" "systray = 0" "suppress = 0" \
    "[client]" "ip = 0.0.0.0" "port = 6000" "user = " "pass = " \
    "[server]" "user = anna" "pass = c2VjcmV0" "port = 6000" "limit = 0" "clients = 1" \
    "image = 5" "keyboard = 0" "mouse = 0" | od -c)
actual=$(od -c <"$work/bin/settings.ini")
[ "$actual" = "$expected" ] || fail "settings.ini is not what the window wrote:
$(cat -A "$work/bin/settings.ini")"

kill -0 "$korvo_pid" 2>/dev/null || fail "the program ended"
"$helper" close "$korvo_pid" || fail "could not reach the main window"
for _ in $(seq 200); do kill -0 "$korvo_pid" 2>/dev/null || break; sleep 0.1; done
code=0
wait "$korvo_pid" || code=$?
korvo_pid=""
[ "$code" = 1 ] || fail "closing ended the program with $code, expected 1"
echo "settings prompt test passed"
