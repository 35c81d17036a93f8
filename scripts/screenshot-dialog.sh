#!/usr/bin/env bash
# Takes the README picture of the settings dialog: starts morvella.scr in
# settings mode inside a private Wine session (its own Xvfb display and
# prefix, with the Japanese font replacements), captures the dialog window
# and closes it again. A fresh prefix has no morvella.ini, so the picture
# shows the defaults.
#   screenshot-dialog.sh [DIST_DIR [OUTPUT_PNG [ja|en]]]
# DIST_DIR holds morvella.scr (default: build/dist of the source tree); the
# dialog is the Japanese one (ja, the default) or the English one (en), as
# a Windows of that UI language shows it; OUTPUT_PNG defaults to
# docs/images/settings-dialog.png, or settings-dialog-en.png for English.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
dist=$(cd "${1:-$root/build/dist}" 2>/dev/null && pwd) || { echo "screenshot-dialog: no folder ${1:-$root/build/dist}" >&2; exit 1; }
language=${3:-ja}
case "$language" in
  ja) title='設定' ui=ja_JP.UTF-8 default_output=settings-dialog.png ;;
  en) title='Settings' ui=en_US.UTF-8 default_output=settings-dialog-en.png ;;
  *) echo "screenshot-dialog: the language is ja or en" >&2; exit 1 ;;
esac
output=${2:-$root/docs/images/$default_output}
saver="$dist/morvella.scr"
[ -f "$saver" ] || { echo "screenshot-dialog: $saver is missing; build first" >&2; exit 1; }
for tool in wineserver xdotool import; do
  command -v "$tool" >/dev/null || { echo "screenshot-dialog: $tool is not installed" >&2; exit 1; }
done

session=$(mktemp -d /tmp/morvella-screenshot.XXXXXX)
saver_pid=
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null
  "$here/wine-session.sh" stop "$session" >/dev/null 2>&1
  rm -rf "$session"
}
trap cleanup EXIT

"$here/wine-session.sh" start "$session" >/dev/null || { echo "screenshot-dialog: no Wine session" >&2; exit 1; }
eval "$("$here/wine-session.sh" env "$session")"

# The Japanese dialog on a Japanese system where one is available (the
# captions are Unicode, so the picture is the same under any other locale);
# the English one on a Western system, whose shell dialog font it is made for.
lang=C.UTF-8
[ "$language" = ja ] && locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' && lang=ja_JP.UTF-8

LANG=$lang LC_MESSAGES=$ui "$MORVELLA_WINE" "$saver" /c </dev/null >"$session/saver.log" 2>&1 &
saver_pid=$!

window=
for _ in $(seq 1 200); do
  window=$(xdotool search --name "^$title\$" 2>/dev/null | head -n 1)
  [ -n "$window" ] && break
  kill -0 "$saver_pid" 2>/dev/null || break
  sleep 0.1
done
[ -n "$window" ] || { echo "screenshot-dialog: the settings dialog did not appear" >&2; exit 1; }
sleep 1  # let the dialog finish painting, the version line included

eval "$(xdotool getwindowgeometry --shell "$window")"
mkdir -p "$(dirname "$output")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$output" ||
  { echo "screenshot-dialog: capture failed" >&2; exit 1; }

# Cancel the dialog the way a user would; the saver then exits with 0.
xdotool windowactivate --sync "$window" >/dev/null 2>&1
xdotool key --clearmodifiers Escape
for _ in $(seq 1 50); do
  kill -0 "$saver_pid" 2>/dev/null || { saver_pid=; break; }
  sleep 0.1
done
echo "$output (${WIDTH}x${HEIGHT})"
