# Installing the game and packing it as a Debian package: the game binary, its desktop entry and its icon,
# on the usual freedesktop paths below the prefix. Tools and tests stay in the build tree.
include(GNUInstallDirs)

set(TRAMOLO_ICON_SIZE 64)

install(TARGETS tramolo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/tramolo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/tramolo.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${TRAMOLO_ICON_SIZE}x${TRAMOLO_ICON_SIZE}/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tramolo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Small real-time driving game in a wire-frame world")
set(CPACK_PACKAGE_DESCRIPTION "Six cars on a closed ring track of straights and bends, drawn as a coloured \
perspective wire frame, with a head-up display of the driving figures. German texts on screen.")
set(CPACK_PACKAGE_CONTACT "tramolo developers <tramolo@localhost>")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries with their versions come from dpkg-shlibdeps where it runs, otherwise they are named
# here; the head-up display's face (fonts-wine) is opened by path at run time, so no library check can find it.
find_program(TRAMOLO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TRAMOLO_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-wine")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libsdl2-2.0-0, libsdl2-ttf-2.0-0, libfontconfig1, libx11-6, libpng16-16, fonts-wine")
endif()

include(CPack)
