# Run by CPack between its staging install and the package: moves the programs
# from usr/bin to usr/games, where Debian keeps those of games.
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_DIRECTORY "${usr}/bin")
  message(FATAL_ERROR "The staged package has no programs in ${usr}/bin")
endif()
file(RENAME "${usr}/bin" "${usr}/games")
