#!/usr/bin/env bash
# Prints the Wine prefix kind the Windows tests can use on this machine:
# "win32" where the kernel runs 32-bit programs (Wine's 32-bit loader starts),
# "win64" where it runs 64-bit programs only (some virtual machines switch
# 32-bit emulation off): there the Windows tests run on the 64-bit test build.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo win32
else
  echo win64
fi
