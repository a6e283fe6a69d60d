# The Debian package: `cpack -G DEB` in a Release build makes zarn_<version>_<arch>.deb of
# everything `cmake --install` puts in place, with its Depends worked out by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME zarn)
set(CPACK_PACKAGE_VENDOR "Zarn")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer and creator for Jedi Knight BM images")
set(ZARN_DEB_MAINTAINER "Zarn maintainers <maintainers@zarn.example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZARN_DEB_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://zarn.example.org/")
# The long text under the summary; CPack indents it and marks the empty line as Debian asks.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Zarn opens the BM images of the game Jedi Knight (8-bit with or without a
palette of their own, and 16-bit), shows each image with the file's
properties, colours 8-bit images from a CMP colour map or another BM, exports
the images to Windows BMP or PNG files, and builds new BMs from BMP or PNG
files; BM to PNG and back is lossless.

The package also holds zarn-cli, the same reading, exporting and building for
scripts, and the desktop integration: BM and CMP file types, a menu entry that
opens BM files from file managers, and thumbnails of BM files.")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The programs are stripped by StripPrograms.cmake, as Debian's tools strip them. A build with
# debug information (packaging/build-deb.sh, with the distribution's flags) gives its symbols
# to a zarn-dbgsym package beside the .deb.
if(CMAKE_CXX_FLAGS MATCHES "(^| )-g")
  set(CPACK_ZARN_DEBUG_SYMBOLS ON)
else()
  set(CPACK_ZARN_DEBUG_SYMBOLS OFF)
endif()
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/StripPrograms.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebugSymbolsPackage.cmake)
set(CPACK_GENERATOR DEB)
# Read by cpack when it runs: the archives' time stamps from the same SOURCE_DATE_EPOCH.
set(CPACK_ZARN_SOURCE_DATE_EPOCH "${ZARN_SOURCE_DATE_EPOCH}")
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/CPackEnvironment.cmake)

# One package of every component a full install holds, except that a statically linked
# zarn-cli gives way to its twin linked to the shared libraries.
get_cmake_property(zarn_components COMPONENTS)
if(TARGET zarn-cli-shared)
  list(REMOVE_ITEM zarn_components zarn_cli_static)
  list(APPEND zarn_components zarn_cli_shared)
endif()
list(REMOVE_DUPLICATES zarn_components)
set(CPACK_COMPONENTS_ALL ${zarn_components})
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS OFF)

include(CPack)
