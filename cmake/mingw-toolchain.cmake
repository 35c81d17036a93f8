# Cross-build for Windows with Debian's mingw-w64 (posix threads: GoogleTest
# needs them), for the processor MORVELLA_MINGW_PROCESSOR (i686 or x86_64)
# that the including toolchain file names.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MORVELLA_MINGW_PROCESSOR})
set(CMAKE_C_COMPILER   ${MORVELLA_MINGW_PROCESSOR}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${MORVELLA_MINGW_PROCESSOR}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER  ${MORVELLA_MINGW_PROCESSOR}-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MORVELLA_MINGW_PROCESSOR}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# ctest runs every Windows program through Wine, inside the private session that
# scripts/wine-session.sh starts (display, prefix, warm wineserver).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-exec.sh)
