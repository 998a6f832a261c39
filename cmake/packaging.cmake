# What ships, and the archive `cpack` makes of it (scripts/dist.sh runs it for both): the 32-bit
# Windows build gives a zip of Update.exe and patchkit.exe, the optimised native build a tarball
# of patchkit, the zip's Update.exe and the signing script; both carry the READMEs and the
# worked example. The 64-bit
# Windows build and the instrumented native builds ship nowhere and get no install rules.
if(WIN32 AND CMAKE_SIZEOF_VOID_P EQUAL 4)
  install(TARGETS Update patchkit RUNTIME DESTINATION .)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME windows-x86)
elseif(NOT WIN32 AND NOT UPDATER_SANITIZE AND NOT UPDATER_FUZZ)
  install(TARGETS patchkit RUNTIME DESTINATION .)
  install(PROGRAMS ${PROJECT_SOURCE_DIR}/scripts/sign-update.sh DESTINATION .)
  # The Windows zip's own Update.exe, stripped already, which every package needs: beside
  # patchkit, make takes it when no --updater is given. scripts/dist.sh names it.
  set(UPDATER_KIT_UPDATER "" CACHE FILEPATH "The Windows zip's Update.exe, which the Linux tarball carries too")
  if(UPDATER_KIT_UPDATER)
    install(PROGRAMS ${UPDATER_KIT_UPDATER} DESTINATION .)
  else()
    install(CODE "message(FATAL_ERROR \"UPDATER_KIT_UPDATER names no Update.exe for the tarball: scripts/dist.sh sets it\")")
  endif()
  set(CPACK_GENERATOR TGZ)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
else()
  return()
endif()
# The documents keep their places in the source tree, so that their links to one another and to
# the example hold in the archive too.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/tools/patchkit/README.md DESTINATION tools/patchkit)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/tools/patchkit/examples DESTINATION tools/patchkit)
# Installing builds what ships, not every test beside it.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_PACKAGE_NAME updater)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
# The programs lose their symbol tables and debug sections (the MinGW runtime's among them).
set(CPACK_STRIP_FILES ON)
include(CPack)
