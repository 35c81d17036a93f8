#!/usr/bin/env bash
# Makes the release files a Windows user downloads, in build/package:
#   morvella-<version>-win32.zip   the saver, its model, the sample bitmaps,
#                                  read-me texts (English, Japanese), licence,
#                                  the object window and the model converter
#                                  with their libraries' licences
#   morvella-<version>-setup.exe   the setup program (NSIS); it installs the
#                                  object window too
# Installs what is missing and builds first; the version, product name and
# publisher come from the saver's version resource (scripts/version.sh).
# On a machine that runs no 32-bit programs (scripts/wine-arch.sh) it also
# makes, for the install tests only, a 64-bit setup program of the 64-bit
# test build in build/package64; that one is never a release file.
#
# Given a certificate and key (MORVELLA_SIGN_*, see scripts/sign.sh), the
# saver, the object window, the converter, the uninstaller and the setup
# program are signed, and the zip and the setup program carry the signed
# files; without one they are unsigned and a line says so. A run that fails
# leaves no package behind.
#
#   package.sh                     installs, builds, packages as above
#   package.sh DIST OUT [TARGET]   packages DIST, already built, into OUT only
#                                  (TARGET: makensis's, for a 64-bit setup)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# Signing files named relative to where this was started, before it moves.
for v in MORVELLA_SIGN_CERT MORVELLA_SIGN_KEY MORVELLA_SIGN_PKCS12 MORVELLA_SIGN_PASS_FILE \
         MORVELLA_SIGN_PKCS11_MODULE MORVELLA_SIGN_PKCS11_ENGINE; do
  case ${!v:-/} in /* | pkcs11:*) ;; *) export "$v=$PWD/${!v}" ;; esac
done
cd "$root"

# What is missing is installed first: the signing tools come with it.
[ $# -gt 0 ] || scripts/install-deps.sh
# Before anything is built: a half-given signing configuration stops here.
signing=1
scripts/sign.sh check || { [ $? -eq 3 ] || exit 1; signing=; }

# What this run writes: a failed run removes it again, so that no package
# with unsigned or half-signed programs is left to be mistaken for a release.
made=()
remove_unfinished() {
  local rc=$?
  if [ $rc -ne 0 ] && [ ${#made[@]} -gt 0 ]; then
    rm -rf "${made[@]}"
    echo "package: failed; removed the unfinished package" >&2
  fi
  return $rc
}
trap remove_unfinished EXIT

[ $# -gt 0 ] || scripts/build.sh

release=$(scripts/version.sh)
eval "$release"
base="morvella-$MORVELLA_VERSION"

# Texts with Windows line ends. The Japanese one is Shift_JIS (code page
# 932), which Notepad reads on every Japanese Windows from 98 to 11.
text() {
  sed -e "s/@VERSION@/$MORVELLA_VERSION/g" -e "s/@PRODUCT@/$MORVELLA_PRODUCT/g" -e 's/$/\r/' "$1"
}

# The licences of the libraries compiled into morvella-convert.exe, from
# the very sources it was built from.
third_party() {
  local assimp meshopt minizip draco zlib_h
  assimp=$(scripts/debian-source.sh libassimp-dev)
  meshopt=$(scripts/debian-source.sh libmeshoptimizer-dev)
  minizip=$(scripts/debian-source.sh libminizip-dev)
  draco=$(scripts/debian-source.sh libdraco-dev)
  zlib_h=/usr/i686-w64-mingw32/include/zlib.h
  heading() {
    echo
    echo "$1"
    echo "------------------------------------------------------------"
  }
  {
    echo "morvella-object.exe and morvella-convert.exe contain code of these libraries, under these licences."
    heading "Open Asset Import Library (assimp) $(basename "$assimp" | sed 's/^assimp-//')"
    cat "$assimp/LICENSE"
    heading "meshoptimizer $(basename "$meshopt" | sed 's/^meshoptimizer-//')"
    cat "$meshopt/LICENSE.md"
    heading "RapidJSON (in assimp's contrib/rapidjson)"
    cat "$assimp/contrib/rapidjson/license.txt"
    heading "pugixml (in assimp's contrib/pugixml)"
    sed -n '/distributed under the MIT License/,$p' "$assimp/contrib/pugixml/readme.txt"
    heading "zlib $(dpkg-query -W -f='${Version}' libz-mingw-w64-dev)"
    sed -n '1,/^\*\//p' "$zlib_h"
    heading "MiniZip (unzip) $(basename "$minizip" | sed 's/^minizip-//')"
    sed -n '1,/^ *-----.*$/{p}; /Condition of use/,/not be removed/p' "$minizip/unzip.h" | sed -n '1,/not be removed/p'
    heading "Draco (decoder) $(basename "$draco" | sed 's/^draco-//')"
    cat "$draco/LICENSE"
  } | sed 's/\r$//; s/$/\r/'
}

# The saver's files, by name: the setup program and the zip carry these and
# nothing else that happens to lie in the dist folder. The saver program
# comes first: setup puts it down before the rest.
saver_files=(morvella.scr morvella.dat sample.bmp tiles.bmp ripples.bmp dots.bmp)

# package DIST OUT [NSIS_TARGET]: stages DIST's files with the texts, zips
# them and makes the setup program, in OUT.
package() {
  local dist=$1 out=$2 target=${3:-}
  local stage="$out/stage" f
  for f in "${saver_files[@]}" morvella-object.exe; do
    [ -f "$dist/$f" ] || { echo "package: $dist/$f is missing" >&2; exit 1; }
  done

  made+=("$stage" "$out/$base-win32.zip" "$out/$base-setup.exe")
  rm -rf "$stage" "$out/$base-win32.zip" "$out/$base-setup.exe"
  mkdir -p "$stage/$base"
  local files=()
  for f in "${saver_files[@]}"; do files+=("$dist/$f"); done
  cp "${files[@]}" "$stage/$base/"
  [ -z "$signing" ] || scripts/sign.sh -n "$MORVELLA_PRODUCT" "$stage/$base/morvella.scr"
  # The object window makes the user's own object without a command line:
  # the zip and the setup program carry it (setup into the program's folder,
  # with a Start menu entry). The command-line converter travels in the zip.
  cp "$dist/morvella-object.exe" "$stage/$base/"
  [ -z "$signing" ] || scripts/sign.sh -n "$MORVELLA_PRODUCT - your own object" "$stage/$base/morvella-object.exe"
  if [ -f "$dist/morvella-convert.exe" ]; then
    cp "$dist/morvella-convert.exe" "$stage/$base/"
    [ -z "$signing" ] || scripts/sign.sh -n "$MORVELLA_PRODUCT model converter" "$stage/$base/morvella-convert.exe"
  fi
  third_party >"$stage/$base/THIRD-PARTY.txt"
  text package/readme-en.txt >"$stage/$base/readme-en.txt"
  text package/readme-ja.txt | iconv -f UTF-8 -t CP932 >"$stage/$base/readme-ja.txt"
  sed 's/$/\r/' LICENSE >"$stage/$base/LICENSE.txt"

  # The same input gives the same zip: fixed times, no extra attributes.
  local stamp
  stamp=$(git log -1 --format=%ct 2>/dev/null || date +%s)
  # Setup keeps a file's time to 2 seconds (as FAT does) when it puts the
  # file down, but compares with the staged file's exact time to know its
  # own files: an even time is the same in both.
  stamp=$((stamp - stamp % 2))
  find "$stage/$base" -exec touch -d "@$stamp" {} +
  (cd "$stage" && find "$base" -type f | LC_ALL=C sort | zip -q -X -D "$out/$base-win32.zip" -@)

  # The setup program installs exactly the saver's files of the zip, each
  # with its size, by which setup knows the file it carries when it meets
  # it already installed.
  {
    echo '!macro MORVELLA_SAVER_FILES OP'
    for f in "${saver_files[@]}"; do
      echo "  !insertmacro \${OP} \"$f\" \"$stage/$base/$f\" $(stat -c %s "$stage/$base/$f")"
    done
    echo '!macroend'
  } >"$stage/files.nsh"
  cp "$stage/$base/readme-en.txt" "$stage/$base/readme-ja.txt" "$stage/$base/LICENSE.txt" \
     "$stage/$base/THIRD-PARTY.txt" "$stage/$base/morvella-object.exe" "$stage/"
  local kib staged=()
  for f in "${saver_files[@]}"; do staged+=("$stage/$base/$f"); done
  kib=$(du -c -k --apparent-size "${staged[@]}" "$stage"/*.txt "$stage/morvella-object.exe" | tail -n 1 | cut -f 1)

  # The uninstaller exists only inside the setup program: makensis has it
  # signed as it is made, and the setup program once it is written.
  makensis -V2 -WX -INPUTCHARSET UTF8 ${target:+"-XTarget $target"} \
    "-DVERSION=$MORVELLA_VERSION" "-DFILE_VERSION=$MORVELLA_FILE_VERSION" \
    "-DPRODUCT=$MORVELLA_PRODUCT" "-DPUBLISHER=$MORVELLA_PUBLISHER" \
    "-DSTAGE=$stage" "-DESTIMATED_KB=$kib" "-DOUTFILE=$out/$base-setup.exe" \
    ${signing:+"-DSIGN=$root/scripts/sign.sh"} \
    package/morvella.nsi
}

# sizes OUT: the programs as packed, and the two downloads.
sizes() {
  local f state=unsigned
  [ -z "$signing" ] || state=signed
  for f in "$1/stage/$base"/*.scr "$1/stage/$base"/*.exe "$1/$base-win32.zip" "$1/$base-setup.exe"; do
    [ -f "$f" ] || continue
    case $f in *.zip) printf '%-40s %8d bytes\n' "$(basename "$f")" "$(stat -c %s "$f")" ;;
               *) printf '%-40s %8d bytes, %s\n' "$(basename "$f")" "$(stat -c %s "$f")" "$state" ;;
    esac
  done
}

if [ $# -gt 0 ]; then
  package "$(cd "$1" && pwd)" "$(mkdir -p "$2" && cd "$2" && pwd)" "${3:-}"
  sizes "$2"
  exit 0
fi

package "$root/build/dist" "$root/build/package"
if [ "$(scripts/wine-arch.sh)" = win64 ]; then
  package "$root/build/dist64" "$root/build/package64" amd64-unicode
  rm -f "$root/build/package64/$base-win32.zip"
  echo "package: this machine runs no 32-bit programs; a 64-bit setup program for the install tests is in build/package64"
fi
sizes build/package
