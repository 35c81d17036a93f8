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
# rate at the end; exits 0 only when every mutation was killed (1 when one
# survived, was in error or none was tried, 2 when it cannot start, 130 when
# stopped by Ctrl+C). A site that only the 32-bit build can show is "not
# applicable here" where the Windows tests run on the 64-bit build, and
# counts neither way. SCRATCH must be new, an earlier run's, or empty, and
# not in the tree (but under build/).
#
# A line of LIST:   SUITE  FILE  ORIGINAL ==> MUTATED
#   SUITE      native            the native unit and tool tests (ctest -L native|tools)
#              windows:REGEX     the Windows tests matching REGEX, under Wine
#              windows-all:REGEX the same after building the whole Windows tree
#                                (for sites the converter's exe holds)
#              windows32:REGEX   as windows:REGEX, for a site only the 32-bit
#                                build can show (a guard against a 32-bit
#                                size_t overflowing, equivalent code in a
#                                64-bit build): not applicable where
#                                scripts/wine-arch.sh says win64
#              convert           the native tree whole and the converter's
#                                tests (ctest -L convert)
#   FILE       path from the top of the tree
#   ORIGINAL   text that occurs exactly once in FILE (spaces around ==> are not part of it)
#   MUTATED    what it becomes (may be empty: the text is deleted)
#   <NL> in either text stands for a line break (a site spanning lines).
# Blank lines and lines starting with # are skipped. MUTATE_ONLY=REGEX keeps
# only the lines it matches.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd -P)
list=$(realpath "${1:-$root/tests/mutations.txt}")
[ -f "$list" ] || { echo "no list $list" >&2; exit 2; }
scratch=$(realpath -m "${2:-$root/build/mutate}")
# Only a folder of our own is emptied and built in: never the tree, a folder
# holding it, or one with other files (build/ itself holds the real builds).
case "$root/" in "$scratch"/*)
  echo "the scratch folder $scratch holds the tree; name a folder of its own" >&2; exit 2 ;;
esac
case "$scratch/" in
  "$root"/build/*/) [ "$scratch" != "$root/build" ] ;;
  "$root"/*) false ;;
esac || { echo "the scratch folder $scratch is in the tree; name one under build/ or outside" >&2; exit 2; }
mkdir -p "$scratch" || { echo "cannot make the scratch folder $scratch" >&2; exit 2; }
if [ ! -f "$scratch/.mutate-scratch" ] && [ -n "$(ls -A "$scratch")" ] &&
   ! { [ -d "$scratch/src" ] && [ -d "$scratch/log" ]; }; then  # (or an earlier run's, unmarked)
  echo "$scratch is not empty and not an earlier scratch folder; name a new one" >&2; exit 2
fi
touch "$scratch/.mutate-scratch"
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
    # As the test command: the 64-bit build where no 32-bit program runs
    # (there a site that only a 32-bit size_t shows survives).
    local toolchain=mingw-i686
    [ "$("$root/scripts/wine-arch.sh")" = win64 ] && toolchain=mingw-x86_64
    cmake -S "$src" -B "$scratch/windows" -DCMAKE_TOOLCHAIN_FILE="$src/cmake/$toolchain.cmake" \
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

# Runs a command under timeout. timeout puts the command in a process group
# of its own, which Ctrl+C at the terminal does not reach; run it in the
# background and wait, so that the INT trap below can stop it at once.
child=""
bounded() {  # SECONDS COMMAND...
  timeout "$@" &
  child=$!
  wait "$child"
  local status=$?
  child=""
  return "$status"
}

# Runs SUITE's tests; status 0 when all pass (a selection that matches no
# test fails: it would let every mutation survive unseen on the clean run).
run_tests() {
  case "$1" in
    native) bounded 900 ctest --test-dir "$scratch/native" -L 'native|tools' -j"$jobs" --stop-on-failure --no-tests=error ;;
    convert) bounded 1800 ctest --test-dir "$scratch/native" -L convert -j"$jobs" --stop-on-failure --no-tests=error ;;
    windows:*|windows-all:*) bounded 1800 ctest --test-dir "$scratch/windows" -R "${1#*:}" --stop-on-failure --no-tests=error ;;
  esac
}

# Every session the Windows tests started: the main one, and those of the
# two-monitor and high-DPI runs, which a failed test leaves running.
stop_session() {
  local session
  for session in "$scratch/windows/wine" "$scratch"/windows/wine-*; do
    [ -d "$session" ] && "$root/scripts/wine-session.sh" stop "$session" >/dev/null 2>&1
  done
  return 0
}
trap stop_session EXIT
# Ctrl+C: stop the tests that run, put the mutated file back, exit non-zero.
# (The next run copies the tree afresh in any case.)
mutated_file=""
interrupted() {
  [ -n "$child" ] && kill -TERM "$child" 2>/dev/null && wait "$child" 2>/dev/null
  [ -n "$mutated_file" ] && cp "$scratch/original" "$mutated_file" && touch "$mutated_file"
  echo "mutate: stopped; the counts above are incomplete" >&2
  exit 130
}
trap interrupted INT TERM

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
killed=0 survived=0 broken=0 inapplicable=0 n=0
arch=$("$root/scripts/wine-arch.sh")
# The list is read on its own descriptor: a build or test that reads its
# standard input must not eat lines of it.
while IFS= read -r line <&3 || [ -n "$line" ]; do
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
  # The file must be one of the copy's own (not reached through the link to
  # build/third-party, nor outside the copy).
  real=$(realpath -m "$src/$file")
  ok=1
  if [ ! -f "$src/$file" ] || [[ "$real" != "$src"/* ]] || [[ "$real" == "$src"/build/* ]]; then
    ok=""
  fi
  if [ -z "$ok" ]; then
    echo "[$n] ERROR (no such file in the tree): $label"
    broken=$((broken + 1)); continue
  fi
  case "$suite" in
    windows32:*)
      if [ "$arch" = win64 ]; then
        # Not run here, but a line the tree has moved away from is still an
        # error of the list, on every machine.
        cp "$src/$file" "$scratch/site"
        if ! apply "$scratch/site" "$original" "$mutated"; then
          echo "[$n] ERROR (text not found exactly once): $label"
          broken=$((broken + 1)); continue
        fi
        echo "[$n] not applicable here [$suite] (the Windows tests run on the 64-bit build): $label"
        inapplicable=$((inapplicable + 1)); continue
      fi
      suite="windows:${suite#*:}" ;;
  esac

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
  mutated_file="$src/$file"
  if ! apply "$src/$file" "$original" "$mutated"; then
    echo "[$n] ERROR (text not found exactly once): $label"
    mutated_file=""
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
  mutated_file=""
done 3<"$list"

counted=$((killed + survived))
rate=0
[ "$counted" -gt 0 ] && rate=$((100 * killed / counted))
notes=""
[ "$inapplicable" -gt 0 ] && notes=", $inapplicable not applicable here (not counted)"
echo "mutations: $counted counted, $killed killed, $survived survived, $broken list errors$notes; kill rate ${rate}%"
echo "logs: $log"
if [ "$counted" -eq 0 ]; then
  echo "no mutation was tried${MUTATE_ONLY:+ (MUTATE_ONLY=$MUTATE_ONLY matches none that ran)}" >&2
  exit 1
fi
[ "$survived" -eq 0 ] && [ "$broken" -eq 0 ]
