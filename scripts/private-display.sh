# Sourced by the scripts that need an X display of their own.
#
# start_private_display SIZE [FIRST]
#   Starts Xvfb on the first free display number from FIRST (by default a random one from
#   100 on, so that parallel runs do not meet), with the given screen size, and waits until
#   it takes connections. It does not reset when its last client leaves: a script's own
#   short-lived clients (xdotool, xprop) would otherwise reset it under the program.
#   Sets `display` (":N") and `display_pid` (stop it by that id); returns 1 when no server
#   came up.
start_private_display() {
    local n=${2:-$((100 + RANDOM % 800))}
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 "$1" -nolisten tcp -noreset >/dev/null 2>&1 &
    display_pid=$!
    display=":$n"
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && return 0
        sleep 0.1
    done
    return 1
}
