#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12, as root, without
# questions. Idempotent: does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake g++ make git
  mingw-w64 g++-mingw-w64-i686-posix googletest libgtest-dev libbenchmark-dev
  clang libclang-rt-14-dev
  wine wine32 wine64 libgl1:i386 libglx-mesa0:i386 libgl1-mesa-dri:i386
  g++-mingw-w64-x86-64-posix nsis zip unzip osslsigncode openssl softhsm2 libengine-pkcs11-openssl
  xvfb xauth x11-utils xdotool imagemagick
  tigervnc-standalone-server x11-xserver-utils gcc-multilib libxrandr-dev
  libxrandr2:i386 libxinerama1:i386 libxcomposite1:i386 libxi6:i386 libxcursor1:i386 libxrender1:i386
  libxrandr2 libxinerama1 libxcomposite1 libxi6 libxcursor1 libxrender1
  locales fonts-ipafont-gothic
  libassimp-dev libmeshoptimizer-dev assimp-testmodels dpkg-dev libutfcpp-dev
  zlib1g-dev libz-mingw-w64-dev
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "install-deps: adding the i386 architecture"
  $SUDO dpkg --add-architecture i386
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif [ -n "${need_update:-}" ]; then
  $SUDO apt-get update -qq
fi

# Wine takes its ANSI code page and the user's UI language from the locale:
# ja_JP.UTF-8 gives code page 932 and Japanese, en_US.UTF-8 English. The
# tests speak to the saver in both.
for wanted in ja_JP en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$wanted\.utf-\?8\$"; then
    echo "install-deps: generating the $wanted.UTF-8 locale"
    $SUDO sed -i "s/^# *\($wanted.UTF-8 UTF-8\)/\1/" /etc/locale.gen
    grep -q "^$wanted.UTF-8 UTF-8" /etc/locale.gen || echo "$wanted.UTF-8 UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
  fi
done
echo "install-deps: everything is installed"
