# Sourced by the tests that start korvo.exe under Wine, after they set `test_name`: a work
# folder of the test's own, fail, a free port on 127.0.0.1, and a clean-up that ends the
# program by its process id (korvo_pid), runs `more_cleanup` and removes the folder.
work=$(mktemp -d)
korvo_pid=""
more_cleanup=:
cleanup() {
    [ -n "$korvo_pid" ] && kill "$korvo_pid" 2>/dev/null || true
    $more_cleanup
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "$test_name: $*" >&2
    exit 1
}
free_port() {
    python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

# Starts korvo.exe in the work folder as a server on a free port (its number in `port`)
# that lets its client, anna, type; boxes stay silent. Waits for its main window.
start_typing_server() {
    local exe=$1 desktop_probe=$2
    port=$(free_port)
    cp "$exe" "$work/korvo.exe"
    printf '[server]\r\nuser = anna\r\npass = c2VjcmV0\r\nport = %s\r\nkeyboard = 1\r\nmouse = 0\r\n[misc]\r\nstart = server\r\nsuppress = 1\r\n' \
        "$port" >"$work/settings.ini"
    (cd "$work" && exec wine korvo.exe) >/dev/null 2>&1 &
    korvo_pid=$!
    wine "$desktop_probe" window >/dev/null 2>&1 || fail "the main window did not show"
}
