#!/usr/bin/env bash
# Shows that tests/check-cpu.sh finds what it is for: run on a program made
# of the Pentium's instructions followed by one of each later kind
# (tests/windows/fixtures/later_instructions.c), it must fail and name
# exactly the later ones, in order, and none of the Pentium's nor the
# linker's constructor lists; and that it fails when nothing could be read.
#   tests/check-cpu-fixture.sh CHECK FIXTURE
set -uo pipefail
check=${1:?check script}; fixture=${2:?fixture program}
expected="cmove cmovb fcmovbe fcomi fcomip fucomi fucomip nop nop sysenter rdpmc cpuid rdtsc
cmpxchg8b emms movq paddb movaps addss sfence lfence mfence prefetchnta prefetch femms pfadd
fisttp popcnt tzcnt"
output=$("$check" "$fixture"); status=$?
echo "$output"
named=$(echo "$output" | sed -n 's/^0x[0-9a-f]*: \([a-z0-9]*\).*/\1/p' | tr '\n' ' ' | sed 's/ $//')
want=$(echo $expected)
fail=0
[ "$status" = 1 ] || { echo "FAIL: exit status $status, expected 1"; fail=1; }
if [ "$named" != "$want" ]; then
  echo "FAIL: named instructions differ"; echo "expected: $want"; echo "named:    $named"; fail=1
fi
[ "$(echo "$output" | grep -c 'long NOP')" = 2 ] || { echo "FAIL: the two long NOPs are not named as such"; fail=1; }
# An objdump that reads the file's headers but disassembles nothing (one
# for another architecture) must fail the check, not let it pass unread.
blind=$(mktemp -d); trap 'rm -rf "$blind"' EXIT
real_objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
printf '#!/bin/sh\nfor a in "$@"; do [ "$a" = -d ] && exit 0; done\nexec %s "$@"\n' "$real_objdump" >"$blind/objdump"
chmod +x "$blind/objdump"
blind_output=$(OBJDUMP="$blind/objdump" "$check" "$fixture" 2>&1); blind_status=$?
if [ "$blind_status" != 1 ] || ! grep -q 'no instruction read' <<<"$blind_output"; then
  echo "FAIL: with an objdump that disassembles nothing the check said (status $blind_status): $blind_output"; fail=1
fi
[ $fail = 0 ] && echo "ok: the check names all $(echo $expected | wc -w) later instructions and nothing else"
exit $fail
