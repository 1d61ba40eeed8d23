# The layers, from the bottom: core, controls, settings, launcher. Each one
# includes "folder/File.h" from the folders at or below it only: its include
# root holds links to those folders and nothing else, so an include of a
# higher layer does not compile. Where the system cannot make links (Windows
# without the right to), the root falls back to the source tree unguarded.
include_guard(GLOBAL)

function(lumora_include_root target)
  cmake_path(GET CMAKE_CURRENT_FUNCTION_LIST_DIR PARENT_PATH sources)
  set(root ${CMAKE_BINARY_DIR}/include-roots/${target})
  file(MAKE_DIRECTORY ${root})
  foreach(folder IN LISTS ARGN)
    file(CREATE_LINK ${sources}/${folder} ${root}/${folder} RESULT failed SYMBOLIC)
    if(failed)
      message(STATUS "No links here (${failed}): ${target} is not kept to its layer")
      set(root ${sources})
      break()
    endif()
  endforeach()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
