#!/usr/bin/env bash
# The object window as a Windows user gets it: installed by our setup program
# in a fresh Wine prefix with its Start menu entry, driven from the keyboard
# beside the saver setup installed (the window tests of WINTESTS_EXE, named
# ObjectWindow.*), and the uninstaller, which removes the program and its
# entry and keeps the objects the window put beside the saver.
#   object-test.sh win32|win64 PACKAGE_DIR DIST_DIR SAVERCTL_EXE WINTESTS_EXE WORK_DIR
set -uo pipefail
arch=${1:?win32|win64}; package=${2:?package folder}; dist=${3:?dist folder}
saverctl=${4:?saverctl}; wintests=${5:?morvella_wintests.exe}; work=${6:?work folder}
source "$(dirname "$0")/lib.sh"
find_setup "$package"

start_session "$arch" "$work"
if [ "$arch" = win64 ]; then
  saverdir="$windir/syswow64"; winsaverdir='C:\windows\syswow64'
else
  saverdir="$windir/system32"; winsaverdir='C:\windows\system32'
fi
uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvella'
uninst_value() { reg_value "$uninst" "$1" /reg:32 || reg_value "$uninst" "$1" /reg:64; }
# The session's UI language is Japanese: so is setup's, and its entry's name.
entry="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Morvella — 自分のオブジェクト.lnk"

echo "== silent install ($arch)"
wine_run "$setup" /S >"$session/setup.log" 2>&1; rc=$?
check "the setup program installs silently ($rc)" test "$rc" -eq 0
uninstaller=$(uninst_value QuietUninstallString | sed -n 's/^"\([^"]*\)".*/\1/p')
program_dir=$(dirname "$(unix_path "$uninstaller")")
program="$program_dir/morvella-object.exe"
check "the object window is installed beside the uninstaller" test -f "$program"
check "it is the one the build made" same_program "$dist/morvella-object.exe" "$program"
check "it is $(signature_expected)" signature_as_expected "$program"
check "the libraries' licences travel with it" test -s "$program_dir/THIRD-PARTY.txt"
check "the Start menu has its entry, named in setup's language" test -s "$entry"
check "the entry starts it" grep -qa 'morvella-object.exe' "$entry"
original=$(md5sum <"$saverdir/morvella.dat")

echo "== the window, driven from the keyboard"
MORVELLA_OBJECT_EXE="${uninstaller%\\*}\\morvella-object.exe" \
  timeout -k 5 400 "$MORVELLA_WINE" "$wintests" --gtest_also_run_disabled_tests \
  --gtest_filter='ObjectWindow.*' </dev/null >"$session/window-tests.log" 2>&1; rc=$?
grep -E '^\[ *(OK|FAILED) *\]|Failure|says|^Expected|^  Actual|Which is|^ *(morvella|not|the|a |no )' \
  "$session/window-tests.log" | sed 's/^/  /'
check "the window tests pass ($rc; $session/window-tests.log)" test "$rc" -eq 0

echo "== uninstall, the user's own objects in place"
# The window put the setup's object back last; the user's object is shown
# once more, by the window's own step, as after "Use" (setup's object kept).
wine_run "$program" /put-back-object "$winsaverdir"; rc=$?
check "the user's object is shown again ($rc)" test "$rc" -eq 0
own=$(md5sum <"$saverdir/morvella.dat")
check "it is not setup's" test "$own" != "$original"
check "the registered quiet uninstall runs" wine_run "$saverctl" uninstall
check "the object window is removed" test ! -e "$program"
check "its Start menu entry is removed" test ! -e "$entry"
check "no record of the saver's folder is left" bash -c '! "$0" reg query "HKLM\\Software\\Morvella" /reg:32 >/dev/null 2>&1' "$MORVELLA_WINE"
check "the saver is removed" test ! -e "$saverdir/morvella.scr"
check "the user's morvella.dat is kept" test "$(md5sum <"$saverdir/morvella.dat" 2>/dev/null)" = "$own"
check "so is the object it replaced" test "$(md5sum <"$saverdir/morvella-previous.dat" 2>/dev/null)" = "$original"

finish
