# Native build: portable code, its unit tests, fuzzers, benchmarks, host tools.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB MORVELLA_NATIVE_TESTS CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/native/*.cpp")
if(MORVELLA_NATIVE_TESTS)
  add_executable(morvella_native_tests ${MORVELLA_NATIVE_TESTS})
  target_link_libraries(morvella_native_tests PRIVATE morvella_portable GTest::gtest GTest::gtest_main)
  target_compile_options(morvella_native_tests PRIVATE -Wall -Wextra)
  gtest_discover_tests(morvella_native_tests DISCOVERY_TIMEOUT 60
                       PROPERTIES TIMEOUT 60 LABELS native)
endif()

foreach(sub tools convert object tests/fuzz tests/bench tests/convert tests/object tests/scripts)
  if(EXISTS "${CMAKE_SOURCE_DIR}/${sub}/CMakeLists.txt")
    add_subdirectory(${sub})
  endif()
endforeach()
