# cmake -DLIBRARY=<name> -DROOT=<source dir> -DFOLDERS=<dir;...> -DREACH=<dir;...>
#       [-DSTAMP=<file>] -P CheckIncludes.cmake
# Fails when a .h or .cpp file of FOLDERS includes "X/..." for a folder X that
# is not in REACH (the library's own folders and those below it), naming every
# such include; otherwise touches STAMP.
cmake_minimum_required(VERSION 3.25)
set(bad "")
foreach(folder IN LISTS FOLDERS)
  file(GLOB files ${ROOT}/${folder}/*.h ${ROOT}/${folder}/*.cpp)
  list(SORT files)
  foreach(f IN LISTS files)
    file(STRINGS ${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS lines)
      string(REGEX MATCH "\"([^\"/]+)/" _ "${line}")
      if(NOT CMAKE_MATCH_1 IN_LIST REACH)
        file(RELATIVE_PATH rel ${ROOT} ${f})
        string(STRIP "${line}" line)
        string(APPEND bad "\n  ${rel}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
if(bad)
  list(JOIN REACH ", " reach)
  message(FATAL_ERROR "${LIBRARY} may include only ${reach}; these files reach further:${bad}")
endif()
if(STAMP)
  file(WRITE ${STAMP} "")
endif()
