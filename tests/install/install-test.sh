#!/usr/bin/env bash
# The setup program end to end in a fresh Wine prefix of one architecture:
# silent install, the saver started the way Windows starts it, its settings
# dialog, a second install over the first, and the uninstaller.
#   install-test.sh win32|win64 PACKAGE_DIR DIST_DIR SAVERCTL_EXE WORK_DIR
# PACKAGE_DIR holds the setup program of this version; DIST_DIR the files it
# must put down; SAVERCTL_EXE is the starter built for the prefix's
# architecture.
set -uo pipefail
arch=${1:?win32|win64}; package=${2:?package folder}; dist=${3:?dist folder}
saverctl=${4:?saverctl}; work=${5:?work folder}
source "$(dirname "$0")/lib.sh"
release=$("$root/scripts/version.sh") || exit 1
eval "$release"
setup="$package/morvella-$MORVELLA_VERSION-setup.exe"
[ -f "$setup" ] || { echo "FAIL: $setup is missing; run scripts/package.sh"; exit 1; }

start_session "$arch" "$work"
shopt -s nullglob
bitmaps=(); for f in "$dist"/*.bmp; do bitmaps+=("$(basename "$f")"); done
shopt -u nullglob
files=(morvella.scr morvella.dat "${bitmaps[@]}")
ini="$windir/morvella.ini"
desktop='HKCU\Control Panel\Desktop'
uninst='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvella'

# A 32-bit setup program puts the saver where 64-bit Windows lists 32-bit
# savers, and the saver path must name that folder, not the System32 that
# the setup program itself is shown.
if [ "$arch" = win64 ]; then
  saverdir="$windir/syswow64"; saverpath='C:\windows\syswow64\morvella.scr'
else
  saverdir="$windir/system32"; saverpath='C:\windows\system32\morvella.scr'
fi
# Apps / Add or Remove Programs lists both registry views; a 32-bit setup
# program writes the 32-bit one.
uninst_value() { reg_value "$uninst" "$1" /reg:32 || reg_value "$uninst" "$1" /reg:64; }

installed_files_match() {
  local f
  for f in "${files[@]}"; do cmp -s "$dist/$f" "$saverdir/$f" || { echo "  $f differs or is missing"; return 1; }; done
}
no_files_left() {
  none_in "$windir/system32" && none_in "$windir/syswow64" &&
    { [ ! -e "$program_dir" ] || { echo "  $program_dir is left"; return 1; }; }
}
uninstall_key_gone() {
  local v
  for v in "" /reg:32 /reg:64; do
    wine_run reg query "$uninst" $v >/dev/null 2>&1 && { echo "  $uninst is left ${v:-}"; return 1; }
  done
  return 0
}
none_in() {  # none of the saver's files lies in FOLDER
  local f
  for f in "${files[@]}"; do [ -e "$1/$f" ] && { echo "  $1/$f"; return 1; }; done
  return 0
}

install() {
  local rc
  wine_run "$setup" /S >"$session/setup.log" 2>&1; rc=$?
  [ $rc -eq 0 ] || echo "  setup exit status $rc"
  return $rc
}

# The user's settings from an earlier hand-copied saver: a fixed animation
# that covers much of the screen, quick frames and a bitmap other than the
# default, which must be found in the install folder.
printf '[morvella.scr]\r\nAnimation=2\r\nSpeed=20\r\nBitmap=tiles.bmp\r\n' >"$ini"
cp "$ini" "$session/ini.before"

echo "== first silent install ($arch)"
check "the setup program runs silently with /S" install
check "the saver's files lie in $(basename "$saverdir")" installed_files_match
check "morvella.ini is untouched" cmp -s "$ini" "$session/ini.before"
if [ "$arch" = win64 ]; then
  check "nothing lands in the real System32" none_in "$windir/system32"
fi
value=$(reg_value "$desktop" SCRNSAVE.EXE)
check "SCRNSAVE.EXE names the installed saver ($value)" same_text_ci "$value" "$saverpath"
check "screen saving is switched on" test "$(reg_value "$desktop" ScreenSaveActive)" = 1
check "the uninstaller is registered with name, version, publisher, size" bash -c '
  [ "$0" = "$1" ] && [ "$2" = "$3" ] && [ "$4" = "$5" ] && [ "${6:-0}" != 0 ]' \
  "$(uninst_value DisplayName)" "$MORVELLA_PRODUCT" \
  "$(uninst_value DisplayVersion)" "$MORVELLA_VERSION" \
  "$(uninst_value Publisher)" "$MORVELLA_PUBLISHER" \
  "$(uninst_value EstimatedSize)"
quiet=$(uninst_value QuietUninstallString)
uninstaller=$(printf '%s' "$quiet" | sed -n 's/^"\([^"]*\)".*/\1/p')
program_dir=$(dirname "$(unix_path "$uninstaller")")
check "the registered uninstaller exists ($uninstaller)" test -f "$program_dir/uninstall.exe"

echo "== the saver as Windows starts it"
check "SCRNSAVE.EXE /s shows the moving, textured object" saver_animates installed wine_run "$saverctl" run /s
listed=$(wine_run "$saverctl" run /c 2>"$session/dialog.log" | tr -d '\r' | LC_ALL=C sort -f | tr '\n' ' ')
expected=$(printf '%s\n' "${bitmaps[@]}" | LC_ALL=C sort -f | tr '\n' ' ')
check "SCRNSAVE.EXE /c lists the installed bitmaps ($listed)" same_text_ci "$listed" "$expected"

echo "== a second install over the first"
check "the second silent install succeeds" install
check "the saver's files are in place" installed_files_match
check "morvella.ini is untouched" cmp -s "$ini" "$session/ini.before"
check "one uninstaller, same version" test "$(uninst_value DisplayVersion)" = "$MORVELLA_VERSION"

echo "== uninstall"
if [ "$arch" = win32 ]; then
  # Another saver chosen since the install stays chosen; the user asks for
  # the settings to go as well.
  wine_run reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
  check "the registered quiet uninstall with /REMOVESETTINGS runs" wine_run "$saverctl" uninstall /REMOVESETTINGS
  check "another saver chosen since stays chosen" same_text_ci "$(reg_value "$desktop" SCRNSAVE.EXE)" 'C:\windows\system32\other.scr'
  check "morvella.ini is removed on request" test ! -e "$ini"
else
  check "the registered quiet uninstall runs" wine_run "$saverctl" uninstall
  check "no SCRNSAVE.EXE names the removed saver" bash -c '! grep -qi morvella <<<"$0"' "$(reg_value "$desktop" SCRNSAVE.EXE)"
  check "morvella.ini is kept" cmp -s "$ini" "$session/ini.before"
fi
check "none of the installed files is left" no_files_left
check "the uninstaller is unregistered" uninstall_key_gone

finish
