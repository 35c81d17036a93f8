#!/usr/bin/env bash
# Installs what is missing, builds, and runs the saver full screen. On a
# machine with a display it runs there until input closes it; without one it
# runs in a private display, saves a few screenshots and prints where.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh || exit 1
scripts/build.sh >/dev/null || exit 1
saver="$root/build/dist/morvella.scr"
arch=$(scripts/wine-arch.sh)
wine=wine
if [ "$arch" = win64 ]; then
  # No 32-bit program starts on this machine: the 64-bit build of the same
  # sources stands in for the shipped saver.
  saver="$root/build/dist64/morvella.scr"
  wine=/usr/lib/wine/wine64
  export WINELOADER=$wine
  echo "this machine runs no 32-bit programs: running the 64-bit build $saver"
fi

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  export WINEPREFIX="$root/build/run-prefix-$arch" WINEARCH=$arch WINEDEBUG=-all
  export WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d'
  echo "running $saver on $DISPLAY (move the mouse or press a key to end it)"
  exec "$wine" "$saver" /s
fi

session="$root/build/run-session"
shots="$root/build/screenshots"
mkdir -p "$shots"
trap 'scripts/wine-session.sh stop "$session" >/dev/null 2>&1' EXIT
MORVELLA_WINEARCH=$arch scripts/wine-session.sh start "$session" >/dev/null || exit 1
eval "$(scripts/wine-session.sh env "$session")"
timeout 60 "$MORVELLA_WINE" "$saver" /s </dev/null >/dev/null 2>&1 &
saver_pid=$!
for i in 1 2 3 4; do
  sleep 2
  import -window root "$shots/saver-$i.png"
done
kill "$saver_pid" 2>/dev/null
wineserver -k 2>/dev/null
echo "no display here: the saver ran in a private one; screenshots:"
ls -1 "$shots"/saver-*.png
