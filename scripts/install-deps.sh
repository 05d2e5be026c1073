#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# The shipped setup program is a 32-bit Windows program: Wine runs it with its
# 32-bit half (wine32 of the i386 architecture), in a 64-bit prefix as most
# users' Windows is, and in a 32-bit one.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev
          g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
          wine wine64 wine32:i386 fonts-wine fonts-liberation xvfb xauth imagemagick osslsigncode openssl)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

update=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  update=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
((${#missing[@]})) || exit 0

echo "Installing: ${missing[*]}"
# An index that fails to download (a mirror in the middle of a sync) is not
# fatal by itself: the install below says whether what we need was found.
$sudo apt-get update -qq || echo "apt-get update reported errors; trying with the indexes there are" >&2
install() { DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null; }
if ! install "${missing[@]}"; then
  # Both architectures of a multi-arch library must carry one version; when
  # one architecture's updates index is missing they disagree, and the
  # release's own index still has a version of every package for both.
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  echo "Retrying from the $codename release index alone" >&2
  install -t "$codename" "${missing[@]}"
fi
