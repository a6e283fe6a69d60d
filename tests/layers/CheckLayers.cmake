# Checks the include picture of the product code: every project include is written from the
# root, and each layer includes only itself and the layers below it.
#
#   codec/            the formats; no Qt
#   */core/           display-free halves of the windows; codec and core only, no Qt
#   cli/              the command-line tool; codec, core and cli only, no Qt
#   Mainwin/shell/    Qt pieces every window shares; codec, core and shell
#   windows           Mainwin/, Bmp2Bm/, About/ (their own files): codec, core, shell and their
#                     own folder; only Mainwin/main.cpp creates the windows of other folders
#
# Run with cmake -DSOURCE_DIR=<root> -P CheckLayers.cmake; prints every wrong include and fails.
cmake_minimum_required(VERSION 3.25)

function(zarn_layer_of path out)
  if(path MATCHES "^codec/")
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
    if(from STREQUAL "core")
      list(APPEND allowed core)
    elseif(from STREQUAL "cli")
      list(APPEND allowed core cli)
    elseif(from STREQUAL "shell")
      list(APPEND allowed core shell)
    elseif(from MATCHES "^window:")
      list(APPEND allowed core shell "${from}")
      if(src STREQUAL "Mainwin/main.cpp" AND to MATCHES "^window:")
        list(APPEND allowed "${to}")
      endif()
    endif()
    if(NOT to IN_LIST allowed)
      list(APPEND faults "${src} (${from}) includes ${target} (${to})")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
list(LENGTH sources count)
message(STATUS "Layers hold in ${count} files")
