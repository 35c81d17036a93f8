#!/usr/bin/env bash
# Frame time of the saver on two 800 x 600 monitors beside one 1600 x 600
# monitor of the same total area, in each display mode: the picture is
# rendered once and copied to each monitor, so two monitors should cost
# little more than one. Each layout runs in a Wine session of its own on an
# Xvnc display (scripts/wine-session.sh, MORVELLA_MONITORS); figures come
# from the saver's MORVELLA_STATS report. The two layouts take turns, ROUNDS
# times each, and each keeps its best round: on a busy machine a round may
# lose time to other programs, never gain it.
#   scripts/bench-monitors.sh DIST_DIR [SECONDS [ROUNDS]]
# DIST_DIR holds morvella.scr, morvella.dat and sample.bmp.
set -uo pipefail
dist=$(cd "${1:?dist dir}" && pwd)
seconds=${2:-10}
rounds=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
for f in morvella.scr morvella.dat sample.bmp; do
  [ -f "$dist/$f" ] || { echo "bench-monitors: missing $dist/$f" >&2; exit 2; }
done
work=$(mktemp -d /tmp/morvella-bench-monitors.XXXXXX)
cleanup() {
  local layout
  for layout in one primary-left; do "$here/wine-session.sh" stop "$work/$layout" >/dev/null 2>&1; done
  rm -rf "$work"
}
trap cleanup EXIT
cp "$dist/morvella.scr" "$dist/morvella.dat" "$dist/sample.bmp" "$work/"

run() {   # layout display -> "step_ms cpu_ms fps"
  (
    MORVELLA_MONITORS=$1 "$here/wine-session.sh" start "$work/$1" >/dev/null || exit 1
    eval "$("$here/wine-session.sh" env "$work/$1")"
    local windir stats="$work/stats-$1-$2.txt"
    windir=$("$MORVELLA_WINE" winepath -u 'C:\windows' 2>/dev/null)
    printf '[morvella.scr]\r\nSpeed=1\r\nDisplay=%s\r\nAnimation=2\r\n' "$2" >"$windir/morvella.ini"
    MORVELLA_STATS="$("$MORVELLA_WINE" winepath -w "$stats")" timeout -k 2 "$seconds" \
      "$MORVELLA_WINE" "$work/morvella.scr" /s >/dev/null 2>&1
    sleep 1
    sed -n 's/.*fps=\([0-9.]*\) cpu_ms_per_frame=\([0-9.]*\) step_ms_per_frame=\([0-9.]*\).*/\3 \2 \1/p' "$stats" 2>/dev/null
  )
}

printf '%-8s | %-27s | %-27s | %s\n' Display "one 1600x600: ms cpu fps" "two 800x600: ms cpu fps" "two/one frame time, cpu"
best() {   # "ms fps" lines -> the one of the shortest frame time
  sort -n | head -1
}
for display in 0 1 2; do
  ones="" twos=""
  for _ in $(seq "$rounds"); do
    ones+="$(run one "$display")"$'\n'
    twos+="$(run primary-left "$display")"$'\n'
  done
  read -r m1 c1 f1 <<<"$(grep . <<<"$ones" | best)"
  read -r m2 c2 f2 <<<"$(grep . <<<"$twos" | best)"
  ratio=$(awk -v a="${m2:-0}" -v b="${m1:-0}" -v c="${c2:-0}" -v d="${c1:-0}" \
    'BEGIN { printf "%.2f, %.2f", (b ? a / b : 0), (d ? c / d : 0) }')
  printf '%-8s | %8s %8s %8s | %8s %8s %8s | %s\n' "$display" "${m1:-?}" "${c1:-?}" "${f1:-?}" \
    "${m2:-?}" "${c2:-?}" "${f2:-?}" "$ratio"
done
