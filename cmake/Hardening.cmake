# Hardening of release builds, what Debian's own builds get from
# dpkg-buildflags: checked libc calls, a strong stack protector, and on ELF
# systems relocations that are read-only and all resolved at load time.
# Position-independent executables are the compiler's default on Debian
# already. MinGW's stack protector and checked calls live in libssp, which
# the link then needs; "-z relro" and "-z now" mean nothing to a PE file.
foreach(target IN ITEMS lumora_core lumora_controls lumora_settings lumora_launcher lumora)
  target_compile_definitions(${target} PRIVATE $<$<CONFIG:Release>:_FORTIFY_SOURCE=2>)
  target_compile_options(${target} PRIVATE $<$<CONFIG:Release>:-fstack-protector-strong>)
endforeach()
if(WIN32)
  target_link_options(lumora_core INTERFACE $<$<CONFIG:Release>:-fstack-protector-strong>)
else()
  target_link_options(lumora PRIVATE $<$<CONFIG:Release>:LINKER:-z,relro,-z,now>)
endif()
