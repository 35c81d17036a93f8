#!/usr/bin/env bash
# Mutation check: do the tests notice a fault put into the code on purpose?
#
#   scripts/mutate.sh [LIST] [SCRATCH]
#
# Copies the source tree into SCRATCH (default build/mutate), then, for each
# line of LIST (default tests/mutations.txt), puts one fault into the copy,
# rebuilds only what that line's tests need (incrementally: the first
# mutation of a suite builds it whole and runs its tests unmutated, which
# must pass), runs those tests and puts the file back. Each mutation is "killed" when a test fails, "survived" when every
# test passes (a static_assert of the tests that stops the build kills it
# too); one whose text is not found exactly once, or that does not compile
# for another reason, is reported as an error of the list, not counted. Prints the kill
# rate at the end; exits 0 only when every mutation was killed.
#
# A line of LIST:   SUITE  FILE  ORIGINAL ==> MUTATED
#   SUITE      native            the native unit and tool tests (ctest -L native|tools)
#              windows:REGEX     the Windows tests matching REGEX, under Wine
#              windows-all:REGEX the same after building the whole Windows tree
#                                (for sites the converter's exe holds)
#              convert           the native tree whole and the converter's
#                                tests (ctest -L convert)
#   FILE       path from the top of the tree
#   ORIGINAL   text that occurs exactly once in FILE (spaces around ==> are not part of it)
#   MUTATED    what it becomes (may be empty: the text is deleted)
#   <NL> in either text stands for a line break (a site spanning lines).
# Blank lines and lines starting with # are skipped. MUTATE_ONLY=REGEX keeps
# only the lines it matches.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
list=$(realpath "${1:-$root/tests/mutations.txt}")
scratch=$(mkdir -p "${2:-$root/build/mutate}" && cd "${2:-$root/build/mutate}" && pwd)
src="$scratch/src"
jobs=$(nproc 2>/dev/null || echo 2)

# The tree as git sees it (tracked and new files), without build output.
rm -rf "$src"
mkdir -p "$src"
(cd "$root" && git ls-files -co --exclude-standard -z | grep -zv '^build/' | tar -c --null -T - -f -) |
  tar -x -m -C "$src" || { echo "cannot copy the tree" >&2; exit 2; }
# (-m: the copy is newer than any object an earlier run built in SCRATCH,
# some of them from mutated files, so that make compiles it all again.)
# The Windows build compiles the converter's libraries from these sources:
# share them rather than fetch them again.
if [ -d "$root/build/third-party" ]; then
  mkdir -p "$src/build"
  ln -s "$root/build/third-party" "$src/build/third-party"
fi
dist="$scratch/dist"
mkdir -p "$dist"

configured=""
configure() {  # $1: native or windows
  case " $configured " in *" $1 "*) return 0 ;; esac
  if [ "$1" = native ]; then
    cmake -S "$src" -B "$scratch/native" -DCMAKE_BUILD_TYPE=Release -DMORVELLA_DIST_DIR="$dist" >/dev/null
  else
    cmake -S "$src" -B "$scratch/windows" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-i686.cmake" \
          -DCMAKE_BUILD_TYPE=MinSizeRel -DMORVELLA_DIST_DIR="$dist" >/dev/null
  fi || return 1
  configured="$configured $1"
}

# Builds what SUITE's tests need ($2 = clean: the unmutated tree, which
# also makes the default assets).
build() {
  case "$1" in
    native)
      configure native &&
        cmake --build "$scratch/native" -j"$jobs" --target morvella_native_tests inspect_model &&
        # The default model and bitmaps come from the unmutated tree only:
        # their generation checks the model with the loader, which would
        # stop a mutated build before any test ran.
        if [ "${2:-}" = clean ]; then cmake --build "$scratch/native" --target morvella_assets; fi ;;
    convert)
      configure native &&
        cmake --build "$scratch/native" -j"$jobs" ;;
    windows:*|windows-all:*)
      # The Windows tests use the default model and bitmaps of the native
      # build. windows: builds the test programs and the saver, windows-all:
      # the whole Windows tree (the converter's exe too).
      local targets=(--target morvella_wintests morvella_portable_tests_x87)
      [ "${1%%:*}" = windows-all ] && targets=()
      build native "${2:-}" >/dev/null && configure windows &&
        cmake --build "$scratch/windows" -j"$jobs" "${targets[@]}" ;;
    *) echo "unknown suite $1"; return 1 ;;
  esac
}

# Runs SUITE's tests; status 0 when all pass.
run_tests() {
  case "$1" in
    native) timeout 900 ctest --test-dir "$scratch/native" -L 'native|tools' -j"$jobs" --stop-on-failure ;;
    convert) timeout 1800 ctest --test-dir "$scratch/native" -L convert -j"$jobs" --stop-on-failure ;;
    windows:*|windows-all:*) timeout 1800 ctest --test-dir "$scratch/windows" -R "${1#*:}" --stop-on-failure ;;
  esac
}

stop_session() {
  [ -d "$scratch/windows/wine" ] && "$root/scripts/wine-session.sh" stop "$scratch/windows/wine" >/dev/null 2>&1
  return 0
}
trap stop_session EXIT

# A suite whose tests fail on the unmutated tree would count every mutation
# as killed: its tests are run once clean first; status 0 when they pass.
passed="" failed=""
clean_tests_pass() {
  case " $passed " in *" $1 "*) return 0 ;; esac
  case " $failed " in *" $1 "*) return 1 ;; esac
  if run_tests "$1" >"$log/clean-${1//[^A-Za-z0-9]/_}.tests" 2>&1; then
    passed="$passed $1"; return 0
  fi
  failed="$failed $1"; return 1
}

# Replaces the one occurrence of $2 in file $1 by $3; status 3 when the text
# does not occur exactly once.
apply() {
  python3 - "$1" "$2" "$3" <<'EOF'
import sys
path, old, new = (a.replace("<NL>", "\n") for a in sys.argv[1:4])
text = open(path, encoding="utf-8").read()
if text.count(old) != 1:
    sys.exit(3)
open(path, "w", encoding="utf-8").write(text.replace(old, new))
EOF
}

log="$scratch/log"
mkdir -p "$log"
killed=0 survived=0 broken=0 n=0
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in ''|\#*) continue ;; esac
  [ -n "${MUTATE_ONLY:-}" ] && ! grep -qE -- "$MUTATE_ONLY" <<<"$line" && continue
  n=$((n + 1))
  read -r suite file rest <<<"$line"
  if [[ "$rest" == *" ==> "* ]]; then
    original=${rest%% ==> *}
    mutated=${rest#* ==> }
  elif [[ "$rest" == *" ==>" ]]; then   # nothing after it: the text is deleted
    original=${rest% ==>}
    mutated=""
  else
    echo "[$n] ERROR (no ==>): $line"; broken=$((broken + 1)); continue
  fi
  label="$file: $original  ->  ${mutated:-(deleted)}"

  # A clean build of the suite first, so that a failure below is the mutation's.
  if ! build "$suite" clean >"$log/$n.prebuild" 2>&1; then
    echo "[$n] ERROR (the unmutated tree does not build, $log/$n.prebuild): $label"
    broken=$((broken + 1)); continue
  fi
  if ! clean_tests_pass "$suite"; then
    echo "[$n] ERROR (the unmutated tree fails its tests, $log/clean-${suite//[^A-Za-z0-9]/_}.tests): $label"
    broken=$((broken + 1)); continue
  fi
  cp "$src/$file" "$scratch/original"
  if ! apply "$src/$file" "$original" "$mutated"; then
    echo "[$n] ERROR (text not found exactly once): $label"
    broken=$((broken + 1)); continue
  fi
  if ! build "$suite" >"$log/$n.build" 2>&1; then
    # A compile-time check of the tests (static_assert) is a test like any.
    if grep -q "static assertion failed" "$log/$n.build"; then
      echo "[$n] killed    [$suite] (static assertion) $label"
      killed=$((killed + 1))
    else
      echo "[$n] ERROR (does not compile, $log/$n.build): $label"
      broken=$((broken + 1))
    fi
  elif run_tests "$suite" >"$log/$n.tests" 2>&1; then
    echo "[$n] SURVIVED  [$suite] $label"
    survived=$((survived + 1))
  else
    echo "[$n] killed    [$suite] $label"
    killed=$((killed + 1))
  fi
  # Put the file back with a new time stamp, so that the next build compiles
  # it again rather than keep the mutated object.
  cp "$scratch/original" "$src/$file"
  touch "$src/$file"
done <"$list"

counted=$((killed + survived))
rate=0
[ "$counted" -gt 0 ] && rate=$((100 * killed / counted))
echo "mutations: $counted counted, $killed killed, $survived survived, $broken list errors; kill rate ${rate}%"
echo "logs: $log"
[ "$survived" -eq 0 ] && [ "$broken" -eq 0 ]
