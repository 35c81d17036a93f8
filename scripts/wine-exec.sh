#!/usr/bin/env bash
# Runs one Windows program under Wine inside the private test session
# (started on first use). Used by ctest as the cross-compiling emulator.
#   wine-exec.sh SESSION_DIR PROGRAM [ARGS...]
# MORVELLA_WINE_TIMEOUT (seconds, default 300) bounds every run.
set -uo pipefail
dir=${1:?session directory}; shift
here=$(cd "$(dirname "$0")" && pwd)
"$here/wine-session.sh" start "$dir" >/dev/null || exit 1
eval "$("$here/wine-session.sh" env "$dir")"
exec timeout -k 5 "${MORVELLA_WINE_TIMEOUT:-300}" "${MORVELLA_WINE:-wine}" "$@"
