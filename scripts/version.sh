#!/usr/bin/env bash
# Prints the release facts kept in the saver's version resource
# (resources/morvella.rc), as shell assignments: the one place a release
# changes its version, product name and publisher.
#   eval "$(scripts/version.sh)" sets MORVELLA_VERSION (1.1),
#   MORVELLA_FILE_VERSION (1.1.0.0), MORVELLA_PRODUCT, MORVELLA_PUBLISHER
# Fails when the numeric and the text versions of the resource disagree, so
# a half-done version bump cannot reach a package.
set -euo pipefail
rc="$(cd "$(dirname "$0")/.." && pwd)/resources/morvella.rc"

value() {  # VALUE "Name", "text" of the string table of the version resource
  sed -n "s/^[[:space:]]*VALUE[[:space:]]*\"$1\",[[:space:]]*\"\([^\"]*\)\".*/\1/p" "$rc" | head -n 1
}
numeric=$(sed -n 's/^[[:space:]]*FILEVERSION[[:space:]]*\([0-9, ]*\).*/\1/p' "$rc" | tr -d ' ' | tr ',' '.')
product_numeric=$(sed -n 's/^[[:space:]]*PRODUCTVERSION[[:space:]]*\([0-9, ]*\).*/\1/p' "$rc" | tr -d ' ' | tr ',' '.')
version=$(value ProductVersion)
file_version=$(value FileVersion)
product=$(value ProductName)
publisher=$(value CompanyName)

fail() { echo "version.sh: $*" >&2; exit 1; }
[[ $numeric =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "no FILEVERSION a.b.c.d in $rc"
[[ $version =~ ^[0-9]+(\.[0-9]+){0,3}$ ]] || fail "ProductVersion \"$version\" is not a version number"
[ "$numeric" = "$product_numeric" ] || fail "FILEVERSION $numeric differs from PRODUCTVERSION $product_numeric"
[ "$file_version" = "$version" ] || fail "FileVersion \"$file_version\" differs from ProductVersion \"$version\""
padded=$version
while [[ ! $padded =~ ^[0-9]+\.[0-9]+\.[0-9]+\.[0-9]+$ ]]; do padded="$padded.0"; done
[ "$padded" = "$numeric" ] || fail "ProductVersion \"$version\" differs from FILEVERSION $numeric"
[ -n "$product" ] && [ -n "$publisher" ] || fail "ProductName or CompanyName missing in $rc"

printf 'MORVELLA_VERSION=%q\nMORVELLA_FILE_VERSION=%q\nMORVELLA_PRODUCT=%q\nMORVELLA_PUBLISHER=%q\n' \
  "$version" "$numeric" "$product" "$publisher"
