# The Windows build of the model converter uses the same two libraries as the
# Linux build, compiled here from Debian's source of the versions installed
# on this machine (Debian ships them for Linux only):
#  - morvella_assimp: the model-import library with only the readers the
#    release package needs (Wavefront OBJ with its MTL materials, and STL)
#    and the steps the converter asks of it;
#  - morvella_meshoptimizer: the simplifier.

function(morvella_debian_source out binary_package)
  execute_process(COMMAND "${CMAKE_SOURCE_DIR}/scripts/debian-source.sh" ${binary_package}
                  OUTPUT_VARIABLE dir RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(failed OR NOT IS_DIRECTORY "${dir}")
    message(FATAL_ERROR "morvella-convert.exe is built from Debian's source of ${binary_package}, "
                        "which could not be had (see the lines above)")
  endif()
  set(${out} "${dir}" PARENT_SCOPE)
endfunction()

morvella_debian_source(assimp_src libassimp-dev)
morvella_debian_source(meshopt_src libmeshoptimizer-dev)
# Debian's assimp takes its UTF-8 helpers from this header-only package.
if(NOT EXISTS /usr/include/utf8cpp/utf8.h)
  message(FATAL_ERROR "morvella-convert.exe needs libutfcpp-dev (scripts/install-deps.sh installs it)")
endif()

# Every reader and post-processing step the library has is switched off by a
# define, but for those kept.
set(assimp_readers OBJ STL)
# Armature population stays: a public header lays its structures out
# differently without it.
set(assimp_steps TRIANGULATE SORTBYPTYPE VALIDATEDS ARMATUREPOPULATE
                 FLIPUVS MAKELEFTHANDED FLIPWINDINGORDER)  # one file holds these three
set(assimp_defines ASSIMP_BUILD_NO_EXPORT ASSIMP_BUILD_NO_OWN_ZLIB)
foreach(registry ImporterRegistry PostStepRegistry)
  file(READ "${assimp_src}/code/Common/${registry}.cpp" text)
  string(REGEX MATCHALL "ASSIMP_BUILD_NO_[A-Z0-9_]+_(IMPORTER|PROCESS)" names "${text}")
  list(APPEND assimp_defines ${names})
endforeach()
list(REMOVE_DUPLICATES assimp_defines)
foreach(kept ${assimp_readers})
  list(REMOVE_ITEM assimp_defines ASSIMP_BUILD_NO_${kept}_IMPORTER)
endforeach()
foreach(kept ${assimp_steps})
  list(REMOVE_ITEM assimp_defines ASSIMP_BUILD_NO_${kept}_PROCESS)
endforeach()

# The library's core, without its C interface, its exporters, its zip
# reader and its compression (no kept reader needs them).
file(GLOB assimp_common "${assimp_src}/code/Common/*.cpp")
list(REMOVE_ITEM assimp_common "${assimp_src}/code/Common/Assimp.cpp" "${assimp_src}/code/Common/Exporter.cpp"
     "${assimp_src}/code/Common/ZipArchiveIOSystem.cpp" "${assimp_src}/code/Common/Compression.cpp")
set(assimp_sources ${assimp_common} "${assimp_src}/code/Material/MaterialSystem.cpp"
    "${assimp_src}/code/PostProcessing/ProcessHelper.cpp"
    "${assimp_src}/code/PostProcessing/TriangulateProcess.cpp"
    "${assimp_src}/code/PostProcessing/SortByPTypeProcess.cpp"
    "${assimp_src}/code/PostProcessing/ConvertToLHProcess.cpp"
    "${assimp_src}/code/PostProcessing/ValidateDataStructure.cpp"
    "${assimp_src}/code/PostProcessing/ArmaturePopulate.cpp"
    "${assimp_src}/code/AssetLib/Obj/ObjFileImporter.cpp"
    "${assimp_src}/code/AssetLib/Obj/ObjFileMtlImporter.cpp"
    "${assimp_src}/code/AssetLib/Obj/ObjFileParser.cpp"
    "${assimp_src}/code/AssetLib/STL/STLLoader.cpp")

set(assimp_generated "${CMAKE_CURRENT_BINARY_DIR}/assimp-generated")
set(ASSIMP_DOUBLE_PRECISION 0)
configure_file("${assimp_src}/include/assimp/config.h.in" "${assimp_generated}/assimp/config.h")
get_filename_component(assimp_dirname "${assimp_src}" NAME)
string(REGEX MATCH "([0-9]+)\\.([0-9]+)\\.([0-9]+)" assimp_version "${assimp_dirname}")
set(ASSIMP_VERSION_MAJOR ${CMAKE_MATCH_1})
set(ASSIMP_VERSION_MINOR ${CMAKE_MATCH_2})
set(ASSIMP_VERSION_PATCH ${CMAKE_MATCH_3})
set(ASSIMP_PACKAGE_VERSION 0)
set(GIT_COMMIT_HASH 0)
set(GIT_BRANCH debian)
configure_file("${assimp_src}/revision.h.in" "${assimp_generated}/revision.h")

add_library(morvella_assimp STATIC ${assimp_sources})
target_include_directories(morvella_assimp SYSTEM PUBLIC "${assimp_generated}" "${assimp_src}/include")
target_include_directories(morvella_assimp PRIVATE "${assimp_src}/code" "${assimp_src}"
                           "${assimp_src}/contrib/pugixml/src")
# Only the UTF-8 helpers from the host's include folder, which is not for mingw.
configure_file(/usr/include/utf8cpp/utf8.h "${assimp_generated}/utf8cpp/utf8.h" COPYONLY)
file(GLOB utf8_parts /usr/include/utf8cpp/utf8/*.h)
file(COPY ${utf8_parts} DESTINATION "${assimp_generated}/utf8cpp/utf8")
target_include_directories(morvella_assimp PRIVATE "${assimp_generated}/utf8cpp")
target_compile_definitions(morvella_assimp PRIVATE ${assimp_defines})
target_compile_options(morvella_assimp PRIVATE -w)

add_library(morvella_meshoptimizer STATIC "${meshopt_src}/src/simplifier.cpp" "${meshopt_src}/src/indexgenerator.cpp"
            "${meshopt_src}/src/allocator.cpp")
target_include_directories(morvella_meshoptimizer SYSTEM PUBLIC "${meshopt_src}/src")
target_compile_options(morvella_meshoptimizer PRIVATE -w)
