# The layers, from the bottom: core, controls, settings, launcher. Each one
# includes "folder/File.h" from the folders at or below it only: its include
# root holds links to those folders and nothing else, so an include of a
# higher layer does not compile. Where the system cannot make links (Windows
# without the right to), the root falls back to the source tree unguarded.
include_guard(GLOBAL)

function(lumora_include_root target)
  # An include that climbs out of its own folder ("../settings/...") would
  # walk past the root: refused when the build is configured.
  get_target_property(own ${target} SOURCES)
  get_target_property(base ${target} SOURCE_DIR)
  foreach(source IN LISTS own)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${base})
    file(STRINGS ${source} climbing REGEX "^[ \t]*#[ \t]*include[ \t]*\"\\.\\./")
    if(climbing)
      message(FATAL_ERROR "${source}: ${climbing} climbs out of its folder; "
                          "include it as \"folder/File.h\", which the layer's root allows or refuses")
    endif()
  endforeach()
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
