# The Windows packages, made by CPack from one folder: a portable ZIP and an
# installer (the NSIS generator with Debian's nsis):
#   cd <build> && cpack -G ZIP && cpack -G NSIS
# The folder holds lumora.exe, Qt's DLLs with the windows platform plugin
# and the windowsvista style, MinGW's runtime, and the licence texts that
# Qt's LGPL asks to go with it.
install(TARGETS lumora RUNTIME DESTINATION .)
install(FILES ${LUMORA_QT_DLLS} ${LUMORA_MINGW_DLLS} DESTINATION .)
install(FILES ${LUMORA_QT_PREFIX}/plugins/platforms/qwindows.dll DESTINATION platforms)
install(FILES ${LUMORA_QT_STYLE} DESTINATION styles)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION licenses RENAME Lumora.txt)
install(DIRECTORY ${LUMORA_QT_PREFIX}/licenses/ DESTINATION licenses/Qt)
# A stripped install (cpack, cmake --install --strip) strips the DLLs too,
# which come with their symbols: half the folder's size.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    file(GLOB_RECURSE dlls \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/*.dll\")
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-unneeded \${dlls} COMMAND_ERROR_IS_FATAL ANY)
  endif()")

set(CPACK_GENERATOR ZIP NSIS)
set(CPACK_PACKAGE_NAME Lumora)
set(CPACK_PACKAGE_VENDOR "The Lumora developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Launcher for the Gravlok emulator")
set(CPACK_PACKAGE_FILE_NAME lumora-${PROJECT_VERSION}-windows-x64)
set(CPACK_PACKAGE_INSTALL_DIRECTORY Lumora)
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/packaging/copyright)
set(CPACK_STRIP_FILES ON)
# The installer is this project's own script (cmake/nsis/NSIS.template.in):
# for the user who runs it, without administrator rights.
list(APPEND CMAKE_MODULE_PATH ${CMAKE_CURRENT_LIST_DIR}/nsis)
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/packaging/lumora.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/packaging/lumora.ico)
include(CPack)
