# Read by cpack before it packs: gives SOURCE_DATE_EPOCH, unless the caller set it, the value
# the build was configured with, which fixes the time stamps in the .deb and the .ddeb.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "" AND NOT "${CPACK_ZARN_SOURCE_DATE_EPOCH}" STREQUAL "")
  set(ENV{SOURCE_DATE_EPOCH} "${CPACK_ZARN_SOURCE_DATE_EPOCH}")
endif()
