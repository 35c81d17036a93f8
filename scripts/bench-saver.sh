#!/usr/bin/env bash
# Frame rate and CPU time per frame of the saver beside a bare floor program
# (tests/windows/render_floor_bench.cpp), under Wine in a private session, at
# Speed 10 and 100 in each display mode.
#   scripts/bench-saver.sh WIN_BUILD_DIR DIST_DIR [SECONDS]
# WIN_BUILD_DIR is a Windows build with the test program built; DIST_DIR
# holds morvella.scr, morvella.dat and sample.bmp (the native build makes the
# last two). The saver reports through MORVELLA_STATS, which changes nothing
# else in its behaviour.
set -uo pipefail
build=$(cd "${1:?Windows build dir}" && pwd)
dist=$(cd "${2:?dist dir}" && pwd)
seconds=${3:-8}
here=$(cd "$(dirname "$0")" && pwd)
session="$build/bench-wine"
tests="$build/tests/windows/morvella_wintests.exe"
for f in "$dist/morvella.scr" "$dist/morvella.dat" "$dist/sample.bmp" "$tests"; do
  [ -f "$f" ] || { echo "bench-saver: missing $f" >&2; exit 2; }
done

"$here/wine-session.sh" start "$session" >/dev/null || exit 1
eval "$("$here/wine-session.sh" env "$session")"
trap '"$here/wine-session.sh" stop "$session"' EXIT

work=$(mktemp -d /tmp/morvella-bench.XXXXXX)
cp "$dist/morvella.scr" "$dist/morvella.dat" "$dist/sample.bmp" "$work/"
windir=$("$MORVELLA_WINE" winepath -u 'C:\windows' 2>/dev/null)
stats="$work/stats.txt"

saver_run() {   # speed display -> "fps cpu"
  printf '[morvella.scr]\r\nSpeed=%s\r\nDisplay=%s\r\nAnimation=2\r\n' "$1" "$2" >"$windir/morvella.ini"
  rm -f "$stats"
  MORVELLA_STATS="$("$MORVELLA_WINE" winepath -w "$stats")" timeout -k 2 "$seconds" "$MORVELLA_WINE" "$work/morvella.scr" /s >/dev/null 2>&1
  # The session's wineserver is persistent: waiting for it (-w) would never
  # end. The saver itself is gone once timeout has ended it.
  sleep 1
  sed -n 's/.*fps=\([0-9.]*\) cpu_ms_per_frame=\([0-9.]*\).*/\1 \2/p' "$stats" 2>/dev/null
}

floor_run() {   # speed display -> "fps cpu"
  MORVELLA_FLOOR="$1 $2 $((seconds - 2))" timeout -k 2 $((seconds + 20)) "$MORVELLA_WINE" "$tests" \
      --gtest_also_run_disabled_tests --gtest_filter=RenderBench.DISABLED_Floor 2>/dev/null |
    sed -n 's/^floor .*fps=\([0-9.]*\) cpu_ms_per_frame=\([0-9.]*\).*/\1 \2/p'
}

printf '%-6s %-8s | %-20s | %-20s | %s\n' Speed Display "saver fps  cpu ms" "floor fps  cpu ms" "saver/floor fps, cpu"
for speed in 10 100; do
  for display in 0 1 2; do
    read -r sf sc <<<"$(saver_run "$speed" "$display")"
    read -r ff fc <<<"$(floor_run "$speed" "$display")"
    ratio=$(awk -v a="${sf:-0}" -v b="${ff:-0}" -v c="${sc:-0}" -v d="${fc:-0}" \
      'BEGIN { printf "%.2f, %.2f", (b ? a / b : 0), (d ? c / d : 0) }')
    printf '%-6s %-8s | %8s %10s | %8s %10s | %s\n' "$speed" "$display" "${sf:-?}" "${sc:-?}" "${ff:-?}" "${fc:-?}" "$ratio"
  done
done
rm -f "$windir/morvella.ini"
rm -rf "$work"
