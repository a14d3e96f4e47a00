# Installs the build into a fresh PREFIX and checks that every file lies
# where a desktop looks for it, that the installed programs run and agree on
# their version, and that the desktop's own validators accept the entry, the
# AppStream metadata and the MIME types (each when the validator is present).
#
#   cmake -DBUILD_DIR=... -DPREFIX=... -DVERSION=... -P check_install.cmake

cmake_minimum_required(VERSION 3.22)

foreach(variable BUILD_DIR PREFIX VERSION)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "${variable} is not set")
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "failed (${result}): ${ARGN}\n${output}")
  endif()
  set(output "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${PREFIX})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})

set(share ${PREFIX}/share)
set(metainfo ${share}/metainfo/com.fenwycliff.kestro.metainfo.xml)
set(desktop_entry ${share}/applications/kestro.desktop)
set(mime_package ${share}/mime/packages/kestro.xml)
foreach(file
    bin/kestro bin/kestro-cli share/man/man1/kestro-cli.1
    share/applications/kestro.desktop share/metainfo/com.fenwycliff.kestro.metainfo.xml
    share/mime/packages/kestro.xml share/icons/hicolor/scalable/apps/kestro.svg)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# Each PNG must really be the size its theme directory claims: the width and
# height are the first two fields of the PNG header, big-endian.
foreach(size 16 22 24 32 48 64 128 256)
  set(png ${share}/icons/hicolor/${size}x${size}/apps/kestro.png)
  if(NOT EXISTS ${png})
    message(FATAL_ERROR "icon of ${size} pixels not installed")
  endif()
  file(READ ${png} header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING "${header}" 0 8 width)
  string(SUBSTRING "${header}" 8 8 height)
  math(EXPR width "0x${width}")
  math(EXPR height "0x${height}")
  if(NOT width EQUAL size OR NOT height EQUAL size)
    message(FATAL_ERROR "${png} is ${width} by ${height} pixels")
  endif()
endforeach()

run(${PREFIX}/bin/kestro --version)
if(NOT output STREQUAL "kestro ${VERSION}\n")
  message(FATAL_ERROR "kestro --version printed \"${output}\"")
endif()
run(${PREFIX}/bin/kestro-cli --version)
if(NOT output STREQUAL "kestro-cli ${VERSION}\n")
  message(FATAL_ERROR "kestro-cli --version printed \"${output}\"")
endif()

# The entry starts the program on the file it is given, under its own icon,
# in the Development menu, and offers to open every type the MIME package
# defines. Its list values end in ";", which makes them CMake lists.
file(READ ${desktop_entry} entry)
function(entry_value key)
  if(NOT entry MATCHES "\n${key}=([^\n]*)")
    message(FATAL_ERROR "kestro.desktop has no ${key}")
  endif()
  set(${key} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
entry_value(Exec)
entry_value(Icon)
entry_value(Categories)
entry_value(MimeType)
if(NOT Exec STREQUAL "kestro %f" OR NOT Icon STREQUAL "kestro" OR NOT "Development" IN_LIST Categories)
  message(FATAL_ERROR "kestro.desktop: Exec=${Exec} Icon=${Icon} Categories=${Categories}")
endif()
file(READ ${mime_package} package)
string(REGEX MATCHALL "<mime-type type=\"[^\"]+" defined "${package}")
list(TRANSFORM defined REPLACE "<mime-type type=\"" "")
if(NOT defined)
  message(FATAL_ERROR "the MIME package defines no type")
endif()
foreach(type IN LISTS defined)
  if(NOT type IN_LIST MimeType)
    message(FATAL_ERROR "kestro.desktop does not offer to open ${type}")
  endif()
endforeach()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  run(${DESKTOP_FILE_VALIDATE} ${desktop_entry})
  if(NOT output STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${output}")
  endif()
else()
  message(STATUS "desktop-file-validate is not installed: entry not validated")
endif()

find_program(APPSTREAMCLI appstreamcli)
find_program(APPSTREAM_UTIL appstream-util)
if(APPSTREAMCLI)
  run(${APPSTREAMCLI} validate --no-net ${metainfo})
elseif(APPSTREAM_UTIL)
  run(${APPSTREAM_UTIL} validate-relax --nonet ${metainfo})
else()
  message(STATUS "neither appstreamcli nor appstream-util is installed: metadata not validated")
endif()

find_program(XMLLINT xmllint)
if(XMLLINT)
  run(${XMLLINT} --noout ${mime_package} ${metainfo})
else()
  message(STATUS "xmllint is not installed: XML not checked")
endif()

# The same cache a desktop builds from the package; readers of the prefix
# (the MIME test) then see the types as a file manager would.
find_program(UPDATE_MIME_DATABASE update-mime-database)
if(UPDATE_MIME_DATABASE)
  run(${CMAKE_COMMAND} -E env XDG_DATA_DIRS=${share} ${UPDATE_MIME_DATABASE} ${share}/mime)
  if(NOT output STREQUAL "")
    message(FATAL_ERROR "update-mime-database: ${output}")
  endif()
else()
  message(STATUS "update-mime-database is not installed: the MIME test reads the package itself")
endif()
