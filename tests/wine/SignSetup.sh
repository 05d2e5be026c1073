#!/usr/bin/env bash
# Signing what mksetup makes, with a throw-away certificate made here:
#   SignSetup.sh MKSETUP VKAR STUB SETTINGS RELEASE_DIR
# RELEASE_DIR holds setup.exe and payload/ (MakeRelease.cmake). The signed
# copy must verify, still carry its archive, and (signed-setup.exe) install
# under Wine in a journey. A signed stub must give mksetup the very bytes
# the unsigned stub gives: the old signature is dropped, nothing else changes.
set -euo pipefail
mksetup=${1:?} vkar=${2:?} stub=${3:?} settings=${4:?} dir=${5:?}
work="$dir/signing"
rm -rf "$work" "$dir/signed-setup.exe"
mkdir -p "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=ZarnFTP Setup test signer" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
sign() {
  osslsigncode sign -certs "$work/cert.pem" -key "$work/key.pem" -n "ZarnFTP Setup" -h sha256 \
    -in "$1" -out "$2" >/dev/null
}

sign "$dir/setup.exe" "$work/signed-setup.exe"
osslsigncode verify -CAfile "$work/cert.pem" "$work/signed-setup.exe" >"$work/verify.txt" 2>&1 ||
  { cat "$work/verify.txt" >&2; echo "osslsigncode verify refused the signed setup.exe" >&2; exit 1; }
listing=$("$vkar" l "$work/signed-setup.exe")
for name in ZarnFTP.exe CHANGES.TXT README.TXT unzarn.exe; do
  grep -q "$name" <<<"$listing" || { echo "vkar l of the signed setup.exe lacks $name" >&2; exit 1; }
done
# The unsigned and the signed program carry the same archive.
cmp <("$vkar" p "$dir/setup.exe" CHANGES.TXT) <("$vkar" p "$work/signed-setup.exe" CHANGES.TXT)

sign "$stub" "$work/signed-stub.exe"
osslsigncode verify -CAfile "$work/cert.pem" "$work/signed-stub.exe" >/dev/null 2>&1 ||
  { echo "osslsigncode verify refused the signed stub" >&2; exit 1; }
cp "$stub" "$work/unsigned-stub.exe"
cp "$(dirname "$stub")/unzarn.exe" "$work/unzarn.exe" # found beside the stub
"$mksetup" --stub "$work/signed-stub.exe" -s "$settings" -o "$work/from-signed.exe" "$dir/payload" >/dev/null
"$mksetup" --stub "$work/unsigned-stub.exe" -s "$settings" -o "$work/from-unsigned.exe" "$dir/payload" >/dev/null
cmp "$work/from-signed.exe" "$work/from-unsigned.exe" ||
  { echo "mksetup kept something of the stub's signature" >&2; exit 1; }
if osslsigncode verify -CAfile "$work/cert.pem" "$work/from-signed.exe" >/dev/null 2>&1; then
  echo "a setup program made of a signed stub still claims the stub's signature" >&2
  exit 1
fi
cp "$work/signed-setup.exe" "$dir/signed-setup.exe"
echo "signed, verified, listed; a signed stub's signature dropped"
