#!/usr/bin/env bash
# Makes a throw-away code-signing certificate in DIR, as a release signer
# would hold one: a root (root.pem, the one the tests trust), a code-signing
# certificate it issued (signer.pem) and that certificate's private key,
# kept under a password (signer.key, password.txt). Valid for two days.
#   test-certificate.sh DIR
set -euo pipefail
dir=${1:?folder}
rm -rf "$dir"
mkdir -p "$dir"
cd "$dir"
openssl rand -hex 16 >password.txt
openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 2 \
  -subj "/CN=Morvella test root" \
  -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign 2>/dev/null
openssl req -newkey rsa:2048 -keyout signer.key -passout file:password.txt -out signer.csr \
  -subj "/O=Morvella test publisher/CN=Morvella test publisher" 2>/dev/null
printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature \
  extendedKeyUsage=codeSigning >signer.ext
openssl x509 -req -in signer.csr -CA root.pem -CAkey root.key -set_serial 2 -days 2 \
  -extfile signer.ext -out signer.pem 2>/dev/null
rm -f root.key signer.csr signer.ext
