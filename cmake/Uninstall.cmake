# DESTDIR=<staging> cmake -DMANIFEST=<installed-files.txt> -P Uninstall.cmake
# Removes exactly the files an install put there (the list the install wrote,
# under the same DESTDIR as the install), then the game's own folders once
# they are empty. Folders shared with other programs (bin, share/applications,
# the icon theme) stay.
if(NOT EXISTS "${MANIFEST}")
  message(FATAL_ERROR "Nothing to uninstall: ${MANIFEST} does not exist (it is written by 'make install').")
endif()
file(STRINGS "${MANIFEST}" installed)
set(own_dirs "")
foreach(path IN LISTS installed)
  set(file "$ENV{DESTDIR}${path}")
  if(IS_SYMLINK "${file}" OR EXISTS "${file}")
    message(STATUS "Removing ${file}")
    file(REMOVE "${file}")
  else()
    message(STATUS "Already gone: ${file}")
  endif()
  # share/meridane-zeta/... and share/doc/meridane-zeta/...
  if(file MATCHES "^(.*/share/(doc/)?meridane-zeta)/")
    list(APPEND own_dirs "${CMAKE_MATCH_1}")
    get_filename_component(dir "${file}" DIRECTORY)
    list(APPEND own_dirs "${dir}")
  endif()
endforeach()
# Deepest first, so that a folder's empty subfolders go before it.
list(REMOVE_DUPLICATES own_dirs)
list(SORT own_dirs ORDER DESCENDING)
foreach(dir IN LISTS own_dirs)
  file(GLOB left "${dir}/*" "${dir}/.*")
  if(IS_DIRECTORY "${dir}" AND NOT left)
    file(REMOVE_RECURSE "${dir}")
  endif()
endforeach()
