#!/usr/bin/env bash
# Makes a throw-away code-signing certificate in DIR, as a release signer
# would hold one from a certificate authority: a root (root.pem, the one the
# tests trust), an intermediate it issued, a code-signing certificate the
# intermediate issued, followed by the intermediate (signer.pem: the chain
# as such authorities hand it out), and that certificate's private key, kept
# under a password (signer.key, password.txt). Valid for two days.
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
openssl req -newkey rsa:2048 -nodes -keyout issuer.key -out issuer.csr \
  -subj "/CN=Morvella test code signing CA" 2>/dev/null
printf '%s\n' basicConstraints=critical,CA:TRUE keyUsage=critical,keyCertSign >issuer.ext
openssl x509 -req -in issuer.csr -CA root.pem -CAkey root.key -set_serial 2 -days 2 \
  -extfile issuer.ext -out issuer.pem 2>/dev/null
openssl req -newkey rsa:2048 -keyout signer.key -passout file:password.txt -out signer.csr \
  -subj "/O=Morvella test publisher/CN=Morvella test publisher" 2>/dev/null
printf '%s\n' basicConstraints=CA:FALSE keyUsage=critical,digitalSignature \
  extendedKeyUsage=codeSigning >signer.ext
openssl x509 -req -in signer.csr -CA issuer.pem -CAkey issuer.key -set_serial 3 -days 2 \
  -extfile signer.ext -out signer.pem 2>/dev/null
# A verifier reaches the root only through the intermediate the signature
# carries: these certificates name no place to fetch it from.
cat issuer.pem >>signer.pem
rm -f root.key issuer.key issuer.pem issuer.csr issuer.ext signer.csr signer.ext
