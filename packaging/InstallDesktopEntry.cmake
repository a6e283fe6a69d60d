# Runs at install time, when the final prefix is known (cmake --install --prefix may differ
# from the one configured): writes the desktop entry with absolute paths under that prefix and
# installs it. Expects ZARN_DESKTOP_TEMPLATE, ZARN_DESKTOP_STAGING, ZARN_BINDIR, ZARN_HELPDIR,
# ZARN_APPSDIR and ZARN_ICON_FILE (empty when there is no icon); relative folders are taken
# under CMAKE_INSTALL_PREFIX.

function(zarn_installed_path dir out)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

zarn_installed_path("${ZARN_BINDIR}/zarn" program)
zarn_installed_path("${ZARN_HELPDIR}" help_dir)
zarn_installed_path("${ZARN_APPSDIR}" apps_dir)

# An Exec path with blanks must be quoted; Path is a plain value.
if(program MATCHES " ")
  set(ZARN_DESKTOP_EXEC "\"${program}\"")
else()
  set(ZARN_DESKTOP_EXEC "${program}")
endif()
set(ZARN_DESKTOP_PATH "${help_dir}")
if(ZARN_ICON_FILE)
  zarn_installed_path("${ZARN_ICON_FILE}" icon)
  set(ZARN_DESKTOP_ICON "Icon=${icon}")
else()
  set(ZARN_DESKTOP_ICON "")
endif()

configure_file("${ZARN_DESKTOP_TEMPLATE}" "${ZARN_DESKTOP_STAGING}" @ONLY)
# file(INSTALL) puts DESTDIR in front, as every other install rule does.
file(INSTALL "${ZARN_DESKTOP_STAGING}" DESTINATION "${apps_dir}")
