# End-to-end: the real program on its own X server (Xvfb, no window manager),
# driven with xdotool; its last start runs under strace, to see that the GUI
# thread leaves the files to the workers once the window shows. Screenshots
# go to e2e-artifacts in the build tree.
add_test(NAME e2e_real_window
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run_e2e.sh $<TARGET_FILE:lumora> ${CMAKE_BINARY_DIR}/e2e-artifacts)
set_tests_properties(e2e_real_window PROPERTIES
                     LABELS e2e
                     TIMEOUT 180
                     RUN_SERIAL TRUE
                     SKIP_RETURN_CODE 77)

# The same program on a Wayland desktop (Weston, headless, with Xwayland):
# which platform it takes with an X server there and without one, a launch
# and Exit on each. Pressed through the accessibility interface.
add_test(NAME e2e_wayland_smoke
         COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/e2e/run_wayland_smoke.sh $<TARGET_FILE:lumora>
                 ${CMAKE_BINARY_DIR}/e2e-artifacts/wayland)
set_tests_properties(e2e_wayland_smoke PROPERTIES
                     LABELS e2e
                     TIMEOUT 120
                     RUN_SERIAL TRUE
                     SKIP_RETURN_CODE 77)

# Asked from a terminal: the two answers, and no window (there is no display
# to open one on).
add_test(NAME lumora_help_and_version
         COMMAND sh -c [=["$1" --help >help.txt && grep -q Lumora.INI help.txt && [ "$("$1" --version)" = "lumora $2" ]]=]
                 sh $<TARGET_FILE:lumora> ${PROJECT_VERSION})
set_tests_properties(lumora_help_and_version PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=xcb;DISPLAY=:65000")
