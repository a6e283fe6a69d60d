# Runs in cpack after the package is made, when CPACK_ZARN_DEBUG_SYMBOLS is ON: makes
# <name>-dbgsym_<version>_<arch>.ddeb of the debug information that StripPrograms.cmake split
# off, as Debian's tools make it (its documentation folder a link to the package's own).
set(dbgsym ${CPACK_TOPLEVEL_DIRECTORY}/dbgsym)
if(NOT IS_DIRECTORY ${dbgsym}/usr/lib/debug)
  return()
endif()
set(name ${CPACK_PACKAGE_NAME})
set(version ${CPACK_PACKAGE_VERSION})
execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE arch
                OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)

file(MAKE_DIRECTORY ${dbgsym}/usr/share/doc ${dbgsym}/DEBIAN)
file(REMOVE ${dbgsym}/usr/share/doc/${name}-dbgsym)
file(CREATE_LINK ${name} ${dbgsym}/usr/share/doc/${name}-dbgsym SYMBOLIC)

file(GLOB_RECURSE debug_files LIST_DIRECTORIES false RELATIVE ${dbgsym}
     ${dbgsym}/usr/lib/debug/*.debug)
list(SORT debug_files)
set(ids "")
set(md5sums "")
set(bytes 0)
foreach(file IN LISTS debug_files)
  string(REGEX REPLACE "^.*/([0-9a-f]+)/([0-9a-f]+)\\.debug$" "\\1\\2" id "${file}")
  list(APPEND ids ${id})
  file(MD5 ${dbgsym}/${file} sum)
  string(APPEND md5sums "${sum}  ${file}\n")
  file(SIZE ${dbgsym}/${file} size)
  math(EXPR bytes "${bytes} + ${size}")
endforeach()
list(JOIN ids " " ids)
math(EXPR kib "(${bytes} + 1023) / 1024")
file(WRITE ${dbgsym}/DEBIAN/md5sums "${md5sums}")
file(WRITE ${dbgsym}/DEBIAN/control "Package: ${name}-dbgsym
Source: ${name}
Version: ${version}
Architecture: ${arch}
Maintainer: ${CPACK_DEBIAN_PACKAGE_MAINTAINER}
Installed-Size: ${kib}
Depends: ${name} (= ${version})
Section: debug
Priority: optional
Description: debug symbols for ${name}
Build-Ids: ${ids}
Package-Type: ddeb
Auto-Built-Package: debug-symbols
")
set(ddeb ${CPACK_PACKAGE_DIRECTORY}/${name}-dbgsym_${version}_${arch}.ddeb)
execute_process(COMMAND dpkg-deb --root-owner-group -Zxz --build ${dbgsym} ${ddeb}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
message(STATUS "Debug symbols: ${ddeb}")
