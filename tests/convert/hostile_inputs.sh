#!/usr/bin/env bash
# The converter's command line on hostile input: every run ends with exit 0
# and a file the saver's loader takes, or exit 1 with one line naming the
# file and nothing written (an existing output left as it was); wrong usage
# exits 2. Nothing may crash or hang.
#   hostile_inputs.sh CONVERTER INSPECT_MODEL SCRATCH [MUTANTS]
# MUTANTS (default 0): also convert that many damaged copies of each of a
# few real test models (the long case, meant for the sanitizer build).
set -uo pipefail
convert=${1:?converter}; inspect=${2:?inspect_model}; scratch=${3:?scratch folder}; mutants=${4:-0}
rm -rf "$scratch"; mkdir -p "$scratch"; cd "$scratch" || exit 1
failures=0; runs=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run EXPECTED INPUT OUTPUT [OPTIONS...]: EXPECTED is 0, 1, 2 or "01".
run() {
  local expected=$1 input=$2 output=$3; shift 3
  runs=$((runs + 1))
  rm -f out.txt err.txt
  timeout 60 "$convert" "$input" "$output" "$@" >out.txt 2>err.txt
  local code=$?
  case "$expected" in *"$code"*) ;; *) fail "$input $*: exit $code, expected $expected"; cat err.txt; return ;; esac
  if [ "$code" = 0 ]; then
    # A copy: the loader takes paths of 259 characters at most.
    cp "$output" check.dat && "$inspect" check.dat >/dev/null || fail "$input: the saver's loader refuses the output"
  elif [ "$code" = 1 ]; then
    [ "$(wc -l <err.txt)" = 1 ] || fail "$input: not one line of error: $(cat err.txt)"
    grep -qF -- "$input" err.txt || grep -qF -- "$output" err.txt || fail "$input: the error names no file: $(cat err.txt)"
  fi
  ls ./*.partial >/dev/null 2>&1 && fail "$input: a partial output was left behind"
  return 0
}

# Keeps an existing output and checks that a failed run leaves it alone.
keeps_output() {
  printf 'precious' >kept.dat
  run 1 "$1" kept.dat
  [ "$(cat kept.dat)" = precious ] || fail "$1: a failed run changed the existing output"
}

# Wrong usage (the shipped build only: nothing here reaches the library).
[ "$mutants" = 0 ] && for args in "" "--size" "a.obj --size 0" "a.obj --size nan" "a.obj --up x" "a.obj --max-triangles -3" \
            "a.obj b.dat c.dat" "a.obj --frobnicate"; do
  runs=$((runs + 1))
  # shellcheck disable=SC2086
  timeout 60 "$convert" $args >/dev/null 2>err.txt
  code=$?
  [ "$code" = 2 ] || fail "usage '$args': exit $code"
  grep -q '^usage:' err.txt || fail "usage '$args': no usage text"
done

# Inputs that hold nothing to show.
keeps_output missing.obj
mkdir -p folder.obj; keeps_output folder.obj
for ext in obj stl ply dae 3ds lwo gltf glb off x; do
  : >"empty.$ext"; keeps_output "empty.$ext"
done
printf 'v 0 0 0\nv 1 0 0\np 1 2\nl 1 2\n' >points.obj; keeps_output points.obj
printf 'v nan 0 0\nv 0 nan 0\nv 0 0 inf\nf 1 2 3\n' >nan.obj; keeps_output nan.obj
printf 'v 1 2 3\nv 1 2 3\nv 1 2 3\nf 1 2 3\nf 3 2 1\n' >zero.obj; keeps_output zero.obj
printf 'v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\nf 1 2 99\nf -7 2 3\n' >outside.obj; run 01 outside.obj out.dat
printf 'solid x\n facet normal 0 0 0\n  outer loop\n   vertex 1e39 0 0\n   vertex 0 1 0\n   vertex 0 0 1\n  endloop\n endfacet\nendsolid x\n' >huge.stl
run 01 huge.stl out.dat

# A file that makes the library ask for 16 GB: the tool's memory limit
# stops it at once (the sanitizer build has no such limit).
oom=/usr/share/assimp/models/invalid/OutOfMemory.off
# (These files come with assimp-testmodels, which install-deps.sh installs:
# missing, the checks fail rather than pass unrun.)
missing() { runs=$((runs + 1)); fail "$1 is missing: scripts/install-deps.sh installs assimp-testmodels"; }
if [ "$mutants" = 0 ]; then
  if [ -f "$oom" ]; then cp "$oom" oom.off; keeps_output oom.off; else missing "$oom"; fi
fi

# LightWave's old LWOB, which the library no longer reads: said so.
lwob=/usr/share/assimp/models/LWO/LWOB/sphere_with_mat_gloss_10pc.lwo
if [ -f "$lwob" ]; then
  cp "$lwob" old.lwo; keeps_output old.lwo
  grep -q LWOB err.txt || fail "old.lwo: the error does not say it is an LWOB file: $(cat err.txt)"
else
  missing "$lwob"
fi

# Random bytes under every name (seeded: a failure can be run again).
random_bytes() {
  LC_ALL=C awk -v n="$1" -v seed="$2" 'BEGIN { srand(seed); for (i = 0; i < n; i++) printf "%c", int(rand() * 256) }'
}
RANDOM=7
for i in $(seq 1 12); do
  for ext in obj stl ply dae 3ds lwo glb off; do
    random_bytes $((RANDOM % 4000 + 1)) "$RANDOM" >"random$i.$ext"
    run 01 "random$i.$ext" out.dat
  done
done

# Outputs that cannot be written: nothing is left behind.
printf 'v 0 0 0\nv 1 0 0\nv 0 0 1\nf 1 2 3\n' >good.obj
run 1 good.obj no/such/folder/out.dat
mkdir -p taken.dat; run 1 good.obj taken.dat
# A pipe (as a device) would be replaced by the new file, not written to.
rm -f pipe.dat; mkfifo pipe.dat; run 1 good.obj pipe.dat
[ -p pipe.dat ] || fail "pipe.dat: the output pipe was replaced"

# Parts of one triangle each, more of them than --max-triangles asks for:
# none can give up a triangle, and none may be lost.
for i in 0 1 2; do printf 'o p%d\nv %d 0 0\nv %d 0 0\nv %d 0 -1\nf -3 -2 -1\n' $i $((2 * i)) $((2 * i + 1)) $((2 * i)); done >parts.obj
run 0 parts.obj out.dat --parts --max-triangles 2
"$inspect" out.dat | grep -q " 3 drawable" || fail "parts.obj: not every part was kept"
# A name with no room left for the temporary file's suffix is still written.
run 0 good.obj "$(printf 'n%.0s' $(seq 1 250)).dat"
# A path longer than the saver's loader takes is still written, checked in memory.
long=$(printf 'd%.0s' $(seq 1 150)); mkdir -p "$long/$long"
run 0 good.obj "$long/$long/out.dat"

# The long case: damaged copies of real models.
if [ "$mutants" -gt 0 ]; then
  models=/usr/share/assimp/models
  RANDOM=11
  for f in OBJ/spider.obj STL/Spider_binary.stl PLY/cube_binary.ply 3DS/fels.3ds LWO/LWO2/hierarchy.lwo \
           Collada/duck.dae glTF2/BoxTextured-glTF-Binary/BoxTextured.glb; do
    [ -f "$models/$f" ] || { missing "$models/$f"; continue; }
    name=$(basename "$f")
    size=$(stat -c %s "$models/$f")
    for m in $(seq 1 "$mutants"); do
      cp "$models/$f" "mutant-$name"
      for _ in 1 2 3 4 5 6 7 8; do
        byte=$(( RANDOM % 256 )); at=$(( (RANDOM * 32768 + RANDOM) % size ))
        printf "\\$(printf %03o "$byte")" | dd of="mutant-$name" bs=1 seek="$at" conv=notrunc status=none
      done
      run 01 "mutant-$name" out.dat
    done
  done
fi

echo "$runs runs, $failures failed"
echo "$((runs - failures)) passed, $failures failed"
[ "$failures" = 0 ]
