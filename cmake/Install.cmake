# Installing the game and packing it as a Debian package: the game binary, its desktop entry, icon, AppStream
# metainfo and manual page on the usual freedesktop and GNU paths below the prefix, with the copyright and
# changelog in the documentation directory. Tools and tests stay in the build tree.
include(GNUInstallDirs)

set(TRAMOLO_ICON_SIZE 64)
# The AppStream component id, reverse-DNS as AppStream asks; the metainfo file is named after it.
set(TRAMOLO_APP_ID example.tramolo.tramolo)

# The manual page with the version filled in and the changelog, compressed as Debian's policy asks; -n keeps
# name and time stamp out of the archive, so the same sources give the same bytes.
find_program(TRAMOLO_GZIP gzip REQUIRED)
configure_file(${PROJECT_SOURCE_DIR}/data/tramolo.6.in ${PROJECT_BINARY_DIR}/doc/tramolo.6 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/debian/changelog ${PROJECT_BINARY_DIR}/doc/changelog COPYONLY)
add_custom_command(
  OUTPUT ${PROJECT_BINARY_DIR}/doc/tramolo.6.gz ${PROJECT_BINARY_DIR}/doc/changelog.gz
  COMMAND ${TRAMOLO_GZIP} -9nkf tramolo.6 changelog
  DEPENDS ${PROJECT_BINARY_DIR}/doc/tramolo.6 ${PROJECT_BINARY_DIR}/doc/changelog
  WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/doc
  COMMENT "Compressing the manual page and the changelog")
add_custom_target(tramolo_docs ALL DEPENDS ${PROJECT_BINARY_DIR}/doc/tramolo.6.gz ${PROJECT_BINARY_DIR}/doc/changelog.gz)

install(TARGETS tramolo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/tramolo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/tramolo.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${TRAMOLO_ICON_SIZE}x${TRAMOLO_ICON_SIZE}/apps)
install(FILES ${PROJECT_SOURCE_DIR}/data/tramolo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        RENAME ${TRAMOLO_APP_ID}.metainfo.xml)
install(FILES ${PROJECT_BINARY_DIR}/doc/tramolo.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright ${PROJECT_BINARY_DIR}/doc/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Debian keeps games in /usr/games: the package build (CPack sets TRAMOLO_GAMES_DIR) moves the game there.
# An install into a prefix keeps it in bin/, on the user's PATH.
install(CODE "
  if(TRAMOLO_GAMES_DIR)
    set(root \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
    file(MAKE_DIRECTORY \"\${root}/\${TRAMOLO_GAMES_DIR}\")
    file(RENAME \"\${root}/${CMAKE_INSTALL_BINDIR}/tramolo\" \"\${root}/\${TRAMOLO_GAMES_DIR}/tramolo\")
    file(GLOB left \"\${root}/${CMAKE_INSTALL_BINDIR}/*\")
    if(NOT left)
      file(REMOVE_RECURSE \"\${root}/${CMAKE_INSTALL_BINDIR}\")
    endif()
  endif()")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tramolo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Small real-time driving game in a wire-frame world")
set(CPACK_PACKAGE_DESCRIPTION "Six cars on a closed ring track of straights and bends, drawn as a coloured
perspective wire frame, with a head-up display of the driving figures. At start
the computer drives every car; ENTER starts a race against five computer
drivers. German texts on screen.")
set(CPACK_PACKAGE_CONTACT "tramolo developers <dev@tramolo.example>")
set(CPACK_STRIP_FILES ON)
set(CPACK_CUSTOM_INSTALL_VARIABLES "TRAMOLO_GAMES_DIR=games")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries with their versions come from dpkg-shlibdeps where it runs, otherwise they are named
# here. The head-up display's face is built into the game.
find_program(TRAMOLO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TRAMOLO_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsdl2-2.0-0, libx11-6")
endif()

include(CPack)
