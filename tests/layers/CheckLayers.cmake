# Checks the include picture of the product code: every project include is written from the
# root, and each layer includes only itself and the layers below it.
#
#   codec/            the formats, on bytes in memory; no Qt, no files
#   codec/files/      the only file-system edge: the codec's file forms, paths, atomic writes
#   */core/           display-free halves of the windows; codec and core only, no Qt, files
#                     only through codec/files/ (each core its own: the creator's core does
#                     not use the viewer's)
#   cli/              the command-line tool; codec, core and cli only, no Qt, files only
#                     through codec/files/
#   Mainwin/shell/    Qt pieces every window shares; codec, core and shell
#   windows           Mainwin/, Bmp2Bm/, About/ (their own files): codec, core, shell and their
#                     own folder; only Mainwin/main.cpp creates the windows of other folders
#
# Run with cmake -DSOURCE_DIR=<root> -P CheckLayers.cmake; prints every wrong include and fails.
cmake_minimum_required(VERSION 3.25)

function(zarn_layer_of path out)
  if(path MATCHES "^codec/files/")
    set(layer files)
  elseif(path MATCHES "^codec/")
    set(layer codec)
  elseif(path MATCHES "^(Mainwin|Bmp2Bm)/core/")
    set(layer core)
  elseif(path MATCHES "^cli/")
    set(layer cli)
  elseif(path MATCHES "^Mainwin/shell/")
    set(layer shell)
  elseif(path MATCHES "^(Mainwin|Bmp2Bm|About)/")
    string(REGEX REPLACE "/.*" "" folder "${path}")
    set(layer "window:${folder}")
  else()
    set(layer other)
  endif()
  set(${out} "${layer}" PARENT_SCOPE)
endfunction()

file(GLOB_RECURSE sources RELATIVE "${SOURCE_DIR}"
     "${SOURCE_DIR}/codec/*.h" "${SOURCE_DIR}/codec/*.cpp"
     "${SOURCE_DIR}/Mainwin/*.h" "${SOURCE_DIR}/Mainwin/*.cpp"
     "${SOURCE_DIR}/Bmp2Bm/*.h" "${SOURCE_DIR}/Bmp2Bm/*.cpp"
     "${SOURCE_DIR}/About/*.h" "${SOURCE_DIR}/About/*.cpp"
     "${SOURCE_DIR}/cli/*.h" "${SOURCE_DIR}/cli/*.cpp")

# The system headers that reach files: only codec/files/ includes them.
set(file_headers_regex "^(fstream|cstdio|stdio\\.h|filesystem|fcntl\\.h|unistd\\.h|dirent\\.h|sys/.*)$")

set(faults "")
foreach(src IN LISTS sources)
  zarn_layer_of("${src}" from)
  file(STRINGS "${SOURCE_DIR}/${src}" lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]*<(Q[A-Za-z]*)")
      set(qt_header "${CMAKE_MATCH_1}")
      if(from MATCHES "^(codec|core|cli)$")
        list(APPEND faults "${src}: ${from} code includes Qt <${qt_header}>")
      endif()
      continue()
    endif()
    if(line MATCHES "#[ \t]*include[ \t]*<([^>]+)>")
      set(system_header "${CMAKE_MATCH_1}")
      if(from MATCHES "^(codec|core|cli)$" AND system_header MATCHES "${file_headers_regex}")
        list(APPEND faults "${src}: ${from} code reaches files with <${system_header}>")
      endif()
      continue()
    endif()
    if(NOT line MATCHES "#[ \t]*include[ \t]*\"([^\"]+)\"")
      continue()
    endif()
    set(target "${CMAKE_MATCH_1}")
    if(NOT EXISTS "${SOURCE_DIR}/${target}")
      list(APPEND faults "${src}: \"${target}\" is not written from the project root")
      continue()
    endif()
    zarn_layer_of("${target}" to)
    set(allowed codec)
    if(from STREQUAL "files")
      list(APPEND allowed files)
    elseif(from STREQUAL "core")
      list(APPEND allowed files core)
    elseif(from STREQUAL "cli")
      list(APPEND allowed files core cli)
    elseif(from STREQUAL "shell")
      list(APPEND allowed files core shell)
    elseif(from MATCHES "^window:")
      list(APPEND allowed files core shell "${from}")
      if(src STREQUAL "Mainwin/main.cpp" AND to MATCHES "^window:")
        list(APPEND allowed "${to}")
      endif()
    endif()
    if(NOT to IN_LIST allowed)
      list(APPEND faults "${src} (${from}) includes ${target} (${to})")
    elseif(from STREQUAL "core" AND to STREQUAL "core")
      string(REGEX REPLACE "/.*" "" from_folder "${src}")
      string(REGEX REPLACE "/.*" "" to_folder "${target}")
      if(NOT from_folder STREQUAL to_folder)
        list(APPEND faults "${src} (${from_folder} core) includes ${target} (${to_folder} core)")
      endif()
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "Layers hold in ${count} files")
