#!/usr/bin/env bash
# Checks the import table of a PE file against a list of allowed DLL!function
# pairs (one per line, "#" comments, case of the DLL name ignored). Every
# import must be listed (the saver's list holds only what Windows 98 already had).
set -uo pipefail
pe=${1:?PE file}; allowed=${2:?allowed list}
actual=$(i686-w64-mingw32-objdump -p "$pe" | awk -F'\t' '
  /^\tDLL Name:/ { split($2, part, ": "); dll=tolower(part[2]); next }
  dll != "" && NF >= 3 && $2 ~ /^[0-9a-f]+$/ { n=split($3, w, " "); print dll "!" w[n] }
  /^$/ { dll="" }' | sort -u)
if [ -z "$actual" ]; then echo "no imports read from $pe"; exit 1; fi
wanted=$(grep -v '^#' "$allowed" | sed '/^$/d' | awk -F'!' '{ print tolower($1) "!" $2 }' | sort -u)
bad=$(comm -23 <(echo "$actual") <(echo "$wanted"))
echo "imported DLLs: $(echo "$actual" | cut -d'!' -f1 | sort -u | tr '\n' ' ')"
echo "imported functions: $(echo "$actual" | wc -l)"
if [ -n "$bad" ]; then
  echo "imports outside the allowed list:"; echo "$bad"; exit 1
fi
echo "all imports allowed"
