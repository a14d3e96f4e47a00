# Fails when a source file includes a header of a folder above its own.
#
#   cmake -DSOURCE_DIR=<src> -P check_layers.cmake
#
# The folders of src/ and their ranks, lowest first. A folder may include its
# own headers and those of lower ranks; the window and the command line share
# the top rank and so may not include each other.
set(folders archive model rcs ops exchange app gui cli)
set(ranks   0       1     2   3   4        5   6   6)

function(rank_of folder out)
  list(FIND folders "${folder}" index)
  if(index EQUAL -1)
    set(${out} -1 PARENT_SCOPE)
  else()
    list(GET ranks ${index} value)
    set(${out} ${value} PARENT_SCOPE)
  endif()
endfunction()

get_filename_component(SOURCE_DIR "${SOURCE_DIR}" ABSOLUTE)
file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
set(violations "")
foreach(source IN LISTS sources)
  string(REGEX MATCH "^[^/]+" own "${source}")
  rank_of("${own}" ownRank)
  if(ownRank EQUAL -1)
    string(APPEND violations "  ${source}: folder ${own} has no place among the layers\n")
    continue()
  endif()
  file(STRINGS "${SOURCE_DIR}/${source}" includes REGEX "^#include \"[a-z_]+/")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^#include \"([a-z_]+)/.*" "\\1" target "${line}")
    rank_of("${target}" targetRank)
    if(target STREQUAL own OR targetRank EQUAL -1)
      continue()
    endif()
    if(targetRank GREATER ownRank OR targetRank EQUAL ownRank)
      string(APPEND violations "  ${source}: ${line}\n")
    endif()
  endforeach()
endforeach()

if(violations)
  message(FATAL_ERROR "Includes that point upwards or sideways:\n${violations}")
endif()
message(STATUS "Every include points downwards")
