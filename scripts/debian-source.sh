#!/usr/bin/env bash
# debian-source.sh BINARY-PACKAGE
# Prints the folder that holds Debian's source of the library in
# BINARY-PACKAGE, at the very version installed here, with Debian's patches
# applied. Debian builds these libraries for Linux only; the Windows build of
# the model converter compiles the parts it needs from the same source, so
# both builds read files with the same code. The source is fetched once, from
# this machine's own package sources, into build/third-party.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
binary=${1:?usage: debian-source.sh BINARY-PACKAGE}

if ! source_line=$(dpkg-query -W -f='${source:Package} ${source:Version}' "$binary" 2>/dev/null) ||
   [ -z "$source_line" ]; then
  echo "debian-source: $binary is not installed (scripts/install-deps.sh installs it)" >&2
  exit 1
fi
read -r package version <<<"$source_line"
store="$root/build/third-party"
dir="$store/$package-$version"
if [ -f "$dir/.complete" ]; then
  echo "$dir"
  exit 0
fi

# A private apt state: deb-src twins of the machine's own sources, so the
# machine's configuration and package lists stay as they are.
apt_dir="$store/apt"
rm -rf "$apt_dir"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
: >"$apt_dir/sources.list"
if [ -f /etc/apt/sources.list ]; then
  sed -n 's/^deb \(.*\)/deb-src \1/p' /etc/apt/sources.list >>"$apt_dir/sources.list"
fi
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] && sed 's/^Types:.*/Types: deb-src/' "$f" >"$apt_dir/parts/$(basename "$f")"
done
for f in /etc/apt/sources.list.d/*.list; do
  [ -f "$f" ] && sed -n 's/^deb \(.*\)/deb-src \1/p' "$f" >"$apt_dir/parts/$(basename "$f")"
done
apt_options=(-o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts="$apt_dir/parts"
             -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache"
             -o Debug::NoLocking=1 -o APT::Sandbox::User="$(id -un)")

echo "debian-source: fetching the source of $package $version" >&2
fetch="$store/fetch-$package"
rm -rf "$fetch"
mkdir -p "$fetch"
if ! apt-get "${apt_options[@]}" -qq update >&2 ||
   ! (cd "$fetch" && apt-get "${apt_options[@]}" -qq source "$package=$version" >&2); then
  echo "debian-source: could not fetch the source of $package $version from this machine's package sources" >&2
  exit 1
fi
unpacked=$(find "$fetch" -mindepth 1 -maxdepth 1 -type d | head -n 1)
if [ -z "$unpacked" ]; then
  echo "debian-source: the source of $package $version did not unpack" >&2
  exit 1
fi
rm -rf "$dir"
mv "$unpacked" "$dir"
rm -rf "$fetch" "$apt_dir"
touch "$dir/.complete"
echo "$dir"
