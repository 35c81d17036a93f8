#!/usr/bin/env bash
# The setup program end to end in a fresh Wine prefix of one architecture:
# silent install, the saver started the way Windows starts it, its settings
# dialog, upgrades over the user's own files and over a running saver, a
# setup and an uninstall while the saver is in use, a restart after that,
# and the uninstaller.
#   install-test.sh win32|win64 PACKAGE_DIR DIST_DIR SAVERCTL_EXE WORK_DIR
# PACKAGE_DIR holds the setup program of this version; DIST_DIR the files it
# must put down (the programs among them signed, when the package is);
# SAVERCTL_EXE is the starter built for the prefix's architecture.
set -uo pipefail
arch=${1:?win32|win64}; package=${2:?package folder}; dist=${3:?dist folder}
saverctl=${4:?saverctl}; work=${5:?work folder}
source "$(dirname "$0")/lib.sh"
find_setup "$package"

start_session "$arch" "$work"
# What the package carries, named here: a stray file of the dist folder must
# not be installed.
bitmaps=(dots.bmp ripples.bmp sample.bmp tiles.bmp)
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
uninst_view() {  # the view that holds the uninstall entry
  if wine_run reg query "$uninst" /reg:32 >/dev/null 2>&1; then echo /reg:32; else echo /reg:64; fi
}

installed_files_match() {  # [FILE...]: the files not named are the user's
  local f
  for f in "${files[@]}"; do
    [[ " $* " == *" $f "* ]] && continue
    same_program "$dist/$f" "$saverdir/$f" || { echo "  $f differs or is missing"; return 1; }
  done
}
pending() { reg_value 'HKLM\System\CurrentControlSet\Control\Session Manager' PendingFileRenameOperations; }
# Gone, all but the user's files (named); an uninstaller that ran in place
# may leave only itself, to go at the next restart.
no_files_left() {
  none_in "$windir/system32" "$@" && none_in "$windir/syswow64" "$@" || return 1
  [ -e "$program_dir" ] || return 0
  local left
  left=$(ls -A "$program_dir")
  if [ "$left" = uninstall.exe ] && pending | grep -qi 'Morvella\\uninstall.exe'; then return 0; fi
  echo "  $program_dir holds: $left"; return 1
}
uninstall_key_gone() {
  local v
  for v in "" /reg:32 /reg:64; do
    wine_run reg query "$uninst" $v >/dev/null 2>&1 && { echo "  $uninst is left ${v:-}"; return 1; }
  done
  return 0
}
none_in() {  # FOLDER [FILE...]: none of the saver's files but those named lies in FOLDER
  local folder=$1 f; shift
  for f in "${files[@]}"; do
    [[ " $* " == *" $f "* ]] && continue
    [ -e "$folder/$f" ] && { echo "  $folder/$f"; return 1; }
  done
  return 0
}

install() {  # [OPTION...]
  local rc
  wine_run "$setup" /S "$@" >"$session/setup.log" 2>&1; rc=$?
  [ $rc -eq 0 ] || echo "  setup exit status $rc"
  return $rc
}
# The settings dialog of the installed saver, held open (the saver file in
# use) until close_dialog.
open_dialog() {
  wine_run "$saverdir/morvella.scr" /c >"$session/held-dialog.log" 2>&1 &
  dialog_pid=$!
  for _ in $(seq 1 100); do
    xdotool search --name $'\xe8\xa8\xad\xe5\xae\x9a' >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  echo "  the settings dialog did not open"; return 1
}
close_dialog() { wine_run "$saverctl" dialog >/dev/null 2>&1; wait "$dialog_pid" 2>/dev/null; }

# The user's settings from an earlier hand-copied saver: a fixed animation
# that covers much of the screen, quick frames and a bitmap other than the
# default, which must be found in the install folder.
printf '[morvella.scr]\r\nAnimation=2\r\nSpeed=20\r\nBitmap=tiles.bmp\r\n' >"$ini"
cp "$ini" "$session/ini.before"

echo "== a setup that cannot write the saver ($arch)"
# As for a user without the right to write there: a folder in the saver's place.
mkdir -p "$saverdir/morvella.scr"
wine_run reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
wine_run "$setup" /S >"$session/setup-unwritable.log" 2>&1; rc=$?
check "setup stops with exit code 2 ($rc)" test "$rc" -eq 2
check "it chooses no saver it did not install" same_text_ci "$(reg_value "$desktop" SCRNSAVE.EXE)" 'C:\windows\system32\other.scr'
check "it puts down no other file" none_in "$saverdir" morvella.scr
check "it registers no uninstaller" uninstall_key_gone
rmdir "$saverdir/morvella.scr"
wine_run reg delete "$desktop" /v SCRNSAVE.EXE /f >/dev/null 2>&1

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
check "the uninstaller is $(signature_expected)" signature_as_expected "$program_dir/uninstall.exe"
check "the installed saver is $(signature_expected)" signature_as_expected "$saverdir/morvella.scr"

echo "== a reinstall that finds its own files but no record of them"
# The files as this very setup puts them down are its own, even when the
# record of them is lost and no earlier install is registered.
view=$(uninst_view)
wine_run reg delete 'HKLM\Software\Morvella' /f "$view" >/dev/null 2>&1
wine_run reg delete "$uninst" /f "$view" >/dev/null 2>&1
check "the reinstall succeeds" install
all_recorded() {
  local f
  for f in "${files[@]}"; do
    reg_value 'HKLM\Software\Morvella\Installed files' "$f" "$view" >/dev/null || { echo "  $f is not recorded"; return 1; }
  done
}
check "it takes every file it carries for its own again" all_recorded

echo "== the saver as Windows starts it"
check "SCRNSAVE.EXE /s shows the moving, textured object" saver_animates installed wine_run "$saverctl" run /s
listed=$(wine_run "$saverctl" run /c 2>"$session/dialog.log" | tr -d '\r' | LC_ALL=C sort -f | tr '\n' ' ')
expected=$(printf '%s\n' "${bitmaps[@]}" | LC_ALL=C sort -f | tr '\n' ' ')
check "SCRNSAVE.EXE /c lists the installed bitmaps ($listed)" same_text_ci "$listed" "$expected"

# The user's own object and a sample bitmap they changed: not setup's any more.
printf 'my own object' >"$saverdir/morvella.dat"
cp "$saverdir/sample.bmp" "$session/sample.bmp" && printf 'x' >>"$session/sample.bmp"
cp "$session/sample.bmp" "$saverdir/sample.bmp"
cp "$saverdir/morvella.dat" "$session/own.dat"
users_files_kept() {
  cmp -s "$saverdir/morvella.dat" "$session/own.dat" && cmp -s "$saverdir/sample.bmp" "$session/sample.bmp" ||
    { echo "  the user's morvella.dat or sample.bmp was replaced or deleted"; return 1; }
}

echo "== an upgrade over an install that kept no record"
# As an earlier setup left it: no record, every file of its package's one time.
wine_run reg delete 'HKLM\Software\Morvella' /f "$(uninst_view)" >/dev/null 2>&1
for f in morvella.scr dots.bmp ripples.bmp tiles.bmp; do touch -d @1500000000 "$saverdir/$f"; done
check "the upgrade succeeds" install
older_files_replaced() {
  local f
  for f in morvella.scr dots.bmp ripples.bmp tiles.bmp; do
    [ "$(stat -c %Y "$saverdir/$f")" != 1500000000 ] || { echo "  $f was not replaced"; return 1; }
  done
}
check "the earlier package's files are replaced" older_files_replaced
check "the user's own morvella.dat and changed sample.bmp are kept" users_files_kept

echo "== a second install over the first, the saver running"
saver_pid=
wine_run "$saverctl" run /s >"$session/running.log" 2>&1 &
saver_pid=$!
saver_shown() {
  for _ in $(seq 1 100); do
    xdotool search --name '^Screen Saver$' >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  return 1
}
check "the installed saver runs full screen" saver_shown
check "the second silent install closes the running saver and succeeds" install
saver_ended() { for _ in $(seq 1 50); do kill -0 "$saver_pid" 2>/dev/null || return 0; sleep 0.1; done; return 1; }
check "the running saver has ended" saver_ended
check "the user's own morvella.dat and changed sample.bmp are kept" users_files_kept
check "the other files are this version's" installed_files_match morvella.dat sample.bmp
check "morvella.ini is untouched" cmp -s "$ini" "$session/ini.before"
check "one uninstaller, same version" test "$(uninst_value DisplayVersion)" = "$MORVELLA_VERSION"
check "InstallLocation is the program's own folder" same_text_ci \
  "$(unix_path "$(uninst_value InstallLocation)")" "$program_dir"

echo "== a silent setup over a newer version"
# Marks that a setup that went on would undo: a file of its own missing,
# its version in the uninstall entry, the saver chosen.
view=$(uninst_view)
mv "$saverdir/dots.bmp" "$session/dots.bmp"
wine_run reg add "$uninst" /v DisplayVersion /d 99.0 /f "$view" >/dev/null 2>&1
wine_run reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
wine_run "$setup" /S >"$session/setup-newer.log" 2>&1; rc=$?
check "setup stops with exit code 2 ($rc)" test "$rc" -eq 2
check "setup has changed nothing" bash -c '[ ! -e "$0" ] && [ "$1" = 99.0 ] && [ "${2,,}" = "${3,,}" ]' \
  "$saverdir/dots.bmp" "$(uninst_value DisplayVersion)" "$(reg_value "$desktop" SCRNSAVE.EXE)" \
  'C:\windows\system32\other.scr'
check "the user's own morvella.dat and changed sample.bmp are kept" users_files_kept
mv "$session/dots.bmp" "$saverdir/dots.bmp"
wine_run reg add "$uninst" /v DisplayVersion /d "$MORVELLA_VERSION" /f "$view" >/dev/null 2>&1
wine_run reg add "$desktop" /v SCRNSAVE.EXE /d "$saverpath" /f >/dev/null 2>&1

echo "== setup while the saver's settings dialog is open"
check "the dialog is open" open_dialog
# Two marks that a setup that went on would undo.
mv "$saverdir/dots.bmp" "$session/dots.bmp"
view=$(uninst_view)
wine_run reg add "$uninst" /v DisplayVersion /d 0.9 /f "$view" >/dev/null 2>&1
wine_run "$setup" /S >"$session/setup-in-use.log" 2>&1; rc=$?
check "setup stops with exit code 2 ($rc)" test "$rc" -eq 2
check "setup has changed nothing" bash -c '[ ! -e "$0" ] && [ "$1" = 0.9 ]' \
  "$saverdir/dots.bmp" "$(uninst_value DisplayVersion)"
mv "$session/dots.bmp" "$saverdir/dots.bmp"
wine_run reg add "$uninst" /v DisplayVersion /d "$MORVELLA_VERSION" /f "$view" >/dev/null 2>&1

echo "== uninstall while the dialog is open, a new install before the restart"
# The settings as Windows Vista and later keep them for a 32-bit program.
vstore="$(unix_path "$(wine_run cmd /c echo %LOCALAPPDATA% | tr -d '\r')")/VirtualStore/windows"
mkdir -p "$vstore" && cp "$ini" "$vstore/morvella.ini"
if [ "$arch" = win32 ]; then
  # Another saver chosen since the install stays chosen; the settings go.
  wine_run reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
  set -- /REMOVESETTINGS
else
  set --
fi
# Run as a script would, waiting for the uninstaller's process only.
rc=$(wine_run "$saverctl" quiet-uninstall "$@" 2>"$session/uninstall.log" | tr -d '\r')
check "the silent uninstall says a restart is needed (3010: $rc)" test "$rc" -eq 3010
check "on return, the saver's files are gone but the user's" no_files_left morvella.dat sample.bmp
check "on return, the user's own files are still there" users_files_kept
check "on return, the uninstaller is unregistered" uninstall_key_gone
if [ "$arch" = win32 ]; then
  check "another saver chosen since stays chosen" same_text_ci "$(reg_value "$desktop" SCRNSAVE.EXE)" 'C:\windows\system32\other.scr'
  check "morvella.ini is removed on request" test ! -e "$ini"
  check "so is the VirtualStore copy of it" test ! -e "$vstore/morvella.ini"
else
  check "no SCRNSAVE.EXE names the removed saver" bash -c '! grep -qi morvella <<<"$0"' "$(reg_value "$desktop" SCRNSAVE.EXE)"
  check "morvella.ini is kept" cmp -s "$ini" "$session/ini.before"
  check "so is the VirtualStore copy" test -e "$vstore/morvella.ini"
fi
close_dialog
wine_run reg add "$desktop" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
check "a new install before the restart succeeds (/KEEPSAVER)" install /KEEPSAVER
check "/KEEPSAVER leaves the chosen saver alone" same_text_ci "$(reg_value "$desktop" SCRNSAVE.EXE)" 'C:\windows\system32\other.scr'
timeout -k 5 120 "$MORVELLA_WINE" wineboot -r >/dev/null 2>&1 </dev/null
timeout 30 wineserver -w 2>/dev/null
check "after the restart the new install is whole" installed_files_match morvella.dat sample.bmp
check "after the restart its uninstaller is there" test -f "$program_dir/uninstall.exe"
check "the user's own files are still there" users_files_kept
leftovers() { ! ls "$saverdir" | grep -qi '^ns.*\.tmp$'; }
check "the saver file that was in use is gone" leftovers

echo "== uninstall"
check "the registered quiet uninstall runs" wine_run "$saverctl" uninstall
check "none of the installed files is left" no_files_left morvella.dat sample.bmp
check "the user's own files are kept" users_files_kept
check "the uninstaller is unregistered" uninstall_key_gone

finish
