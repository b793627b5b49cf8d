# The game installed as a Linux game is: the programs in bin, the resource
# library and the screenshots in share/meridane-zeta, the desktop entries, the
# icons, the AppStream metainfo, the man pages and the documents
# (make install, make uninstall), and a Debian package of the same files made
# by CPack (make deb).
set(MZ_APP_ID org.meridanezeta.MeridaneZeta)
set(MZ_RELEASE_DATE 2026-12-11)
set(MZ_HOMEPAGE "https://meridanezeta.invalid" CACHE STRING
    "Where the game's pages are published; the metainfo's screenshots are its screenshots/ files")
set(MZ_MAINTAINER "The Meridane Zeta developers <maintainers@meridanezeta.invalid>")

set(dist ${CMAKE_SOURCE_DIR}/app/dist)
set(gen ${CMAKE_BINARY_DIR}/dist)
find_program(MZ_HELP2MAN help2man REQUIRED)
find_program(MZ_GZIP gzip REQUIRED)

# The man pages are the programs' own --help, with the sections that help
# leaves out (files, environment) from docs/man: an option added to --help is
# in the page at the next build.
set(man_pages "")
foreach(program IN ITEMS korvo korvo-config)
  set(page ${gen}/${program}.6)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${MZ_HELP2MAN} --no-info --section=6 --version-string=${PROJECT_VERSION}
            --include=${CMAKE_SOURCE_DIR}/docs/man/${program}.h2m --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${MZ_GZIP} -9nf ${page}
    DEPENDS ${program} ${CMAKE_SOURCE_DIR}/docs/man/${program}.h2m
    COMMENT "Writing the man page ${program}(6)"
    VERBATIM)
  list(APPEND man_pages ${page}.gz)
endforeach()

add_custom_command(
  OUTPUT ${gen}/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E copy ${dist}/changelog ${gen}/changelog
  COMMAND ${MZ_GZIP} -9nf ${gen}/changelog
  DEPENDS ${dist}/changelog
  VERBATIM)

# The screenshots are the game's own snapshots. They follow the resource
# library; the program only has to be there (a change of code alone does not
# draw them again, which would cost every build some seconds of drawing).
set(shots ${gen}/screenshots/title.png ${gen}/screenshots/boss.png ${gen}/screenshots/barrage.png)
add_custom_command(
  OUTPUT ${shots}
  COMMAND ${CMAKE_COMMAND} -DKORVO=$<TARGET_FILE:korvo> -DLIBRARY=${MZ_BIN_DIR}/data.dll
          -DOUT=${gen}/screenshots -P ${CMAKE_SOURCE_DIR}/cmake/Screenshots.cmake
  DEPENDS ${MZ_BIN_DIR}/data.dll ${CMAKE_SOURCE_DIR}/cmake/Screenshots.cmake
  COMMENT "Taking the screenshots"
  VERBATIM)

configure_file(${dist}/${MZ_APP_ID}.metainfo.xml.in ${gen}/${MZ_APP_ID}.metainfo.xml @ONLY)

add_custom_target(install_files ALL DEPENDS ${man_pages} ${gen}/changelog.gz ${shots})
add_dependencies(install_files korvo korvo-config game_data)

set(data_dir ${CMAKE_INSTALL_DATADIR}/${MZ_DATA_NAME})
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MZ_DATA_NAME})
install(TARGETS korvo korvo-config RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS mz_video LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/${MZ_DATA_NAME})
install(FILES ${MZ_BIN_DIR}/data.dll DESTINATION ${data_dir})
install(FILES ${shots} DESTINATION ${data_dir}/screenshots)
install(FILES ${dist}/${MZ_APP_ID}.desktop ${dist}/${MZ_APP_ID}.Settings.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size IN LISTS MZ_ICON_SIZES)
  install(FILES ${MZ_ICON_DIR}/ICON/${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${MZ_APP_ID}.png)
endforeach()
install(FILES ${gen}/${MZ_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/README.md ${dist}/copyright ${gen}/changelog.gz DESTINATION ${doc_dir})

# The Debian package: the same install under /usr, its dependencies read from
# the libraries the programs link (dpkg-shlibdeps), the programs stripped.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${MZ_DATA_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Meridane Zeta developers")
set(CPACK_PACKAGE_CONTACT ${MZ_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "vertical-scrolling 3D arcade shooting game")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${MZ_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Besides the libraries: the font the game draws its text with, and Mesa's
# drivers, which draw where no other OpenGL driver is.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Fly a craft up a scrolling play field through two scripted chapters: waves
of enemies, talk lines, and a boss whose named barrages can be captured for
a bonus. Fire volleys, swing a short blade, dash in eight directions, roll,
and spend a shared gauge on a volley of homing lasers or on slow motion.
Every game is recorded as its input and can be kept in one of ten replay
slots and watched again exactly.
.
korvo-config sets the score name, the window mode and the key and
controller bindings.")
# Debian keeps the programs of games in /usr/games (the data folder, one level
# up from either, stays where the game looks for it).
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/DebGamesDir.cmake)
include(CPack)
