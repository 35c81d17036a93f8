#!/usr/bin/env bash
# The signatures of the packages scripts/package.sh made: each program the
# zip or the setup program carries, and the setup program itself, is signed
# as expected (lib.sh, signature_expected) and is the program the build made.
# With a certificate given, also what package.sh does without one, and with
# a signature that fails half-way.
#   signatures-test.sh WORK_DIR DIST_DIR PACKAGE_DIR [DIST_DIR PACKAGE_DIR]
# The first pair is the release package, a second one the 64-bit test setup.
set -uo pipefail
work=${1:?work folder}; shift
source "$(dirname "$0")/lib.sh"
release=$("$root/scripts/version.sh") || exit 1
eval "$release"
base="morvella-$MORVELLA_VERSION"
rm -rf "$work"
mkdir -p "$work"

# programs_as_expected DIST PACKAGE: the programs of PACKAGE's zip (of its
# staging folder where it keeps no zip) and its setup program.
programs_as_expected() {
  local dist=$1 package=$2 from f
  from="$package/stage/$base"
  if [ -f "$package/$base-win32.zip" ]; then
    from="$work/zip/$(basename "$package")"
    mkdir -p "$from" && unzip -q -o -j "$package/$base-win32.zip" "$base/*.scr" "$base/*.exe" -d "$from"
  fi
  for f in morvella.scr morvella-object.exe morvella-convert.exe; do
    [ -f "$dist/$f" ] || continue
    check "$f is $(signature_expected)" signature_as_expected "$from/$f"
    check "$f is the one the build made" same_program "$dist/$f" "$from/$f"
  done
  check "the setup program is $(signature_expected)" signature_as_expected "$package/$base-setup.exe"
}

while [ $# -ge 2 ]; do
  echo "== the programs of $(basename "$2")"
  programs_as_expected "$1" "$2"
  shift 2
done

if [ -z "${MORVELLA_TEST_SIGNING_CA:-}" ]; then
  echo "(made without a certificate: what signing does is not checked)"
  finish
fi
# The release build packaged once more, into this test's folder.
dist=$root/build/dist

echo "== without a certificate"
log=$(env -u MORVELLA_SIGN_CERT -u MORVELLA_SIGN_KEY -u MORVELLA_SIGN_PASS_FILE \
        "$root/scripts/package.sh" "$dist" "$work/unsigned" 2>&1)
check "package.sh says in one line that the programs are unsigned" \
  test "$(grep -c 'programs are unsigned' <<<"$log")" -eq 1
# A machine that has never signed has neither tool before install-deps runs.
env -i PATH="$work/no-tools" "$BASH" "$root/scripts/sign.sh" check >/dev/null 2>&1; rc=$?
check "nothing given: sign.sh needs neither osslsigncode nor openssl to say so ($rc)" test "$rc" -eq 3
ca=$MORVELLA_TEST_SIGNING_CA
MORVELLA_TEST_SIGNING_CA=
programs_as_expected "$dist" "$work/unsigned"
MORVELLA_TEST_SIGNING_CA=$ca

echo "== half-given signing configurations"
cert=$MORVELLA_SIGN_CERT key=$MORVELLA_SIGN_KEY
while IFS='|' read -r what settings reason; do
  out=$(env -u MORVELLA_SIGN_CERT -u MORVELLA_SIGN_KEY -u MORVELLA_SIGN_PASS_FILE $settings \
          "$root/scripts/sign.sh" check 2>&1); rc=$?
  check "$what: refused, naming the cause ($out)" bash -c '[ "$0" -eq 1 ] && grep -q -- "$1" <<<"$2"' "$rc" "$reason" "$out"
done <<EOF
a certificate without its key|MORVELLA_SIGN_CERT=$cert|without MORVELLA_SIGN_KEY
a key without its certificate|MORVELLA_SIGN_KEY=$key|MORVELLA_SIGN_CERT (the certificate) is not given
a key that is no file|MORVELLA_SIGN_CERT=$cert MORVELLA_SIGN_KEY=$work/none.key|none.key is not a readable file
a certificate file that holds none|MORVELLA_SIGN_CERT=$key MORVELLA_SIGN_KEY=$key|holds no certificate
a key URI without its PKCS#11 module|MORVELLA_SIGN_CERT=$cert MORVELLA_SIGN_KEY=pkcs11:object=signer|MORVELLA_SIGN_PKCS11_MODULE is not given
EOF

echo "== a key on a token (SoftHSM2 standing in), with the engine named and without"
export SOFTHSM2_CONF="$work/softhsm2.conf"
mkdir -p "$work/tokens"
printf 'directories.tokendir = %s\nobjectstore.backend = file\n' "$work/tokens" >"$SOFTHSM2_CONF"
echo 2718 >"$work/token.pin"
openssl pkcs8 -topk8 -nocrypt -in "$key" -passin "file:$MORVELLA_SIGN_PASS_FILE" -out "$work/token-key.p8"
softhsm2-util --init-token --free --label "Morvella release" --pin 2718 --so-pin 3141 >/dev/null &&
  softhsm2-util --import "$work/token-key.p8" --token "Morvella release" --label codesign --id 01 \
    --pin 2718 >/dev/null || echo "FAIL: no token to sign with"
rm -f "$work/token-key.p8"
# The engine named: a copy in a folder of one's own, as a release signer may
# keep one.
mkdir -p "$work/my engines"
cp "$(openssl version -e | sed -n 's/^ENGINESDIR: "\(.*\)"$/\1/p')/pkcs11.so" "$work/my engines/"
for engine in "$work/my engines/pkcs11.so" ""; do
  program="$work/token${engine:+-engine}.scr"
  cp "$dist/morvella.scr" "$program"
  env -u MORVELLA_SIGN_PKCS12 MORVELLA_SIGN_CERT="$cert" MORVELLA_SIGN_PASS_FILE="$work/token.pin" \
    MORVELLA_SIGN_PKCS11_MODULE=/usr/lib/softhsm/libsofthsm2.so MORVELLA_SIGN_PKCS11_ENGINE="$engine" \
    MORVELLA_SIGN_KEY='pkcs11:token=Morvella%20release;object=codesign;type=private' \
    "$root/scripts/sign.sh" -n Morvella "$program"
  check "the saver signed by the key on the token (engine: ${engine:-the default})" signature_as_expected "$program"
done

echo "== a signature that fails when the setup program is signed"
# osslsigncode refusing the last program: the programs before it, the zip
# and an unsigned setup program are written by then.
mkdir -p "$work/bin"
printf '#!/bin/sh\ncase "$*" in *-setup.exe*) echo "refused by the test" >&2; exit 1 ;; esac\nexec %s "$@"\n' \
  "$(command -v osslsigncode)" >"$work/bin/osslsigncode"
chmod +x "$work/bin/osslsigncode"
PATH="$work/bin:$PATH" "$root/scripts/package.sh" "$dist" "$work/failing" >"$work/failing.log" 2>&1; rc=$?
check "package.sh fails ($rc)" test "$rc" -ne 0
check "and leaves no package ($(ls -A "$work/failing" | tr '\n' ' '))" test -z "$(ls -A "$work/failing")"

echo "== Ctrl+C while a timestamp server does not answer"
# osslsigncode waiting for ever, and Ctrl+C to package.sh's process group as
# a terminal sends it (with SIGINT as a terminal leaves it, whatever this
# test inherited).
mkdir -p "$work/hang"
printf '#!/bin/sh\necho $$ >"%s"\nexec sleep 60\n' "$work/hang/signing" >"$work/hang/osslsigncode"
chmod +x "$work/hang/osslsigncode"
PATH="$work/hang:$PATH" setsid env --default-signal=INT \
  "$root/scripts/package.sh" "$dist" "$work/interrupted" >"$work/interrupted.log" 2>&1 &
run=$!
for _ in $(seq 100); do [ -s "$work/hang/signing" ] && break; sleep 0.2; done
kill -INT -- "-$run"
for _ in $(seq 50); do kill -0 "$run" 2>/dev/null || break; sleep 0.2; done
stopped=yes; kill -0 "$run" 2>/dev/null && stopped=no
kill -KILL -- "-$run" 2>/dev/null; wait "$run"
signer=$(cat "$work/hang/signing" 2>/dev/null)
check "package.sh stops within 10 seconds ($stopped)" test "$stopped" = yes
check "and leaves no osslsigncode running" bash -c '[ -n "$0" ] && ! kill -0 "$0" 2>/dev/null' "$signer"
kill -KILL "$signer" 2>/dev/null
check "and no package ($(ls -A "$work/interrupted" | tr '\n' ' '))" test -z "$(ls -A "$work/interrupted")"

finish
