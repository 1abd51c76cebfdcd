# Sourced by the scripts and tests that need a Wayland desktop of their own: a headless
# GNOME compositor with its screen-cast and remote-desktop interfaces, on a private
# session bus that starts nothing by itself, so every process on it is one we started.
#
# start_private_wayland WORKDIR [SIZE]
#   Brings up, under WORKDIR: a 0700 runtime folder, a session bus (auto-start off),
#   pipewire, wireplumber and `mutter --headless --wayland --no-x11` with one virtual
#   monitor of SIZE (1280x800 by default). Exports XDG_RUNTIME_DIR, WAYLAND_DISPLAY,
#   DBUS_SESSION_BUS_ADDRESS and XDG_SESSION_TYPE=wayland, and unsets DISPLAY.
#   Sets `wayland_pids` (every process it started, stop them with stop_private_wayland)
#   and `mutter_pid`. Returns 1 when the compositor did not come up.
# start_private_mutter SIZE      starts the compositor again (after it was stopped)
# stop_private_wayland           ends every process started here, by its id

wayland_pids=()
mutter_pid=""

_wayland_wait_for() {  # command... ; up to 10 s
    for _ in $(seq 100); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}

_bus_has_name() {
    gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
        --method org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true
}

start_private_mutter() {
    local size=${1:-1280x800}
    mutter --headless --wayland --no-x11 --wayland-display "$WAYLAND_DISPLAY" \
        --virtual-monitor "$size" >"$wayland_work/mutter.log" 2>&1 &
    mutter_pid=$!
    wayland_pids+=("$mutter_pid")
    _wayland_wait_for _bus_has_name org.gnome.Mutter.ScreenCast &&
        _wayland_wait_for _bus_has_name org.gnome.Mutter.RemoteDesktop &&
        [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ]
}

start_private_wayland() {
    wayland_work=$1
    local size=${2:-1280x800}
    mkdir -p "$wayland_work"
    export XDG_RUNTIME_DIR="$wayland_work/runtime"
    mkdir -p -m 700 "$XDG_RUNTIME_DIR"
    chmod 700 "$XDG_RUNTIME_DIR"
    export WAYLAND_DISPLAY=wayland-korvo XDG_SESSION_TYPE=wayland
    unset DISPLAY
    # A session bus with no service folders: nothing is started on demand.
    cat >"$wayland_work/bus.conf" <<EOF
<busconfig>
  <type>session</type>
  <listen>unix:path=$XDG_RUNTIME_DIR/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
EOF
    dbus-daemon --config-file="$wayland_work/bus.conf" --nofork --nopidfile \
        >"$wayland_work/bus.log" 2>&1 &
    wayland_pids+=("$!")
    export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
    _wayland_wait_for test -S "$XDG_RUNTIME_DIR/bus" || return 1
    pipewire >"$wayland_work/pipewire.log" 2>&1 &
    wayland_pids+=("$!")
    _wayland_wait_for test -S "$XDG_RUNTIME_DIR/pipewire-0" || return 1
    wireplumber >"$wayland_work/wireplumber.log" 2>&1 &
    wayland_pids+=("$!")
    start_private_mutter "$size"
}

stop_private_wayland() {
    local pid
    for ((i = ${#wayland_pids[@]} - 1; i >= 0; i--)); do
        pid=${wayland_pids[i]}
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    wayland_pids=()
}
