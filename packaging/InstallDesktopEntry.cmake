# Runs at install time, when the final prefix is known (cmake --install --prefix may differ
# from the one configured): writes the desktop entry and the thumbnailer entry with the paths
# under that prefix and installs them. Expects ZARN_DESKTOP_TEMPLATE and
# ZARN_THUMBNAILER_TEMPLATE (each empty when that program is not built), ZARN_STAGING,
# ZARN_BINDIR, ZARN_HELPDIR, ZARN_APPSDIR, ZARN_APP_ID (the desktop entry's name),
# ZARN_THUMBNAILERSDIR and ZARN_ICON_FILE (empty
# when there is no icon); relative folders are taken under CMAKE_INSTALL_PREFIX.

function(zarn_installed_path dir out)
  if(IS_ABSOLUTE "${dir}")
    set(${out} "${dir}" PARENT_SCOPE)
  else()
    set(${out} "${CMAKE_INSTALL_PREFIX}/${dir}" PARENT_SCOPE)
  endif()
endfunction()

# Installed in a folder of every user's PATH, a program is named by its name alone, as the
# desktop's own entries do; elsewhere by its whole path, quoted when it holds blanks.
zarn_installed_path("${ZARN_BINDIR}" bin_dir)
set(on_path OFF)
if(bin_dir STREQUAL "/usr/bin" OR bin_dir STREQUAL "/usr/local/bin")
  set(on_path ON)
endif()
function(zarn_exec_name program out)
  if(on_path)
    set(${out} "${program}" PARENT_SCOPE)
  elseif(bin_dir MATCHES " ")
    set(${out} "\"${bin_dir}/${program}\"" PARENT_SCOPE)
  else()
    set(${out} "${bin_dir}/${program}" PARENT_SCOPE)
  endif()
endfunction()

function(zarn_write_entry template name dir)
  zarn_installed_path("${dir}" target_dir)
  configure_file("${template}" "${ZARN_STAGING}/${name}" @ONLY)
  # file(INSTALL) puts DESTDIR in front, as every other install rule does.
  file(INSTALL "${ZARN_STAGING}/${name}" DESTINATION "${target_dir}")
endfunction()

if(ZARN_DESKTOP_TEMPLATE)
  zarn_exec_name(zarn ZARN_DESKTOP_EXEC)
  zarn_installed_path("${ZARN_HELPDIR}" ZARN_DESKTOP_PATH)
  set(ZARN_DESKTOP_ICON "")
  if(ZARN_ICON_FILE)
    # The theme's name finds the size that fits; outside the standard folders only a path does.
    if(on_path)
      set(ZARN_DESKTOP_ICON "Icon=zarn")
    else()
      zarn_installed_path("${ZARN_ICON_FILE}" icon)
      set(ZARN_DESKTOP_ICON "Icon=${icon}")
    endif()
  endif()
  zarn_write_entry("${ZARN_DESKTOP_TEMPLATE}" ${ZARN_APP_ID}.desktop "${ZARN_APPSDIR}")
endif()

if(ZARN_THUMBNAILER_TEMPLATE)
  zarn_exec_name(zarn-cli ZARN_CLI_EXEC)
  zarn_write_entry("${ZARN_THUMBNAILER_TEMPLATE}" zarn.thumbnailer "${ZARN_THUMBNAILERSDIR}")
endif()
