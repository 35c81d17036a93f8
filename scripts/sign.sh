#!/usr/bin/env bash
# Authenticode signing (SHA-256) of the Windows programs of a release, with
# osslsigncode, by the certificate and key given in the environment:
#
#   MORVELLA_SIGN_CERT        the code-signing certificate, PEM or DER (a PEM
#                             file may hold the chain after it)
#   MORVELLA_SIGN_KEY         its private key: a PEM file, a DER file without
#                             password, or, with MORVELLA_SIGN_PKCS11_MODULE,
#                             the pkcs11: URI of the key on the token
#   MORVELLA_SIGN_PKCS12      instead of the two above: a .pfx / .p12 file
#   MORVELLA_SIGN_PASS_FILE   optional: a file holding the password of the key
#                             (or of the .pfx, or the token's PIN); never give
#                             a password on a command line
#   MORVELLA_SIGN_PKCS11_MODULE  the token's PKCS#11 module (a .so file)
#   MORVELLA_SIGN_PKCS11_ENGINE  optional: the OpenSSL engine that speaks
#                             PKCS#11 (default: libp11's "pkcs11" engine)
#   MORVELLA_SIGN_TIMESTAMP   optional: RFC 3161 timestamp server URLs,
#                             separated by blanks, tried in turn
#
#   sign.sh check               prints one line: what signs (exit 0), or that
#                               nothing is given and the programs stay
#                               unsigned (exit 3); fails (exit 1) with a
#                               message for a half-given configuration
#   sign.sh [-n NAME] FILE...   signs each program in place (NAME: the program
#                               name Windows shows with the signature); a
#                               program it cannot sign is left as it was and
#                               the command fails
set -uo pipefail

die() { echo "sign: $*" >&2; exit 1; }

cert=${MORVELLA_SIGN_CERT:-}
key=${MORVELLA_SIGN_KEY:-}
pkcs12=${MORVELLA_SIGN_PKCS12:-}
pass_file=${MORVELLA_SIGN_PASS_FILE:-}
module=${MORVELLA_SIGN_PKCS11_MODULE:-}
engine=${MORVELLA_SIGN_PKCS11_ENGINE:-}
timestamp=${MORVELLA_SIGN_TIMESTAMP:-}

readable() {  # WHAT FILE
  [ -f "$2" ] && [ -r "$2" ] || die "$1 $2 is not a readable file"
}
# The certificate's subject, from a PEM or a DER file.
subject() {
  local form
  for form in PEM DER; do
    openssl x509 -noout -subject -nameopt oneline -inform $form -in "$1" 2>/dev/null |
      sed -n 's/^subject= *//p' | grep . && return 0
  done
  return 1
}

# Fills args with osslsigncode's key options and says what signs, or
# returns 2 when nothing at all is given.
configure() {
  args=()
  if [ -z "$cert$key$pkcs12$pass_file$module$engine$timestamp" ]; then
    return 2
  fi
  # Only a run that signs needs the tools: an unsigned package is made as
  # well on a machine that has never had them.
  command -v osslsigncode >/dev/null || die "osslsigncode is missing (scripts/install-deps.sh installs it)"
  command -v openssl >/dev/null || die "openssl is missing (scripts/install-deps.sh installs it)"
  local what
  if [ -n "$pkcs12" ]; then
    [ -z "$cert$key$module$engine" ] ||
      die "MORVELLA_SIGN_PKCS12 holds certificate and key: give no MORVELLA_SIGN_CERT, _KEY or _PKCS11_* with it"
    readable "the PKCS#12 file" "$pkcs12"
    args=(-pkcs12 "$pkcs12")
    what="the certificate in $pkcs12"
  else
    [ -n "$cert" ] || die "MORVELLA_SIGN_CERT (the certificate) is not given, but other MORVELLA_SIGN_ settings are"
    [ -n "$key" ] || die "MORVELLA_SIGN_CERT is given without MORVELLA_SIGN_KEY (its private key)"
    readable "the certificate" "$cert"
    what=$(subject "$cert") || die "$cert holds no certificate (PEM or DER)"
    args=(-certs "$cert")
    if [ -n "$module" ]; then
      readable "the PKCS#11 module" "$module"
      [[ $key == pkcs11:* ]] || die "with a PKCS#11 module, MORVELLA_SIGN_KEY is the key's pkcs11: URI, not $key"
      if [ -n "$engine" ]; then
        readable "the PKCS#11 engine" "$engine"
        # osslsigncode 2.5 (Debian 12's) gives the engine it loads by path
        # that path as its name, and libp11's engine, named "pkcs11",
        # refuses to start under another: that one is found by its name in
        # its folder instead, as every version does.
        if [ "$(basename "$engine")" = pkcs11.so ]; then
          export OPENSSL_ENGINES
          OPENSSL_ENGINES=$(dirname "$engine")
        else
          args+=(-pkcs11engine "$engine")
        fi
      fi
      args+=(-pkcs11module "$module" -key "$key")
      what="$what, key on the token of $module"
    else
      [ -z "$engine" ] || die "MORVELLA_SIGN_PKCS11_ENGINE is given without MORVELLA_SIGN_PKCS11_MODULE"
      [[ $key != pkcs11:* ]] || die "MORVELLA_SIGN_KEY is a pkcs11: URI, but MORVELLA_SIGN_PKCS11_MODULE is not given"
      readable "the key" "$key"
      args+=(-key "$key")
    fi
  fi
  if [ -n "$pass_file" ]; then
    readable "the password file" "$pass_file"
    args+=(-readpass "$pass_file")
  fi
  local url urls
  read -ra urls <<<"$timestamp"
  for url in "${urls[@]}"; do args+=(-ts "$url"); done
  summary="signing with $what, ${timestamp:+timestamped by $timestamp}"
  [ -n "$timestamp" ] || summary="${summary}no timestamp"
}

if [ "${1:-}" = check ]; then
  configure
  case $? in
    0) echo "sign: $summary" ;;
    2) echo "sign: no signing certificate given (MORVELLA_SIGN_CERT or MORVELLA_SIGN_PKCS12): the programs are unsigned"
       exit 3 ;;
    *) exit 1 ;;
  esac
  exit 0
fi

name=
if [ "${1:-}" = -n ]; then name=${2:?-n needs a name}; shift 2; fi
[ $# -gt 0 ] || die "usage: sign.sh check | sign.sh [-n NAME] FILE..."
configure
[ $? -eq 2 ] && die "no signing certificate given (MORVELLA_SIGN_CERT or MORVELLA_SIGN_PKCS12)"

# osslsigncode runs in a session of its own (below), out of reach of the
# terminal's Ctrl+C: an interrupted run stops it here, leaves the program as
# it was, and ends as interrupted, so that whatever started this stops too.
signer= out= log=$(mktemp)
trap 'rm -f "$log"' EXIT
interrupted() {  # SIGNAL
  [ -z "$signer" ] || kill -TERM -- "-$signer" "$signer" 2>/dev/null
  rm -f "$out" "$log"
  trap - "$1"
  kill -"$1" $$
}
trap 'interrupted INT' INT
trap 'interrupted TERM' TERM
trap 'interrupted HUP' HUP

for file in "$@"; do
  readable "the program" "$file"
  out="$file.signing"
  rm -f "$out"
  # A new session without a terminal: a key that needs a password nobody
  # gave fails at once instead of waiting for one at a prompt.
  setsid -w osslsigncode sign "${args[@]}" -h sha256 ${name:+-n "$name"} \
    -in "$file" -out "$out" </dev/null >"$log" 2>&1 &
  signer=$!
  wait "$signer"; rc=$?
  signer=
  if [ $rc -ne 0 ] || [ ! -s "$out" ]; then
    rm -f "$out"
    # osslsigncode's own words, without OpenSSL's error stack.
    grep -vE '^[0-9A-F]+:error:|pass phrase:|^ *$' "$log" | head -n 6 >&2
    die "could not sign $file"
  fi
  chmod --reference="$file" "$out"
  mv -f "$out" "$file"
done
