# Windows build: morvella.scr and the tests that need Windows (run through Wine).

# The product is small and self-contained: no exceptions, no RTTI, no C++
# runtime DLL, sections dropped when unused, symbols stripped.
set(MORVELLA_PRODUCT_FLAGS -Os -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -fno-threadsafe-statics -ffunction-sections -Wall -Wextra)
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  # The 64-bit build only stands in for the shipped 32-bit one where a
  # machine cannot run 32-bit programs: it computes with the x87 unit as the
  # shipped saver does, not with SSE2.
  set(MORVELLA_PROCESSOR_FLAGS -mfpmath=387)
else()
  # The saver runs on every PC that runs Windows 98, the Pentium, K6 and
  # 6x86 among them: nothing newer than the Pentium's instructions (no cmov,
  # fcomi, MMX), tuned for the Pentium II and III most of those PCs had.
  set(MORVELLA_PROCESSOR_FLAGS -march=pentium -mtune=pentium2)
endif()
# sqrt without errno: the x87 fsqrt alone, instead of a call to the runtime
# library's sqrt (built for newer processors) whenever the result is NaN.
list(APPEND MORVELLA_PROCESSOR_FLAGS -fno-math-errno)
list(APPEND MORVELLA_PRODUCT_FLAGS ${MORVELLA_PROCESSOR_FLAGS})
# No -fdata-sections: with it mingw places zero-initialised objects in .data,
# where they take room in the file instead of in .bss.
target_compile_options(morvella_portable PRIVATE ${MORVELLA_PRODUCT_FLAGS})
target_compile_definitions(morvella_portable PUBLIC WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0400 WINVER=0x0400 DIRECTINPUT_VERSION=0x0700 DIRECT3D_VERSION=0x0700)

add_library(morvella_windows STATIC ${MORVELLA_WINDOWS_SOURCES})
target_include_directories(morvella_windows PUBLIC "${CMAKE_SOURCE_DIR}")
target_compile_options(morvella_windows PRIVATE ${MORVELLA_PRODUCT_FLAGS})
target_link_libraries(morvella_windows PUBLIC morvella_portable ddraw gdi32 user32 kernel32 advapi32)

set(MORVELLA_RC "${CMAKE_SOURCE_DIR}/resources/morvella.rc")
set_property(SOURCE ${MORVELLA_RC} APPEND PROPERTY OBJECT_DEPENDS
             "${CMAKE_SOURCE_DIR}/resources/resource.h" "${CMAKE_SOURCE_DIR}/resources/dialog_ids.h"
             "${CMAKE_SOURCE_DIR}/resources/dialog.rc" "${CMAKE_SOURCE_DIR}/resources/dialog_en.rc"
             "${CMAKE_SOURCE_DIR}/resources/morvella.manifest")
# windres reads the resource script as UTF-8 (code page 65001) so that the
# Japanese texts are stored as Unicode.
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -O coff")

add_executable(morvella WIN32 ${MORVELLA_ENTRY_SOURCE} ${MORVELLA_RC})
target_compile_options(morvella PRIVATE ${MORVELLA_PRODUCT_FLAGS})
target_link_libraries(morvella PRIVATE morvella_windows)
# No start-up files: the process entry (framework/entry.cpp) is the saver's own.
target_link_options(morvella PRIVATE -nostartfiles -s -static-libgcc -static-libstdc++ -Wl,--gc-sections
    -Wl,--kill-at -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0
    -Wl,--major-os-version,4 -Wl,--minor-os-version,0 -Wl,--no-insert-timestamp)
set_target_properties(morvella PROPERTIES OUTPUT_NAME morvella SUFFIX ".scr"
    RUNTIME_OUTPUT_DIRECTORY "${MORVELLA_DIST_DIR}")
add_custom_command(TARGET morvella POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DFILE=$<TARGET_FILE:morvella> -P "${CMAKE_SOURCE_DIR}/cmake/print-size.cmake")

# The model converter for the release package.
add_subdirectory(convert)
# The converter in a window of its own, for the release package.
add_subdirectory(object)

if(EXISTS "${CMAKE_SOURCE_DIR}/tests/windows/CMakeLists.txt")
  add_subdirectory(tests/windows)
endif()
if(EXISTS "${CMAKE_SOURCE_DIR}/tests/install/CMakeLists.txt")
  add_subdirectory(tests/install)
endif()
