# Runs in cpack after the files are staged and before the package is made, in place of cpack's
# own stripping: strips the programs as Debian's tools do, without the compiler's notes
# (.comment, .note) that plain strip leaves. With CPACK_ZARN_DEBUG_SYMBOLS ON the debug
# information goes first to ${CPACK_TOPLEVEL_DIRECTORY}/dbgsym under
# /usr/lib/debug/.build-id/, where debuggers look it up by the program's build id, and the
# program keeps a link to it; DebugSymbolsPackage.cmake makes the package of it.
find_program(ZARN_OBJCOPY NAMES objcopy REQUIRED)
find_program(ZARN_STRIP NAMES strip REQUIRED)
find_program(ZARN_READELF NAMES readelf REQUIRED)
set(dbgsym ${CPACK_TOPLEVEL_DIRECTORY}/dbgsym)
file(REMOVE_RECURSE ${dbgsym})
file(GLOB_RECURSE staged LIST_DIRECTORIES false "${CPACK_TEMPORARY_DIRECTORY}/*")
foreach(file IN LISTS staged)
  file(READ "${file}" magic LIMIT 4 HEX)
  if(NOT magic STREQUAL "7f454c46")
    continue()
  endif()
  if(CPACK_ZARN_DEBUG_SYMBOLS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C ${ZARN_READELF} -n "${file}"
                    OUTPUT_VARIABLE notes COMMAND_ERROR_IS_FATAL ANY)
    if(NOT notes MATCHES "Build ID: ([0-9a-f][0-9a-f])([0-9a-f]+)")
      message(FATAL_ERROR "${file} has no build id")
    endif()
    set(debug ${dbgsym}/usr/lib/debug/.build-id/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}.debug)
    get_filename_component(debug_dir ${debug} DIRECTORY)
    file(MAKE_DIRECTORY ${debug_dir})
    execute_process(COMMAND ${ZARN_OBJCOPY} --only-keep-debug --compress-debug-sections
                            "${file}" "${debug}" COMMAND_ERROR_IS_FATAL ANY)
    file(CHMOD ${debug} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  endif()
  execute_process(COMMAND ${ZARN_STRIP} --remove-section=.comment --remove-section=.note
                          "${file}" COMMAND_ERROR_IS_FATAL ANY)
  if(CPACK_ZARN_DEBUG_SYMBOLS)
    execute_process(COMMAND ${ZARN_OBJCOPY} --add-gnu-debuglink=${debug} "${file}"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()
