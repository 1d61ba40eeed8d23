# Run by CPack on its staging tree just before it packs it
# (CPACK_PRE_BUILD_SCRIPTS in cmake/Install.cmake).
#
# The directories that the installation makes on its way are created under
# the umask of whoever builds, and a umask of 077 would put drwx------ /usr
# into the package. A package's directories are 0755 whatever that was; the
# files already carry the modes that install() gives them.
file(GLOB_RECURSE entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
set(directories "${CPACK_TEMPORARY_DIRECTORY}")
foreach(entry IN LISTS entries)
  if(IS_DIRECTORY "${entry}" AND NOT IS_SYMLINK "${entry}")
    list(APPEND directories "${entry}")
  endif()
endforeach()
file(CHMOD ${directories} DIRECTORY_PERMISSIONS
     OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
