#!/usr/bin/env bash
# Installs what is missing, builds, makes the release package (signed with a
# throw-away certificate), and runs every test: the native unit tests,
# fuzzing and benchmarks, then the Windows tests under Wine in a private Xvfb
# display and a fresh private Wine prefix, torn down at the end, and the
# install tests, each in its own fresh prefix.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

scripts/install-deps.sh || exit 1
# The package is signed as a release would be, with a throw-away certificate
# made for this run; the tests check every signature against its root.
signing="$root/build/test-signing"
tests/install/test-certificate.sh "$signing" || exit 1
unset MORVELLA_SIGN_PKCS12 MORVELLA_SIGN_PKCS11_MODULE MORVELLA_SIGN_PKCS11_ENGINE MORVELLA_SIGN_TIMESTAMP
export MORVELLA_SIGN_CERT="$signing/signer.pem" MORVELLA_SIGN_KEY="$signing/signer.key" \
       MORVELLA_SIGN_PASS_FILE="$signing/password.txt" MORVELLA_TEST_SIGNING_CA="$signing/root.pem"
scripts/package.sh || exit 1

arch=$(scripts/wine-arch.sh)
windows_build=build/windows
[ "$arch" = win64 ] && windows_build=build/windows64
session="$root/$windows_build/wine"
# The main session, the two-monitor ones (their Xvnc servers included) and
# the one at another DPI: an interrupted run leaves none of them running, and
# each run starts them with a fresh prefix.
stop_sessions() {
  local dir
  for dir in "$session" "$root/$windows_build"/wine-monitors-* "$root/$windows_build"/wine-dpi*; do
    [ -d "$dir" ] && scripts/wine-session.sh stop "$dir" >/dev/null 2>&1
  done
}
trap stop_sessions EXIT
stop_sessions
rm -rf "$session/prefix" "$root/$windows_build"/wine-monitors-*/prefix "$root/$windows_build"/wine-dpi*/prefix

status=0
echo "== native tests, fuzzing"
timeout 1200 ctest --test-dir build/native --output-on-failure -j2 -LE bench || status=1
echo "== benchmarks (their figures do not gate; a benchmark that crashes or fails to run does)"
timeout 600 ctest --test-dir build/native -L bench --no-tests=error -V 2>&1 | grep -vE '^[0-9]+: (Test command|Working Directory|Environment)'
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1
echo "== Windows tests under Wine"
if [ "$arch" = win64 ]; then
  # Nothing 32-bit starts on this machine. The shipped saver is checked on
  # the host; everything that runs it runs the 64-bit build of the same
  # sources (x87 arithmetic like the shipped one) in a 64-bit prefix.
  echo "this machine's kernel runs no 32-bit programs: the Windows tests run on the 64-bit test build"
  tests/check-imports.sh build/dist/morvella.scr tests/allowed-imports.txt || status=1
  for tool in morvella-convert morvella-object; do
    tests/check-imports.sh "build/dist/$tool.exe" tests/allowed-imports-tools.txt || status=1
  done
  tests/check-pe-header.sh build/dist/morvella.scr || status=1
  tests/check-cpu.sh build/dist/morvella.scr || status=1
  tests/check-cpu-fixture.sh tests/check-cpu.sh build/windows/tests/windows/fixture_later_instructions.exe || status=1
fi
timeout 2400 ctest --test-dir "$windows_build" --output-on-failure || status=1
exit $status
