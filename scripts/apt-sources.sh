#!/usr/bin/env bash
# Prints "URI SUITE", one a line, for each enabled binary package source of
# apt's configuration, in the order apt reads them: sources.list, then the
# one-line *.list and the deb822 *.sources files of sources.list.d.
#   apt-sources.sh [APT-CONFIG-DIR]   (default /etc/apt)
# Source packages, disabled entries and files of other names are left out.
set -uo pipefail
etc=${1:-/etc/apt}

for f in "$etc/sources.list" "$etc"/sources.list.d/*.list; do
  [ -f "$f" ] || continue
  # deb [option=value ...] URI SUITE COMPONENT...
  sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$f" | awk '$1 == "deb" && NF >= 3 { print $2, $3 }'
done

for f in "$etc"/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  # Stanzas of "Field: value" lines, separated by blank lines; field names
  # are case-insensitive; lines that start with a blank continue a value
  # (a key block, say) and name no field.
  awk '
    function flush(  i, j) {
      if (types ~ / deb / && enabled !~ /^(no|false)$/)
        for (i = 1; i <= nu; i++) for (j = 1; j <= ns; j++) print uri[i], sui[j]
      types = ""; enabled = ""; nu = 0; ns = 0
    }
    function value() { return substr($0, index($0, ":") + 1) }
    /^[ \t]*#/ { next }
    /^[ \t]*$/ { flush(); next }
    /^[ \t]/ { next }
    {
      key = tolower(substr($0, 1, index($0, ":") - 1))
      if (key == "types") { types = " " value() " "; gsub(/[ \t]+/, " ", types) }
      else if (key == "enabled") { enabled = tolower(value()); gsub(/[ \t]/, "", enabled) }
      else if (key == "uris") nu = split(value(), uri, " ")
      else if (key == "suites") ns = split(value(), sui, " ")
    }
    END { flush() }' "$f"
done
exit 0
