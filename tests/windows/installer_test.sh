#!/usr/bin/env bash
# The Windows installer under Wine: a silent install (/S) puts korvo.exe, help.chm and
# the uninstaller into Program Files with a Start-menu entry and an entry among the
# installed programs; the installed korvo.exe, started by a user who may not write its
# folder, saves its settings under %APPDATA%\Korvo; the silent uninstaller takes it all
# away again and leaves those settings.
# Wine lets root write everywhere, as Windows lets an elevated administrator. So the
# program's folder loses its write bits, as Program Files is closed to an ordinary user,
# and root runs this test and its own wineserver, which opens the files for Wine's
# programs, without its right to override file permissions.
#
#   installer_test.sh SETUP_EXE DIALOG_PROBE_EXE     (WINEPREFIX, DISPLAY: the Wine desktop)
set -euo pipefail
if [ "$(id -u)" -eq 0 ] && [ -z "${KORVO_WITHOUT_OVERRIDE:-}" ]; then
    wineserver -k 2>/dev/null || true
    exec env KORVO_WITHOUT_OVERRIDE=1 setpriv --bounding-set=-dac_override,-dac_read_search \
        "$0" "$@"
fi
setup=$1
probe_exe=$2
test_name="installer test"
source "$(dirname "$0")/under_wine.sh"
drive_c=$WINEPREFIX/drive_c
install_dir=$drive_c/Program\ Files/Korvo
shortcut=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/Korvo.lnk
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvo'
reopen_install_dir() { [ ! -d "$install_dir" ] || chmod 755 "$install_dir"; }
more_cleanup=reopen_install_dir
probe() { wine "$probe_exe" "$@" 2>/dev/null; }

appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')" 2>/dev/null)
[ -n "$appdata" ] && [ "$appdata" != / ] || fail "Wine names no %APPDATA%"
rm -rf "$appdata/Korvo"

wine "$setup" /S >/dev/null 2>&1 || fail "the silent install failed"
for file in korvo.exe help.chm README.txt uninstall.exe; do
    [ -f "$install_dir/$file" ] || fail "Program Files\\Korvo\\$file was not installed"
done
[ -f "$shortcut" ] || fail "no Start-menu entry"
wine reg query "$uninstall_key" /v DisplayVersion >/dev/null 2>&1 ||
    fail "Windows does not list Korvo among the installed programs"

chmod 555 "$install_dir"
cp "$probe_exe" "$work/dialog_probe.exe"
probe_exe=$work/dialog_probe.exe
(cd "$work" && exec wine 'C:\Program Files\Korvo\korvo.exe') >/dev/null 2>&1 &
korvo_pid=$!
probe wait "Korvo v1.1" || fail "the installed korvo.exe showed no main window"
probe command "Korvo v1.1" 1005 || fail "the main window took no Settings command"
probe wait Settings || fail "no settings window"
probe key Settings enter || fail "the settings window took no Enter"
probe box Information >/dev/null || fail "no restart notice after saving"
[ -f "$appdata/Korvo/settings.ini" ] || fail "the settings were not saved under %APPDATA%\\Korvo"
[ ! -e "$install_dir/settings.ini" ] || fail "settings.ini landed in Program Files"
probe command "Korvo v1.1" 1003 || fail "the main window took no Exit command"
status=0
wait "$korvo_pid" || status=$?
korvo_pid=""
[ "$status" -eq 1 ] || fail "korvo.exe ended with $status, not 1"
chmod 755 "$install_dir"

# The uninstaller runs from a copy of itself and returns at once; its copy does the work.
wine "$install_dir/uninstall.exe" /S >/dev/null 2>&1 || fail "the silent uninstall failed"
for _ in $(seq 300); do
    [ ! -e "$install_dir" ] && [ ! -e "$shortcut" ] && break
    sleep 0.1
done
[ ! -e "$install_dir" ] || fail "the uninstaller left $(ls "$install_dir")"
[ ! -e "$shortcut" ] || fail "the uninstaller left the Start-menu entry"
if wine reg query "$uninstall_key" >/dev/null 2>&1; then
    fail "Windows still lists Korvo among the installed programs"
fi
[ -f "$appdata/Korvo/settings.ini" ] || fail "the uninstaller took the user's settings"
echo "installer test passed"
