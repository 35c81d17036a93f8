#!/usr/bin/env bash
# Builds everything: the native build (portable code, its tests, the tools
# that generate morvella.dat and the sample bitmaps) and the Windows build
# (morvella.scr and its Wine tests). What a user copies lands in build/dist.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist="$root/build/dist"
jobs=$(nproc 2>/dev/null || echo 2)

cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release -DMORVELLA_DIST_DIR="$dist" >/dev/null
cmake --build "$root/build/native" -j"$jobs"

cmake -S "$root" -B "$root/build/windows" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
      -DCMAKE_BUILD_TYPE=MinSizeRel -DMORVELLA_DIST_DIR="$dist" >/dev/null
cmake --build "$root/build/windows" -j"$jobs"

# Where this machine runs no 32-bit programs, the Windows tests run on a
# 64-bit build of the same sources instead (its own dist folder, same assets).
if [ "$("$root/scripts/wine-arch.sh")" = win64 ]; then
  dist64="$root/build/dist64"
  cmake -S "$root" -B "$root/build/windows64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=MinSizeRel -DMORVELLA_DIST_DIR="$dist64" >/dev/null
  cmake --build "$root/build/windows64" -j"$jobs"
  cp "$dist"/*.dat "$dist"/*.bmp "$dist64/"
fi

echo "dist folder: $dist"
ls -l "$dist"
