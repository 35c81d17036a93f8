#!/usr/bin/env bash
# scripts/apt-sources.sh on apt configurations of both formats: the fresh-
# machine check takes its mirror from this list, so a source read wrongly or
# a disabled one read at all would build the check's machine from elsewhere.
#   apt_sources_test.sh SCRATCH-DIR
set -uo pipefail
reader="$(cd "$(dirname "$0")/../.." && pwd)/scripts/apt-sources.sh"
scratch=${1:?scratch folder}
failures=0

# case NAME EXPECTED, with the configuration already written under $etc
check() {
  local actual
  actual=$("$reader" "$etc")
  if [ "$actual" = "$2" ]; then
    echo "ok: $1"
  else
    printf 'FAIL: %s\n--- expected:\n%s\n--- actual:\n%s\n' "$1" "$2" "$actual"
    failures=$((failures + 1))
  fi
}
fresh() { etc="$scratch/$1"; rm -rf "$etc"; mkdir -p "$etc/sources.list.d"; }

fresh one-line
cat >"$etc/sources.list" <<'X'
# deb http://commented.example/debian bookworm main
deb http://mirror.example/debian bookworm main contrib
deb-src http://mirror.example/debian bookworm main
deb [arch=amd64 signed-by=/usr/share/keyrings/k.gpg] http://opts.example/debian bookworm-updates main # note
deb [ trusted=yes ] http://spaced.example/debian bookworm-security main
X
check "one-line: comments and deb-src skipped, [options] removed" \
"http://mirror.example/debian bookworm
http://opts.example/debian bookworm-updates
http://spaced.example/debian bookworm-security"

fresh deb822
cat >"$etc/sources.list.d/debian.sources" <<'X'
Types: deb deb-src
URIs: http://a.example/debian http://b.example/debian
Suites: bookworm bookworm-updates
Components: main
# a comment inside a stanza does not end it
Signed-By:
 -----BEGIN PGP PUBLIC KEY BLOCK-----
 URIs: http://inside-a-key.example/
 .
 -----END PGP PUBLIC KEY BLOCK-----

types: deb-src
uris: http://sources-only.example/debian
suites: bookworm

Types: deb
URIs: http://off.example/debian
Suites: bookworm
Enabled: no
  	
TYPES:	deb
URIS:	http://last.example/debian-security
SUITES:	bookworm-security
X
check "deb822: every URI with every suite, deb-src and Enabled: no skipped, any case, key blocks ignored, no trailing blank line" \
"http://a.example/debian bookworm
http://a.example/debian bookworm-updates
http://b.example/debian bookworm
http://b.example/debian bookworm-updates
http://last.example/debian-security bookworm-security"

fresh both
echo 'deb http://main-list.example/debian bookworm main' >"$etc/sources.list"
echo 'deb http://extra.example/debian bookworm main' >"$etc/sources.list.d/extra.list"
printf 'Types: deb\nURIs: http://d.example/debian\nSuites: bookworm\n' >"$etc/sources.list.d/d.sources"
printf 'Types: deb\nURIs: http://hidden.example/\nSuites: bookworm\n' >"$etc/sources.list.d/d.sources.disabled"
echo 'deb http://hidden2.example/ bookworm main' >"$etc/sources.list.d/x.list.save"
check "both formats in apt's order; files of other names ignored" \
"http://main-list.example/debian bookworm
http://extra.example/debian bookworm
http://d.example/debian bookworm"

fresh none
check "no sources at all: nothing" ""

exit $((failures > 0))
