# Builds the Debian package from the build folder into OUTPUT_DIR and checks
# what it holds and what it depends on: rcs, which the programs run, and the
# Qt libraries they link, as dpkg-shlibdeps found them.
#
#   cmake -DBUILD_DIR=... -DOUTPUT_DIR=... -P check_deb.cmake

cmake_minimum_required(VERSION 3.22)

foreach(variable BUILD_DIR OUTPUT_DIR)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${BUILD_DIR}
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${output}${errors}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

get_filename_component(cmake_bin ${CMAKE_COMMAND} DIRECTORY)
find_program(CPACK cpack HINTS ${cmake_bin} REQUIRED)
find_program(DPKG_DEB dpkg-deb REQUIRED)

file(REMOVE_RECURSE ${OUTPUT_DIR})
run(${CPACK} -G DEB -B ${OUTPUT_DIR})
file(GLOB packages ${OUTPUT_DIR}/kestro_*.deb)
list(LENGTH packages count)
if(NOT count EQUAL 1)
  message(FATAL_ERROR "expected one kestro_*.deb in ${OUTPUT_DIR}, found: ${packages}")
endif()

run(${DPKG_DEB} -I ${packages})
message(STATUS "${output}")
if(NOT output MATCHES "\n Depends: ([^\n]*)")
  message(FATAL_ERROR "the package has no dependencies")
endif()
string(REPLACE ", " ";" depends "${CMAKE_MATCH_1}")
list(TRANSFORM depends REPLACE " .*" "")
foreach(package rcs libqt6core6 libqt6gui6 libqt6widgets6)
  if(NOT package IN_LIST depends)
    message(FATAL_ERROR "the package does not depend on ${package}: ${depends}")
  endif()
endforeach()

run(${DPKG_DEB} -c ${packages})
foreach(file
    ./usr/bin/kestro ./usr/bin/kestro-cli ./usr/share/man/man1/kestro-cli.1
    ./usr/share/applications/kestro.desktop ./usr/share/metainfo/com.fenwycliff.kestro.metainfo.xml
    ./usr/share/mime/packages/kestro.xml ./usr/share/icons/hicolor/scalable/apps/kestro.svg
    ./usr/share/icons/hicolor/48x48/apps/kestro.png)
  string(REPLACE "." "\\." pattern "${file}")
  if(NOT output MATCHES " ${pattern}\n")
    message(FATAL_ERROR "the package lacks ${file}:\n${output}")
  endif()
endforeach()
