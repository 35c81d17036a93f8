#!/usr/bin/env bash
# Prints the Wine prefix kind the Windows tests can use on this machine:
# "win32" where the kernel runs 32-bit programs (Wine's 32-bit loader starts),
# "win64" where it runs 64-bit programs only (some virtual machines switch
# 32-bit emulation off): there the Windows tests run on the 64-bit test build.
# MORVELLA_WINE_ARCH=win64 answers win64 on any machine, to try the 64-bit
# way where 32-bit programs run too.
if [ "${MORVELLA_WINE_ARCH:-}" = win64 ]; then
  echo win64
elif /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo win32
else
  echo win64
fi
