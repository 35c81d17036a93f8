#!/usr/bin/env bash
# Checks that a 32-bit PE file runs on the original Pentium (and so on every
# processor Windows 98 ran on: Pentium MMX, K6, K6-2, 6x86): every
# instruction in its executable sections must be one the Pentium has, with
# or without MMX. Fails naming the address and instruction of each one that
# is not, e.g. cmov*, fcmov*, fcomi/fucomi, long NOPs, sysenter, MMX, SSE,
# 3DNow!. It reads the file and runs nothing.
#   tests/check-cpu.sh FILE [ALLOWED_LIST]
# ALLOWED_LIST (default: pentium-instructions.txt beside this script) names
# the allowed mnemonics as objdump prints them in Intel syntax.
set -uo pipefail
pe=${1:?PE file}
allowed=${2:-$(dirname "$0")/pentium-instructions.txt}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
[ -f "$pe" ] || { echo "no such file: $pe"; exit 1; }
[ -f "$allowed" ] || { echo "no such list: $allowed"; exit 1; }

# Executable sections: name, size, address.
sections=$("$objdump" -h "$pe" | awk '
  $1 ~ /^[0-9]+$/ { name=$2; size=$3; vma=$4; next }
  name != "" && /CODE/ { print name, size, vma }
  { name="" }')
if [ -z "$sections" ]; then echo "no executable section read from $pe"; exit 1; fi

# The linker ends .text with the constructor and destructor lists, data that
# a linear disassembly would read as nonsense: -1, addresses, 0 for each.
# Returns the address where they start, or the section's end when the end
# of the section does not have that shape (then everything is read as code).
table_start() {  # section size vma
  "$objdump" -s -j "$1" "$pe" | awk -v size="$2" -v vma="$3" '
    function hex(s,   i, v) { v=0; s=tolower(s); for (i=1; i<=length(s); i++) v=v*16+index("0123456789abcdef", substr(s,i,1))-1; return v }
    # Each line: address, up to four groups of four bytes in 35 columns, text.
    /^ [0-9a-f]+ / { line=$0; sub(/^ [0-9a-f]+ /, "", line); line=substr(line, 1, 35); gsub(/ /, "", line); hexes=hexes line }
    END {
      n=length(hexes)/8; base=hex(vma); end=base+hex(size)
      # Words are read as the bytes lie in the file: -1 is ffffffff, 0 is 00000000.
      for (k=0; k<n; k++) w[k]=substr(hexes, 8*k+1, 8)
      k=n-1; found=1
      for (list=0; list<2 && found; list++) {
        if (k < 0 || w[k] != "00000000") { found=0; break }
        for (k--; k>=0 && w[k] != "ffffffff"; k--) if (w[k] == "00000000") { found=0; break }
        if (k < 0) found=0
        start=k; k--
      }
      printf "0x%x\n", (found && n*4 == end-base) ? base+4*start : end
    }'
}

# An objdump that reads the headers but cannot disassemble (another
# architecture, an address it refuses) prints no instruction at all: that
# is a failure to check, never a pass.
listing=""
while read -r name size vma; do
  stop=$(table_start "$name" "$size" "$vma")
  part=$("$objdump" -d -M intel --no-show-raw-insn -j "$name" --stop-address="$stop" "$pe")
  read_status=$?
  if [ $read_status != 0 ] || ! grep -qE $'^ +[0-9a-f]+:\t' <<<"$part"; then
    echo "no instruction read from $name of $pe (objdump status $read_status): nothing checked"
    exit 1
  fi
  listing+="$part"$'\n'
done <<<"$sections"

failures=$(
  printf '%s' "$listing" |
  awk -v list="$allowed" '
    BEGIN {
      while ((getline line < list) > 0) { sub(/#.*/, "", line); n=split(line, name, /[ \t]+/); for (i=1; i<=n; i++) if (name[i] != "") ok[name[i]]=1 }
      prefix["rep"]=prefix["repz"]=prefix["repnz"]=prefix["repe"]=prefix["repne"]=prefix["lock"]=1
      prefix["cs"]=prefix["ds"]=prefix["es"]=prefix["ss"]=prefix["fs"]=prefix["gs"]=1
      prefix["data16"]=prefix["addr16"]=1
    }
    /^ +[0-9a-f]+:\t/ {
      address=$1; sub(/:$/, "", address)
      text=$0; sub(/^ +[0-9a-f]+:\t */, "", text)
      n=split(text, word, /[ \t]+/)
      for (i=1; i<n && (word[i] in prefix); i++) ;
      mnemonic=word[i]
      if (mnemonic == "nop" && i < n)
        why="long NOP (Pentium Pro and later)"
      else if (!(mnemonic in ok))
        why="not on the Pentium list"
      else
        next
      print "0x" address ": " text "  -- " why
    }')
if [ -n "$failures" ]; then
  echo "instructions not every Windows 98 processor runs, in $pe: $(echo "$failures" | wc -l)"
  echo "$failures"
  exit 1
fi
echo "every instruction runs on the Pentium: $(echo "$sections" | awk '{ printf "%s%s", (NR > 1 ? ", " : ""), $1 }') checked"
