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
