# Cross-build for 64-bit Windows: the test stand-in on machines that cannot
# run 32-bit programs.
set(MORVELLA_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
