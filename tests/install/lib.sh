# Shared by the install tests (sourced): a private Wine session of the asked
# architecture, registry reads, the screenshot check, and the test verdicts.
# Every Wine call is bounded by a timeout; a failed check is reported and the
# test goes on, so one run shows every fault.

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok:   $*"; }
check() {  # check DESCRIPTION COMMAND... : the command's success is the verdict
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}
same_text_ci() { [ "${1,,}" = "${2,,}" ]; }
finish() {
  if [ "$failures" -eq 0 ]; then echo "PASSED"; exit 0; fi
  echo "$failures check(s) failed"; exit 1
}

# The release's version (MORVELLA_VERSION and the rest of scripts/version.sh)
# and its setup program in PACKAGE_DIR, as $setup; ends the test when the
# package has none.
find_setup() {
  local release
  release=$("$root/scripts/version.sh") || exit 1
  eval "$release"
  setup="$1/morvella-$MORVELLA_VERSION-setup.exe"
  [ -f "$setup" ] || { echo "FAIL: $setup is missing; run scripts/package.sh"; exit 1; }
}

# Starts a session (own Xvfb, own prefix of ARCH, own wineserver) in a fresh
# folder under WORK_DIR and stops it on exit.
start_session() {
  local arch=$1 work=$2
  session="$work/session"
  "$root/scripts/wine-session.sh" stop "$session" >/dev/null 2>&1
  rm -rf "$session"
  mkdir -p "$session"
  trap '"$root/scripts/wine-session.sh" stop "$session" >/dev/null 2>&1' EXIT
  if ! MORVELLA_WINEARCH=$arch "$root/scripts/wine-session.sh" start "$session" >/dev/null; then
    echo "FAIL: no $arch Wine session (see $session)"
    tail -n 3 "$session/wineboot.log" 2>/dev/null
    exit 1
  fi
  eval "$("$root/scripts/wine-session.sh" env "$session")"
  windir="$WINEPREFIX/drive_c/windows"
}

# The session names the Wine loader that runs its programs (MORVELLA_WINE).
wine_run() { timeout -k 5 90 "$MORVELLA_WINE" "$@" </dev/null; }
unix_path() { wine_run winepath -u "$1" 2>/dev/null | tr -d '\r'; }

# reg_value KEY NAME [VIEW]: prints the data of a registry value, or fails.
# VIEW /reg:32 or /reg:64 picks the 32-bit or 64-bit view on 64-bit Windows.
reg_value() {
  local out
  out=$(wine_run reg query "$1" /v "$2" ${3:+"$3"} 2>/dev/null | tr -d '\r') || return 1
  printf '%s\n' "$out" | awk -v name="$2" '
    { line = $0; sub(/^ +/, "", line) }
    index(line, name " ") == 1 { sub(/^[^ ]+ +REG_[A-Z_]+ */, "", line); print line; found = 1 }
    END { exit !found }'
}

# Pixels that are neither black nor white in a capture: the error page is
# white text on black only, the object is shaded and textured.
coloured_pixels() {
  convert "$1" -fuzz 8% -transparent black -transparent white -alpha extract \
    -format '%[fx:round(mean*w*h)]' info:
}

# saver_animates NAME COMMAND...: runs COMMAND (which starts the saver full
# screen), waits up to 20 s for the object to appear, captures the screen
# twice, closes the saver with a mouse move as a user would and checks that
# the pictures show the object moving. The captures are kept as NAME-1.png
# and NAME-2.png in the session folder, COMMAND's output as NAME.log.
saver_animates() {
  local name=$1; shift
  local first="$session/$name-1.png" second="$session/$name-2.png"
  "$@" </dev/null >"$session/$name.log" 2>&1 &
  local pid=$! coloured=0 changed=0 ended=
  sleep 2
  for _ in $(seq 1 36); do
    import -window root "$first" 2>/dev/null
    coloured=$(coloured_pixels "$first" 2>/dev/null || echo 0)
    [ "${coloured:-0}" -gt 2000 ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.5
  done
  sleep 0.7
  import -window root "$second" 2>/dev/null
  changed=$(compare -metric AE "$first" "$second" null: 2>&1 | cut -d' ' -f1)
  xdotool mousemove 10 10 >/dev/null 2>&1; sleep 0.2
  xdotool mousemove 300 300 >/dev/null 2>&1
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || { ended=1; break; }
    sleep 0.1
  done
  if [ -z "$ended" ]; then
    echo "  the saver did not end on a mouse move"
    timeout 20 wineserver -k >/dev/null 2>&1
  fi
  wait "$pid" 2>/dev/null
  echo "  $name: $coloured coloured pixels, ${changed:-?} changed between two captures"
  [ -n "$ended" ] && [ "${coloured:-0}" -gt 2000 ] && [ "${changed%.*}" -gt 500 ] 2>/dev/null
}

# Signatures. scripts/test.sh signs the package with a throw-away certificate
# and names its root in MORVELLA_TEST_SIGNING_CA: every program must then
# carry a SHA-256 Authenticode signature that verifies against that root.
# Without it the package was made without a certificate: no program is signed.
signature_expected() {
  if [ -n "${MORVELLA_TEST_SIGNING_CA:-}" ]; then echo "signed (SHA-256) by the test certificate"; else echo unsigned; fi
}
signature_as_expected() {  # FILE
  local out
  if [ -z "${MORVELLA_TEST_SIGNING_CA:-}" ]; then
    out=$(osslsigncode verify -in "$1" 2>&1)
    grep -q '^No signature found' <<<"$out" || { echo "  $(basename "$1") carries a signature"; return 1; }
    return 0
  fi
  if out=$(osslsigncode verify -CAfile "$MORVELLA_TEST_SIGNING_CA" -in "$1" 2>&1) &&
     grep -Eq '^Message digest algorithm *: SHA256' <<<"$out"; then
    return 0
  fi
  echo "  $(basename "$1"): $(grep -E 'No signature|digest algorithm *:|verification|Failed' <<<"$out" | head -n 3 | tr -s '\n\t' '  ')"
  return 1
}
# same_program BUILT FILE: FILE is BUILT, or BUILT with an Authenticode
# signature added: longer, and unlike it only in the PE checksum and the
# entry that points at the signature.
same_program() {
  cmp -s "$1" "$2" && return 0
  [ "$(head -c 2 "$1")" = MZ ] || return 1
  local pe dir
  pe=$(od -An -tu4 -j 60 -N 4 "$1" | tr -d ' ')
  case $(od -An -tx2 -j $((pe + 24)) -N 2 "$1" | tr -d ' ') in
    010b) dir=$((pe + 152)) ;;  # PE32: the security directory
    020b) dir=$((pe + 168)) ;;  # PE32+
    *) return 1 ;;
  esac
  [ "$(stat -c %s "$2")" -gt "$(stat -c %s "$1")" ] || return 1
  { cmp -l "$1" "$2" 2>/dev/null || true; } | awk -v sum=$((pe + 88)) -v dir="$dir" '
    { at = $1 - 1 }
    !((at >= sum && at < sum + 4) || (at >= dir && at < dir + 8)) { other = 1 }
    END { exit other }'
}
