# What only the Windows build tests: lumora.exe itself under Wine, on an X
# server of its own, in a folder as it is shipped, with a stand-in emulator
# beside it (scripts/test-windows.sh runs it with the rest of this build's
# suite).
add_executable(standin_gravlok ${CMAKE_CURRENT_LIST_DIR}/standin_gravlok.cpp)
# In a folder of its own: a test decides where Lumora may find it.
set_target_properties(standin_gravlok PROPERTIES OUTPUT_NAME gravlok AUTOMOC OFF
                                                 RUNTIME_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/standin)
target_link_options(standin_gravlok PRIVATE -static -municode)
target_link_libraries(standin_gravlok PRIVATE shell32)

# The core's start test finds the stand-in here.
target_compile_definitions(core_tests PRIVATE LUMORA_STANDIN_GRAVLOK="Z:$<TARGET_FILE:standin_gravlok>")
add_dependencies(core_tests standin_gravlok)

add_test(NAME windows_stage COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --prefix ${CMAKE_BINARY_DIR}/stage)
set_tests_properties(windows_stage PROPERTIES FIXTURES_SETUP stage)
add_test(NAME e2e_wine
         COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/../e2e/run_wine_e2e.sh ${CMAKE_BINARY_DIR}/stage
                 $<TARGET_FILE:standin_gravlok> ${CMAKE_BINARY_DIR}/e2e-artifacts ${LUMORA_WINEPREFIX})
set_tests_properties(e2e_wine PROPERTIES FIXTURES_REQUIRED stage LABELS e2e RUN_SERIAL TRUE TIMEOUT 300)
