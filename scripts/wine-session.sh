#!/usr/bin/env bash
# A private Wine session for the tests: its own Xvfb display on a free
# display number, its own prefix and a persistent wineserver. The prefix is
# MORVELLA_WINEARCH's kind when set at the start (win32 or win64), otherwise
# the kind this machine can run (scripts/wine-arch.sh); `env` names the Wine
# loader to use as MORVELLA_WINE. With MORVELLA_MONITORS set at the start
# (primary-left or primary-right) the display is a 1600 x 600 Xvnc screen
# showing Wine two 800 x 600 monitors side by side, the primary one on that
# side, instead of one Xvfb screen; `one` makes it one 1600 x 600 monitor
# on the same kind of display (for comparisons). With MORVELLA_LOGPIXELS set
# at the start (144 for 150 %), the display's DPI is that instead of 96.
#   wine-session.sh start DIR   start (idempotent) and print the display
#   wine-session.sh stop DIR    stop everything the session started
#   wine-session.sh env DIR     print the environment as shell assignments
# Nothing here uses the developer's desktop or an existing DISPLAY.
set -uo pipefail

cmd=${1:?usage: wine-session.sh start|stop|env DIR}
dir=$(mkdir -p "${2:?session directory}" && cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
prefix="$dir/prefix"

session_env() {
  local arch
  arch=$(cat "$dir/arch" 2>/dev/null || echo win32)
  echo "export WINEPREFIX='$prefix'"
  echo "export WINEARCH=$arch"
  if [ "$(cat "$dir/machine" 2>/dev/null)" = win64 ]; then
    # Debian's wine command starts the 32-bit loader whenever it is
    # installed, even where it cannot run: the 64-bit one is named. Where
    # 32-bit programs run, the plain command serves both kinds of prefix.
    echo "export WINELOADER=/usr/lib/wine/wine64 MORVELLA_WINE=/usr/lib/wine/wine64"
  else
    echo "export MORVELLA_WINE=wine"
  fi
  echo "export DISPLAY=':$(cat "$dir/display")'"
  echo "export WINEDEBUG=-all"
  # No Mono/Gecko installers; a crash must not start the debugger, which
  # would wait forever.
  echo "export WINEDLLOVERRIDES='mscoree,mshtml=;winedbg.exe=d'"
  echo "export XAUTHORITY=/dev/null"
  # Wine takes the ANSI code page from the locale's character type and the
  # user's UI language from LC_MESSAGES. The character type is the caller's
  # when it is UTF-8 (ja_JP.UTF-8 for code page 932, C.UTF-8 for 1252) and
  # C.UTF-8 otherwise: Wine names Unix files in it, and without UTF-8 (a bare
  # machine or CI sets none) a Japanese file name cannot be reached at all.
  # The UI language is Japanese, the one the tests expect unless told
  # otherwise, whatever the caller's: MORVELLA_UI_LOCALE names another
  # (en_US.UTF-8 for English). LC_ALL would override LC_MESSAGES: it
  # becomes LANG.
  local ctype=${LC_ALL:-${LC_CTYPE:-${LANG:-}}}
  case "$ctype" in
    *UTF-8*|*utf-8*|*UTF8*|*utf8*) ;;
    *) ctype=C.UTF-8 ;;
  esac
  echo "unset LC_ALL LC_CTYPE"
  echo "export LANG='$ctype' LC_MESSAGES='${MORVELLA_UI_LOCALE:-ja_JP.UTF-8}'"
  if [ -s "$dir/monitors" ]; then
    # Wine's RandR 1.4 path would keep DirectDraw's primary surface to the
    # primary monitor: the stand-in library offers RandR 1.0 alone, so that
    # the monitors come from Xinerama and the mode covers the whole screen.
    echo "export LD_LIBRARY_PATH='$dir/randr10/32:$dir/randr10/64'"
  fi
}

alive() {
  [ -f "$dir/xvfb.pid" ] && [ -f "$dir/display" ] && kill -0 "$(cat "$dir/xvfb.pid")" 2>/dev/null
}

# start_x LOG SERVER ARGS...: starts the X server on the first free display
# number (its first argument) and waits for its socket.
start_x() {
  local log=$1 server=$2 n; shift 2
  for n in $(seq 90 250); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    "$server" ":$n" "$@" </dev/null >"$dir/$log" 2>&1 9>&- &
    local pid=$!
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$pid" 2>/dev/null; then
      echo "$pid" >"$dir/xvfb.pid"
      echo "$n" >"$dir/display"
      return 0
    fi
    kill "$pid" 2>/dev/null
  done
  echo "wine-session: no free X display" >&2
  return 1
}

start_xvfb() {
  start_x xvfb.log Xvfb -screen 0 1024x768x24 -noreset -nolisten tcp
}

start_xvnc() {
  command -v Xvnc >/dev/null && command -v xrandr >/dev/null ||
    { echo "wine-session: two monitors need Xvnc and xrandr (scripts/install-deps.sh)" >&2; return 1; }
  start_x xvnc.log Xvnc -geometry 1600x600 -depth 24 -SecurityTypes None -rfbport -1 -nolisten tcp -noreset ||
    return 1
  set_monitors ":$(cat "$dir/display")" && return 0
  kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
  rm -f "$dir/xvfb.pid" "$dir/display"
  return 1
}

# Two RandR monitors on the one output, which Xvnc's Xinerama then reports;
# the one named with a star is the primary one.
set_monitors() {
  local left=L right=R
  case "$(cat "$dir/monitors")" in
    primary-left) left='*L' ;;
    primary-right) right='*R' ;;
    one) build_randr10; return ;;
    *) echo "wine-session: MORVELLA_MONITORS is primary-left, primary-right or one" >&2; return 1 ;;
  esac
  { DISPLAY=$1 xrandr --setmonitor "$left" 800/212x600/159+0+0 "$([ "$left" = L ] && echo none || echo VNC-0)" &&
    DISPLAY=$1 xrandr --setmonitor "$right" 800/212x600/159+800+0 "$([ "$right" = R ] && echo none || echo VNC-0)" &&
    DISPLAY=$1 xrandr --output VNC-0 --primary; } >/dev/null || { echo "wine-session: xrandr failed" >&2; return 1; }
  build_randr10
}

# The stand-in libXrandr.so.2, for each half of Wine this machine runs.
build_randr10() {
  local source="$here/../tests/monitors/randr10_shim.c" bits flag triplet
  for bits in 32 64; do
    flag=-m$bits; triplet=i386-linux-gnu
    [ $bits = 64 ] && triplet=x86_64-linux-gnu
    [ -e "/usr/lib/$triplet/libXrandr.so.2" ] || continue
    mkdir -p "$dir/randr10/$bits"
    gcc $flag -shared -fPIC -O2 -DREAL_LIBXRANDR="\"/usr/lib/$triplet/libXrandr.so.2\"" \
      -o "$dir/randr10/$bits/libXrandr.so.2" "$source" ||
      { echo "wine-session: cannot build the $bits-bit RandR 1.0 library" >&2; return 1; }
  done
}

make_prefix() {
  [ -f "$prefix/system.reg" ] && return 0
  rm -rf "$prefix"
  timeout 120 "$MORVELLA_WINE" wineboot -i >"$dir/wineboot.log" 2>&1 || { echo "wine-session: wineboot failed" >&2; return 1; }
  # Japanese font names reach the IPA fonts only through replacements; the
  # Windows 98 copy of the saver runs under its own name.
  iconv -f UTF-8 -t UTF-16LE "$here/wine-prefix.reg" | { printf '\xff\xfe'; cat; } >"$dir/prefix.reg"
  timeout 60 "$MORVELLA_WINE" regedit /S "$("$MORVELLA_WINE" winepath -w "$dir/prefix.reg" 2>/dev/null)" >/dev/null 2>&1
}

# Wine reads the DPI when its server starts: the value is written, then the
# server restarted.
set_dpi() {
  local dpi
  dpi=$(cat "$dir/logpixels" 2>/dev/null)
  [ -n "$dpi" ] || return 0
  timeout 60 "$MORVELLA_WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f || return 1
  timeout 20 wineserver -k
  timeout 20 wineserver -w
  wineserver -p
}

case "$cmd" in
  start)
    exec 9>"$dir/lock"
    flock 9
    if ! alive; then
      "$here/wine-arch.sh" >"$dir/machine"
      echo "${MORVELLA_WINEARCH:-$(cat "$dir/machine")}" >"$dir/arch"
      printf %s "${MORVELLA_MONITORS:-}" >"$dir/monitors"
      printf %s "${MORVELLA_LOGPIXELS:-}" >"$dir/logpixels"
      if [ -s "$dir/monitors" ]; then start_xvnc || exit 1; else start_xvfb || exit 1; fi
      eval "$(session_env)"
      # The persistent server and the services Wine starts outlive this
      # script: none of them may hold the caller's output open (ctest would
      # wait for it forever) nor the session lock (stop would wait for it).
      wineserver -p </dev/null >/dev/null 2>&1 9>&-
      make_prefix </dev/null >/dev/null 2>&1 9>&- || { echo "wine-session: prefix set-up failed" >&2; exit 1; }
      set_dpi </dev/null >/dev/null 2>&1 9>&- || { echo "wine-session: DPI set-up failed" >&2; exit 1; }
      # Warm up: the first process of a wineserver pays its start-up cost.
      timeout 60 "$MORVELLA_WINE" cmd /c exit </dev/null >/dev/null 2>&1 9>&-
    fi
    cat "$dir/display"
    ;;
  stop)
    exec 9>"$dir/lock"
    flock 9
    if [ -f "$dir/display" ]; then
      eval "$(session_env)"
      timeout 20 wineserver -k >/dev/null 2>&1
      timeout 20 wineserver -w >/dev/null 2>&1
    fi
    if [ -f "$dir/xvfb.pid" ]; then
      kill "$(cat "$dir/xvfb.pid")" 2>/dev/null
    fi
    rm -f "$dir/xvfb.pid" "$dir/display"
    ;;
  env)
    alive || { echo "wine-session: not running" >&2; exit 1; }
    session_env
    ;;
  *)
    echo "usage: wine-session.sh start|stop|env DIR" >&2
    exit 2
    ;;
esac
