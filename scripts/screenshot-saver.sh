#!/usr/bin/env bash
# Takes the README pictures of the saver: runs morvella.scr full screen in a
# private Wine session once per animation (and once with a start-up failure
# for the error page), captures the screen and writes PNGs.
#   screenshot-saver.sh [DIST_DIR [OUTPUT_DIR]]
# DIST_DIR holds morvella.scr, morvella.dat and sample.bmp (default:
# build/dist); OUTPUT_DIR defaults to docs/images.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
dist=$(cd "${1:-$root/build/dist}" 2>/dev/null && pwd) || { echo "screenshot-saver: no dist folder" >&2; exit 1; }
out=${2:-$root/docs/images}
mkdir -p "$out"

session=$(mktemp -d /tmp/morvella-saver-shots.XXXXXX)
cleanup() {
  "$here/wine-session.sh" stop "$session" >/dev/null 2>&1
  rm -rf "$session"
}
trap cleanup EXIT
"$here/wine-session.sh" start "$session" >/dev/null || { echo "screenshot-saver: no Wine session" >&2; exit 1; }
eval "$("$here/wine-session.sh" env "$session")"
ini="$WINEPREFIX/drive_c/windows/morvella.ini"

# Runs the saver from FOLDER with the given settings and captures after
# SECONDS into OUTPUT, processed by the ImageMagick options in $SHOT_OPTIONS
# (default: half size, a small palette).
shoot() {
  local folder=$1 seconds=$2 output=$3; shift 3
  { echo "[morvella.scr]"; for kv in "$@"; do echo "$kv"; done; } | sed 's/$/\r/' >"$ini"
  timeout 60 "$MORVELLA_WINE" "$folder/morvella.scr" /s </dev/null >/dev/null 2>&1 &
  local pid=$!
  sleep "$seconds"
  # shellcheck disable=SC2086
  import -window root ${SHOT_OPTIONS:--resize 50% -colors 96} "PNG8:$output"
  kill "$pid" 2>/dev/null
  wineserver -k >/dev/null 2>&1
  wait "$pid" 2>/dev/null
  echo "$output"
}

names=(random jump wave rotation vortex flag)
for n in 1 2 3 4 5; do
  shoot "$dist" 4 "$out/animation-$n-${names[$n]}.png" "Animation=$n" "Speed=20"
done
shoot "$dist" 3 "$out/display-2-tiled.png" "Animation=3" "Display=2" "Speed=20"

# The error page, in Japanese and in English: a copy of the saver without its
# model file.
lonely="$session/no-model"
mkdir -p "$lonely"
cp "$dist/morvella.scr" "$lonely/"
LANG=ja_JP.UTF-8 SHOT_OPTIONS="-crop 760x56+0+0 +repage" shoot "$lonely" 4 "$out/error-page.png"
LC_MESSAGES=en_US.UTF-8 SHOT_OPTIONS="-crop 760x56+0+0 +repage" shoot "$lonely" 4 "$out/error-page-en.png"

# The converted duck of the README: the duck of Debian's assimp-testmodels
# converted with the default options, in the jump, vortex and rotation
# animations; the centred 640 x 480 picture of each at half size, side by
# side. (The orbiting camera has the duck in view about half the time: a
# black third picture wants another try.)
converter=$root/build/native/convert/morvella-convert
duck=/usr/share/assimp/models/Collada/duck.dae
if [ -x "$converter" ] && [ -f "$duck" ]; then
  ducks="$session/duck"
  mkdir -p "$ducks"
  cp "$dist/morvella.scr" "$dist/sample.bmp" "$ducks/"
  "$converter" "$duck" "$ducks/morvella.dat" >/dev/null || exit 1
  for shot in "1 4" "4 4" "3 3"; do
    read -r animation seconds <<<"$shot"
    SHOT_OPTIONS="-crop 640x480+192+144 +repage -resize 50%" \
      shoot "$ducks" "$seconds" "$ducks/shot-$animation.png" "Animation=$animation" "Speed=20" >/dev/null
  done
  convert "$ducks/shot-1.png" "$ducks/shot-4.png" "$ducks/shot-3.png" +append -colors 96 \
          "PNG8:$out/converted-duck.png"
  echo "$out/converted-duck.png"
fi
