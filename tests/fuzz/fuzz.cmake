# The settings-file fuzz target (settings_fuzz.cpp), built two ways:
#  - always: settings_fuzz_replay, the target with a plain main that runs the
#    committed corpus, registered as the CTest test settings_fuzz_replay;
#  - with Clang and -DLUMORA_FUZZ=ON: settings_fuzz, the real libFuzzer binary
#    (scripts/fuzz.sh builds and runs it for a bounded time).
set(LUMORA_FUZZ_DIR ${CMAKE_CURRENT_LIST_DIR})

add_executable(settings_fuzz_replay ${LUMORA_FUZZ_DIR}/settings_fuzz.cpp ${LUMORA_FUZZ_DIR}/replay_main.cpp)
target_compile_definitions(settings_fuzz_replay PRIVATE LUMORA_FUZZ_REPLAY)
target_link_libraries(settings_fuzz_replay PRIVATE lumora_core)
set_target_properties(settings_fuzz_replay PROPERTIES AUTOMOC OFF)
add_test(NAME settings_fuzz_replay COMMAND settings_fuzz_replay ${LUMORA_FUZZ_DIR}/corpus)
set_tests_properties(settings_fuzz_replay PROPERTIES LABELS fuzz)

option(LUMORA_FUZZ "Build the libFuzzer target settings_fuzz (Clang only)" OFF)
if(LUMORA_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "LUMORA_FUZZ needs Clang's libFuzzer: configure with CC=clang CXX=clang++ "
                        "(this build uses ${CMAKE_CXX_COMPILER_ID}).")
  endif()
  set(fuzz_flags -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)

  # The fuzzer steers by coverage of the code under test, so core is built once
  # more with coverage instrumentation; the ordinary lumora_core stays as is
  # for everything else in this build.
  get_target_property(core_sources lumora_core SOURCES)
  get_target_property(core_dir lumora_core SOURCE_DIR)
  list(TRANSFORM core_sources PREPEND ${core_dir}/ REGEX "^[^/]")
  add_library(lumora_core_fuzz STATIC ${core_sources})
  lumora_include_root(lumora_core_fuzz core)
  target_compile_options(lumora_core_fuzz PRIVATE -fsanitize=fuzzer-no-link ${fuzz_flags})
  set_target_properties(lumora_core_fuzz PROPERTIES AUTOMOC OFF)

  add_executable(settings_fuzz ${LUMORA_FUZZ_DIR}/settings_fuzz.cpp)
  target_compile_options(settings_fuzz PRIVATE -fsanitize=fuzzer ${fuzz_flags})
  target_link_options(settings_fuzz PRIVATE -fsanitize=fuzzer ${fuzz_flags})
  target_link_libraries(settings_fuzz PRIVATE lumora_core_fuzz)
  # At the top of the build tree, where scripts/fuzz.sh looks for it.
  set_target_properties(settings_fuzz PROPERTIES AUTOMOC OFF RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR})
endif()
