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

echo "dist folder: $dist"
ls -l "$dist"
