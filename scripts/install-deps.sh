#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian machine, skipping what is already there.
# Usage: scripts/install-deps.sh [native|all]
#   native: compiler, CMake, GoogleTest and the test oracles (GMP, MPFR, FFTW); Arb on FLINT (the
#           threaded benchmark reference, bench/pi/arb_pi); Python for the JSON checks; dpkg-dev and
#           file (CPack's Debian package and its dependencies), lintian (the package's policy check),
#           groff and man-db (the manual page checks)
#   all:    also the MinGW-w64 cross compiler, Wine with its own fonts (the caption buttons are
#           drawn from its symbol font), Xvfb, the Japanese locale and fonts
set -euo pipefail
what=${1:-all}

packages=(g++ cmake make libgtest-dev libgmp-dev libmpfr-dev libfftw3-dev libflint-arb-dev python3 dpkg-dev
          file lintian groff-base man-db)
if [ "$what" = all ]; then
  packages+=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 googletest wine64 fonts-wine xvfb x11-apps imagemagick
             locales fonts-ipafont-gothic fonts-ipafont-mincho procps)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ "${#missing[@]}" -gt 0 ]; then
  echo "installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if [ "$what" = all ] && ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  # The windowed programs' texts are code page 932; Wine shows them only under a Japanese locale.
  $sudo sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi
