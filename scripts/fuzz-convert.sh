#!/bin/sh
# Fuzzes the converter's stages after the import for as long as asked:
#   scripts/fuzz-convert.sh SECONDS
# Builds the native tree (clang with libFuzzer needed) in $MORVELLA_FUZZ_BUILD
# (default /tmp/morvella-fuzz) and keeps the inputs it finds in its
# work-convert/ folder there; the kept inputs in tests/fuzz/convert-corpus are
# only read. A finding, once mended, goes into that folder: the test command
# replays it.
set -eu
seconds=${1:?usage: $0 SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MORVELLA_FUZZ_BUILD:-/tmp/morvella-fuzz}
cmake -S "$root" -B "$build" -DMORVELLA_DIST_DIR="$build/dist" >/dev/null
cmake --build "$build" --target fuzz_convert -j"$(nproc)"
fuzz_dir="$build/tests/fuzz"
if [ ! -x "$fuzz_dir/fuzz_convert" ]; then
    echo "no fuzz target: clang++ with libFuzzer was not found" >&2
    exit 1
fi
mkdir -p "$fuzz_dir/work-convert"
cd "$fuzz_dir"
exec ./fuzz_convert -max_total_time="$seconds" -timeout=60 -rss_limit_mb=2048 \
    -max_len="${MORVELLA_FUZZ_MAX_LEN:-8192}" -print_final_stats=1 \
    work-convert "$root/tests/fuzz/convert-corpus"
