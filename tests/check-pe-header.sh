#!/usr/bin/env bash
# Checks what the saver file promises Windows: a GUI program for subsystem
# 4.0 (so Windows 9x loads it), the two exported procedures under their
# undecorated names, and a manifest that asks for version 6 of the common
# controls and nothing else: no execution level (which would keep standard
# users from writing the settings file), no list of supported systems, no
# DPI awareness (set at run time, and not for the preview).
set -uo pipefail
pe=${1:?PE file}
dump=$(i686-w64-mingw32-objdump -x "$pe")
fail=0
check() {  # description, expected, actual
  if [ "$2" = "$3" ]; then echo "ok: $1 = $3"; else echo "FAIL: $1: expected '$2', got '$3'"; fail=1; fi
}
check "PE format" "pei-i386" "$(echo "$dump" | sed -n 's/.*file format \(.*\)/\1/p' | head -1)"
check "subsystem" "00000002" "$(echo "$dump" | awk '$1 == "Subsystem" { print $2 }')"
check "subsystem version" "4.0" "$(echo "$dump" | awk '$1 == "MajorSubsystemVersion" { M=$2 } $1 == "MinorSubsystemVersion" { m=$2 } END { print M "." m }')"
check "exports" "ScreenSaverConfigureDialog ScreenSaverProc" \
  "$(echo "$dump" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/^\t\[ *[0-9]+\]/ { print $NF }' | sort | tr '\n' ' ' | sed 's/ $//')"
check "manifests asking for an execution level" "0" "$(grep -c requestedExecutionLevel "$pe")"
check "manifest asking for the common controls, version 6" "1" \
  "$(grep -c 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$pe")"
check "manifest naming supported systems or DPI awareness" "0" "$(grep -c -e supportedOS -e dpiAware "$pe")"
exit $fail
