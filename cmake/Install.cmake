# Installation into the usual places and a Debian package built by CPack:
#   cmake --install <build> --prefix /usr/local
#   cd <build> && cpack -G DEB
include(GNUInstallDirs)

install(TARGETS lumora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desktop entry is named after the AppStream id, so that software centres
# find the one from the other.
set(lumora_appid io.github.lumora.lumora)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${lumora_appid}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${lumora_appid}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumora-64.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
        RENAME lumora.png)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VENDOR "Lumora developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop launcher for the Gravlok emulator")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumora browses the disks for a game file, keeps the emulator's options in\n\
a settings file, shows two screenshots of the picked game and starts the\n\
Gravlok emulator on it.")
set(CPACK_PACKAGE_CONTACT "Lumora developers <lumora@localhost>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Lumora developers <lumora@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps works out the library packages (Qt, libstdc++, ...) from the
# binary itself, so the Depends line never goes stale.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# A package installs to /usr; a plain `cmake --install` keeps its own prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
