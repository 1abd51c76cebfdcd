#!/usr/bin/env bash
# The Linux program and the Windows program over the one wire format, both ways: a
# Windows client (korvo.exe under Wine) shows a Linux server's desktop, and a Linux client
# a Windows server's. Each shared desktop is covered by a red terminal; the client's
# display must then show the red in its view.
#
#   interop_test.sh LINUX_KORVO KORVO_EXE      (DISPLAY: the Wine desktop)
set -euo pipefail
linux=$1
exe=$2
wine_display=$DISPLAY
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "interop test: $*" >&2
    exit 1
}
if [ ! -x "$linux" ]; then
    echo "interop test: no Linux program at $linux (make build first); skipped"
    exit 77
fi
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=xcb

# Starts a private Xvfb of the given size and names it in $display (not in a subshell, so
# that cleanup knows its pid).
source "$(dirname "$0")/../../scripts/private-display.sh"
private_display() {
    start_private_display "$1" 120 || true
    pids+=("$display_pid")
}

# Covers the display with a red terminal, above what is there already.
cover_red() {
    DISPLAY=$1 xterm -geometry 300x100+0+0 -bg '#C02020' -e sleep 600 >/dev/null 2>&1 &
    pids+=($!)
}

# The share of the display's pixels that are the red of cover_red.
red_share() {
    xwd -root -silent -display "$1" | python3 -c '
import struct, sys
data = sys.stdin.buffer.read()
f = struct.unpack(">25I", data[:100])
size, width, height, order, bpp, line, colours = f[0], f[4], f[5], f[7], f[11], f[12], f[19]
pixels = data[size + colours * 12:]
red = total = 0
for y in range(0, height, 4):
    for x in range(0, width, 4):
        at = y * line + x * bpp // 8
        b, g, r = (pixels[at], pixels[at + 1], pixels[at + 2]) if order == 0 else \
                  (pixels[at + 3], pixels[at + 2], pixels[at + 1])
        red += abs(r - 0xC0) < 40 and g < 80 and b < 80
        total += 1
print(f"{red / total:.2f}")'
}

# Wine's first start of a program in a fresh prefix can take long on a busy machine.
shows_red() {
    for _ in $(seq 180); do
        share=$(red_share "$1")
        awk "BEGIN { exit !($share > 0.25) }" && return 0
        sleep 0.5
    done
    return 1
}

free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

login='user = anna\r\npass = c2VjcmV0\r\n'

# A Windows client and a Linux server.
private_display 800x600x24
linux_desktop=$display
port=$(free_port)
mkdir "$work/server" "$work/client"
cp "$linux" "$work/server/korvo"
printf "[server]\r\n${login}port = %s\r\n[misc]\r\nstart = server\r\nsuppress = 1\r\n" "$port" \
    >"$work/server/settings.ini"
(cd "$work/server" && DISPLAY=$linux_desktop exec ./korvo) >/dev/null 2>&1 &
server_pid=$!
pids+=("$server_pid")
sleep 2
cover_red "$linux_desktop"
cp "$exe" "$work/client/korvo.exe"
printf "[client]\r\nip = 127.0.0.1\r\nport = %s\r\n${login}[misc]\r\nstart = client\r\nsuppress = 1\r\n" \
    "$port" >"$work/client/settings.ini"
(cd "$work/client" && exec wine korvo.exe) >/dev/null 2>&1 &
client_pid=$!
pids+=("$client_pid")
shows_red "$wine_display" || fail "the Windows client does not show the Linux server's desktop"
kill "$client_pid" "$server_pid"
wait "$client_pid" "$server_pid" 2>/dev/null || true

# A Linux client and a Windows server.
private_display 1280x1024x24
client_desktop=$display
port=$(free_port)
printf "[server]\r\n${login}port = %s\r\n[misc]\r\nstart = server\r\nsuppress = 1\r\n" "$port" \
    >"$work/client/settings.ini"
(cd "$work/client" && exec wine korvo.exe) >/dev/null 2>&1 &
pids+=($!)
sleep 3
cover_red "$wine_display"
printf "[client]\r\nip = 127.0.0.1\r\nport = %s\r\n${login}[misc]\r\nstart = client\r\nsuppress = 1\r\n" \
    "$port" >"$work/server/settings.ini"
(cd "$work/server" && DISPLAY=$client_desktop exec ./korvo) >/dev/null 2>&1 &
pids+=($!)
shows_red "$client_desktop" || fail "the Linux client does not show the Windows server's desktop"
echo "interop test: a Windows client shows a Linux server's desktop, and a Linux client a Windows server's"
