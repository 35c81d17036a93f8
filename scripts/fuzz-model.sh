#!/bin/sh
# Fuzzes the model loader for as long as asked: scripts/fuzz-model.sh SECONDS
# Builds the native tree (clang with libFuzzer needed) in $MORVELLA_FUZZ_BUILD
# (default /tmp/morvella-fuzz) and keeps the inputs it finds in its work/
# folder there; the hand-made corpus in tests/fuzz/corpus is only read.
set -eu
seconds=${1:?usage: $0 SECONDS}
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MORVELLA_FUZZ_BUILD:-/tmp/morvella-fuzz}
cmake -S "$root" -B "$build" -DMORVELLA_DIST_DIR="$build/dist" >/dev/null
cmake --build "$build" --target fuzz_model -j"$(nproc)"
fuzz_dir="$build/tests/fuzz"
if [ ! -x "$fuzz_dir/fuzz_model" ]; then
    echo "no fuzz target: clang++ with libFuzzer was not found" >&2
    exit 1
fi
mkdir -p "$fuzz_dir/work"
cd "$fuzz_dir"
exec ./fuzz_model -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len="${MORVELLA_FUZZ_MAX_LEN:-65536}" -print_final_stats=1 \
    work "$root/tests/fuzz/corpus" seeds
