# Cross-build for 32-bit Windows: the saver as shipped.
set(MORVELLA_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
