# The Windows build of the model converter uses the same two libraries as the
# Linux build, compiled here from Debian's source of the versions installed
# on this machine (Debian ships them for Linux only):
#  - morvella_assimp: the model-import library with only the readers of the
#    formats people download models in (glTF 2.0, FBX, Wavefront OBJ with
#    its MTL materials, STL, PLY, 3DS, Collada, LightWave) and the steps the
#    converter asks of it, with what those readers need: rapidjson and
#    pugixml from the library's own contrib/ folder (header-only, as
#    Debian's build uses them), zlib (static, Debian's libz-mingw-w64-dev)
#    and minizip's unzip for Collada's zipped .zae (Debian's minizip source,
#    which the repacked library source lacks);
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
morvella_debian_source(minizip_src libminizip-dev)
# Debian's assimp takes its UTF-8 helpers from this header-only package.
if(NOT EXISTS /usr/include/utf8cpp/utf8.h)
  message(FATAL_ERROR "morvella-convert.exe needs libutfcpp-dev (scripts/install-deps.sh installs it)")
endif()

# Every reader and post-processing step the library has is switched off by a
# define, but for those kept.
set(assimp_readers OBJ STL GLTF GLTF2 FBX PLY 3DS COLLADA LWO)
# Armature population stays: a public header lays its structures out
# differently without it.
set(assimp_steps TRIANGULATE SORTBYPTYPE VALIDATEDS ARMATUREPOPULATE
                 FLIPUVS MAKELEFTHANDED FLIPWINDINGORDER)  # one file holds these three
set(assimp_defines ASSIMP_BUILD_NO_EXPORT ASSIMP_BUILD_NO_OWN_ZLIB ASSIMP_BUILD_NO_GLTF1_IMPORTER
                   RAPIDJSON_HAS_STDSTRING=1 RAPIDJSON_NOMEMBERITERATORCLASS)
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

# The library's core, without its C interface and its exporters.
file(GLOB assimp_common "${assimp_src}/code/Common/*.cpp")
list(REMOVE_ITEM assimp_common "${assimp_src}/code/Common/Assimp.cpp" "${assimp_src}/code/Common/Exporter.cpp")
set(assimp_lib "${assimp_src}/code/AssetLib")
file(GLOB assimp_fbx "${assimp_lib}/FBX/FBX*.cpp")
list(FILTER assimp_fbx EXCLUDE REGEX "/FBXExport[^/]*\\.cpp$")
set(assimp_sources ${assimp_common} "${assimp_src}/code/Material/MaterialSystem.cpp"
    "${assimp_src}/code/PostProcessing/ProcessHelper.cpp"
    "${assimp_src}/code/PostProcessing/TriangulateProcess.cpp"
    "${assimp_src}/code/PostProcessing/SortByPTypeProcess.cpp"
    "${assimp_src}/code/PostProcessing/ConvertToLHProcess.cpp"
    "${assimp_src}/code/PostProcessing/ValidateDataStructure.cpp"
    "${assimp_src}/code/PostProcessing/ArmaturePopulate.cpp"
    "${assimp_lib}/Obj/ObjFileImporter.cpp" "${assimp_lib}/Obj/ObjFileMtlImporter.cpp"
    "${assimp_lib}/Obj/ObjFileParser.cpp"
    "${assimp_lib}/STL/STLLoader.cpp"
    "${assimp_lib}/glTF/glTFCommon.cpp" "${assimp_lib}/glTF2/glTF2Importer.cpp"
    ${assimp_fbx}
    "${assimp_lib}/Ply/PlyLoader.cpp" "${assimp_lib}/Ply/PlyParser.cpp"
    "${assimp_lib}/3DS/3DSLoader.cpp" "${assimp_lib}/3DS/3DSConverter.cpp"
    "${assimp_lib}/Collada/ColladaHelper.cpp" "${assimp_lib}/Collada/ColladaLoader.cpp"
    "${assimp_lib}/Collada/ColladaParser.cpp"
    "${assimp_lib}/LWO/LWOLoader.cpp" "${assimp_lib}/LWO/LWOBLoader.cpp" "${assimp_lib}/LWO/LWOMaterial.cpp"
    "${assimp_lib}/LWO/LWOAnimation.cpp"
    "${minizip_src}/unzip.c" "${minizip_src}/ioapi.c")

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

# The static zlib alone: the exe carries it rather than need zlib1.dll.
find_library(MORVELLA_MINGW_ZLIB NAMES libz.a)
find_path(MORVELLA_MINGW_ZLIB_INCLUDE zlib.h)
if(NOT MORVELLA_MINGW_ZLIB OR NOT MORVELLA_MINGW_ZLIB_INCLUDE)
  message(FATAL_ERROR "morvella-convert.exe needs a static zlib for Windows: install libz-mingw-w64-dev "
                      "(scripts/install-deps.sh does)")
endif()

add_library(morvella_assimp STATIC ${assimp_sources})
target_link_libraries(morvella_assimp PUBLIC "${MORVELLA_MINGW_ZLIB}")
target_include_directories(morvella_assimp SYSTEM PUBLIC "${assimp_generated}" "${assimp_src}/include")
target_include_directories(morvella_assimp PRIVATE "${assimp_src}/code" "${assimp_src}"
                           "${assimp_src}/contrib/pugixml/src" "${assimp_src}/contrib/rapidjson/include"
                           "${minizip_src}" "${MORVELLA_MINGW_ZLIB_INCLUDE}")
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

# Draco-compressed glTF meshes (KHR_draco_mesh_compression), decoded by the
# decoder half of Debian's draco source.
option(MORVELLA_CONVERT_DRACO "Read Draco-compressed glTF meshes" ON)
if(MORVELLA_CONVERT_DRACO)
  morvella_debian_source(draco_src libdraco-dev)
  file(GLOB_RECURSE draco_sources "${draco_src}/src/draco/*.cc")
  list(FILTER draco_sources EXCLUDE REGEX "test|encod|/(io|tools|javascript|unity|maya|animation|scene|texture|material)/")
  set(draco_generated "${CMAKE_CURRENT_BINARY_DIR}/draco-generated")
  file(WRITE "${draco_generated}/draco/draco_features.h.new"
       "#ifndef DRACO_FEATURES_H_\n#define DRACO_FEATURES_H_\n"
       "#define DRACO_POINT_CLOUD_COMPRESSION_SUPPORTED\n#define DRACO_MESH_COMPRESSION_SUPPORTED\n"
       "#define DRACO_NORMAL_ENCODING_SUPPORTED\n#define DRACO_STANDARD_EDGEBREAKER_SUPPORTED\n"
       "#define DRACO_PREDICTIVE_EDGEBREAKER_SUPPORTED\n#define DRACO_BACKWARDS_COMPATIBILITY_SUPPORTED\n"
       "#define DRACO_ATTRIBUTE_INDICES_DEDUPLICATION_SUPPORTED\n#define DRACO_ATTRIBUTE_VALUES_DEDUPLICATION_SUPPORTED\n"
       "#endif\n")
  configure_file("${draco_generated}/draco/draco_features.h.new" "${draco_generated}/draco/draco_features.h" COPYONLY)
  add_library(morvella_draco STATIC ${draco_sources})
  target_include_directories(morvella_draco SYSTEM PUBLIC "${draco_generated}" "${draco_src}/src")
  target_compile_options(morvella_draco PRIVATE -w)
  target_link_libraries(morvella_assimp PRIVATE morvella_draco)
  target_compile_definitions(morvella_assimp PRIVATE ASSIMP_ENABLE_DRACO=1)
endif()
