# Holds each layer to the includes its place in the design allows: a source
# file, or a header beside it, that includes a header of a layer it must not
# see (`#include "layer/..."` or `#include <layer/...>`) stops the
# configuration, and every build after it, with the file and the line.
#
# The same scan runs in two places: here when CMake configures, and as a
# build step of each checked target (this file run as a script), which runs
# again whenever one of the scanned files changes, so an include added
# between two configurations fails the next incremental build too.

# The model is three layers, named with their folder: model/text,
# model/record and model/facts.
set(QUILLMARK_LAYERS binding bulk cli model/facts model/record model/text render source)

# Scans FILES; a FATAL_ERROR names the first include of a layer outside
# ALLOWED.
function(quillmark_scan_layer_includes target files allowed)
  foreach(file IN LISTS files)
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"][a-z_]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([a-z_]+)/.*" "\\1" layer "${line}")
      if(layer STREQUAL "model")
        string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"](model/[a-z_]+)/.*" "\\1" layer "${line}")
      endif()
      if(layer IN_LIST QUILLMARK_LAYERS AND NOT layer IN_LIST allowed)
        message(FATAL_ERROR "${file}: ${target} may not include ${layer}/ (${line})")
      endif()
    endforeach()
  endforeach()
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  # The build step: cmake -DTARGET=... -DFILES=... -DALLOWED=... -DSTAMP=... -P LayerIncludes.cmake
  quillmark_scan_layer_includes("${TARGET}" "${FILES}" "${ALLOWED}")
  # Ninja makes the folders of a command's outputs, Make does not.
  get_filename_component(stamp_folder "${STAMP}" DIRECTORY)
  file(MAKE_DIRECTORY "${stamp_folder}")
  file(TOUCH "${STAMP}")
  return()
endif()

function(quillmark_check_layer_includes target)
  cmake_parse_arguments(PARSE_ARGV 1 LAYER "" "" "ALLOWED")
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  set(files)
  foreach(source IN LISTS sources)
    get_filename_component(path ${source} ABSOLUTE BASE_DIR ${source_dir})
    get_filename_component(directory ${path} DIRECTORY)
    file(GLOB headers ${directory}/*.hpp ${directory}/*.inc)
    list(APPEND files ${path} ${headers})
  endforeach()
  list(REMOVE_DUPLICATES files)
  quillmark_scan_layer_includes(${target} "${files}" "${LAYER_ALLOWED}")

  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/layer-includes/${target}.stamp)
  add_custom_command(
    OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DTARGET=${target} "-DFILES=${files}" "-DALLOWED=${LAYER_ALLOWED}" -DSTAMP=${stamp}
            -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    DEPENDS ${files} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    COMMENT "Checking the layer includes of ${target}"
    VERBATIM)
  add_custom_target(${target}_layer_includes DEPENDS ${stamp})
  add_dependencies(${target} ${target}_layer_includes)
endfunction()
