# Installation into the usual places and a Debian package built by CPack:
#   cmake --install <build> --prefix /usr/local
#   cd <build> && cpack -G DEB
# scripts/check-package.sh builds the package and holds it to lintian.
include(GNUInstallDirs)

# ---- Files
set(lumora_appid io.github.lumora.lumora)
set(lumora_docdir ${CMAKE_INSTALL_DATADIR}/doc/lumora)

install(TARGETS lumora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# A stripped install (cpack, cmake --install --strip) also drops the
# compiler's notes, as Debian's own dh_strip does.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
                            \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:lumora>\"
                    COMMAND_ERROR_IS_FATAL ANY)
  endif()")

# The desktop entry is named after the AppStream id, so that software centres
# find the one from the other.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${lumora_appid}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${lumora_appid}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumora.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lumora-64.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
        RENAME lumora.png)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${lumora_docdir})

# The manual page and the changelog are installed compressed. gzip -n leaves
# out the name and time stamp, so the same sources give the same package.
set(lumora_gzipped)
foreach(source IN ITEMS lumora.1 changelog)
  set(copy ${CMAKE_CURRENT_BINARY_DIR}/packaging/${source})
  add_custom_command(OUTPUT ${copy}.gz
                     COMMAND ${CMAKE_COMMAND} -E copy ${PROJECT_SOURCE_DIR}/packaging/${source} ${copy}
                     COMMAND gzip -9nf ${copy}
                     DEPENDS ${PROJECT_SOURCE_DIR}/packaging/${source}
                     COMMENT "Compressing packaging/${source}"
                     VERBATIM)
  list(APPEND lumora_gzipped ${copy}.gz)
endforeach()
add_custom_target(lumora_packaging_files ALL DEPENDS ${lumora_gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/lumora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz DESTINATION ${lumora_docdir})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
        RENAME lumora)

# ---- The Debian package
# The default names the project but no mailbox anyone reads (.invalid never
# resolves); whoever publishes the package puts their own name and address.
set(LUMORA_PACKAGE_MAINTAINER "The Lumora developers <developers@lumora.invalid>"
    CACHE STRING "Maintainer field of the Debian package: the name and address of whoever publishes it")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VENDOR "The Lumora developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop launcher for the Gravlok emulator")
set(CPACK_PACKAGE_DESCRIPTION
    "Lumora browses the disks for a game file, shows two screenshots of the\n\
picked game and starts the Gravlok emulator on it. The emulator's options\n\
(frame skip, video mode, vsync and code analysis) are set in a settings\n\
window and kept, with the picked game, in a settings file in the folder\n\
Lumora is started from.\n\
\n\
The emulator itself, gravlok.exe, is not part of this package; Lumora finds\n\
it on the PATH. A Windows build of it can be run through Wine.")
set(CPACK_PACKAGE_CONTACT ${LUMORA_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${LUMORA_PACKAGE_MAINTAINER})
# Debian files emulators and their front ends under otherosfs.
set(CPACK_DEBIAN_PACKAGE_SECTION otherosfs)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt's Wayland platform plugin: on a desktop with no X server, the windows
# are shown through it.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
# dpkg-shlibdeps works out the library packages (Qt, libstdc++, ...) from the
# binary itself, so the Depends line never goes stale.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# The control files get the modes dpkg-deb gives them (md5sums 0644), not
# those of the build tree.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/PackagePermissions.cmake)
# A package installs to /usr; a plain `cmake --install` keeps its own prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
