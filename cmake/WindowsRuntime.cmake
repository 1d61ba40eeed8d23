# What lumora.exe needs beside it on Windows: Qt's DLLs and plugins from the
# Qt it was built with (scripts/qt-windows.sh), and MinGW's runtime, which
# that Qt's DLLs are linked against. Windows looks for a program's DLLs in
# its own folder first, and Qt for its plugins in the folder's "platforms"
# and "styles".
get_filename_component(LUMORA_QT_PREFIX "${Qt6_DIR}/../../.." ABSOLUTE)
set(LUMORA_QT_DLLS ${LUMORA_QT_PREFIX}/bin/Qt6Core.dll ${LUMORA_QT_PREFIX}/bin/Qt6Gui.dll
                   ${LUMORA_QT_PREFIX}/bin/Qt6Widgets.dll)
set(LUMORA_MINGW_DLLS)
foreach(dll IN ITEMS libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll libssp-0.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll} OUTPUT_VARIABLE found
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(found "${found}" ABSOLUTE)
  if(NOT EXISTS "${found}")
    message(FATAL_ERROR "MinGW's ${dll} is not where its compiler says: ${found}")
  endif()
  list(APPEND LUMORA_MINGW_DLLS ${found})
endforeach()
set(LUMORA_QT_STYLE ${LUMORA_QT_PREFIX}/plugins/styles/qwindowsvistastyle.dll)

# Copies the DLLs, the style and the platform plugin `platform` (windows,
# offscreen) into `folder`, for the programs built there to run from it.
function(lumora_windows_runtime folder platform)
  file(COPY ${LUMORA_QT_DLLS} ${LUMORA_MINGW_DLLS} DESTINATION ${folder})
  if(ARGN)
    file(COPY ${ARGN} DESTINATION ${folder})
  endif()
  file(COPY ${LUMORA_QT_PREFIX}/plugins/platforms/q${platform}.dll DESTINATION ${folder}/platforms)
  file(COPY ${LUMORA_QT_STYLE} DESTINATION ${folder}/styles)
endfunction()
