#!/usr/bin/env bash
# korvo.exe started in the tray under Wine: when its icon is lost, as an Explorer restart
# loses every icon, the "TaskbarCreated" announcement brings it back.
#
#   tray_test.sh KORVO_EXE DESKTOP_PROBE_EXE      (DISPLAY: the Wine desktop)
set -euo pipefail
exe=$1
probe=$2
test_name="tray test"
source "$(dirname "$0")/under_wine.sh"

cp "$exe" "$work/korvo.exe"
printf '[misc]\r\nsuppress = 1\r\nsystray = 1\r\n' >"$work/settings.ini"
(cd "$work" && exec wine korvo.exe) >/dev/null 2>&1 &
korvo_pid=$!
wine "$probe" tray-restart >/dev/null 2>&1 || fail "the icon did not come back into the new tray"
echo "tray test: the icon came back after the taskbar was made anew"
