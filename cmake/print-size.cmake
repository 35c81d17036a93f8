file(SIZE "${FILE}" size)
math(EXPR kib "(${size} + 1023) / 1024")
message(STATUS "morvella.scr: ${size} bytes (${kib} KiB; goal at most 48 KiB)")
