#!/usr/bin/env bash
# The one morvella.scr copied by hand with its files into each place a user
# of 64-bit Windows may put it: the real System32, SysWOW64, the Windows
# folder and a folder of the user's own. In each it must show the animation,
# not the page saying morvella.dat is missing.
#   copy-test.sh DIST_DIR SAVERCTL64_EXE WORK_DIR
set -uo pipefail
dist=${1:?dist folder}; saverctl=${2:?64-bit saverctl}; work=${3:?work folder}
source "$(dirname "$0")/lib.sh"
[ -f "$dist/morvella.scr" ] || { echo "FAIL: $dist/morvella.scr is missing"; exit 1; }

start_session win64 "$work"
shopt -s nullglob
bitmaps=(); for f in "$dist"/*.bmp; do bitmaps+=("$(basename "$f")"); done
shopt -u nullglob
files=(morvella.scr morvella.dat "${bitmaps[@]}")
user=
for d in "$WINEPREFIX"/drive_c/users/*/; do
  d=$(basename "$d"); [ "$d" = Public ] || { user=$d; break; }
done
# An animation that covers much of the screen, with quick frames.
printf '[morvella.scr]\r\nAnimation=2\r\nSpeed=20\r\n' >"$windir/morvella.ini"

# Only one copy at a time: a saver that reads its files from anywhere but
# its own folder must not be rescued by another copy.
put() { local f; mkdir -p "$1"; for f in "${files[@]}"; do cp "$dist/$f" "$1/"; done; }
take() { local f; for f in "${files[@]}"; do rm -f "$1/$f"; done; }

# The real System32: Wine's 64-bit programs cannot start a 32-bit program
# lying there, so Wine's own loader starts it.
folder="$windir/system32"
put "$folder"
check "copied into System32: /s animates" saver_animates system32 wine_run "$folder/morvella.scr" /s
# Its settings dialog looks for the bitmaps beside it too.
wine_run "$folder/morvella.scr" /c >"$session/system32-dialog.log" 2>&1 &
saver=$!
listed=$(wine_run "$saverctl" dialog 2>>"$session/system32-dialog.log" | tr -d '\r' | LC_ALL=C sort -f | tr '\n' ' ')
wait "$saver"
expected=$(printf '%s\n' "${bitmaps[@]}" | LC_ALL=C sort -f | tr '\n' ' ')
check "copied into System32: /c lists its bitmaps ($listed)" same_text_ci "$listed" "$expected"
take "$folder"

# The other places are started from a 64-bit process, as Windows does.
for place in 'syswow64|C:\windows\syswow64' 'windows|C:\windows' \
             "users|C:\\users\\$user\\My Screen Savers"; do
  name=${place%%|*}; winfolder=${place#*|}
  folder=$(unix_path "$winfolder")
  [ -n "$folder" ] || { fail "no Unix path for $winfolder"; continue; }
  put "$folder"
  check "copied into $winfolder: /s animates" saver_animates "$name" \
    wine_run "$saverctl" run /s "$winfolder\\morvella.scr"
  take "$folder"
done

finish
