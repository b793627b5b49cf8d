# mz_library(<target> SOURCES_FROM <dir>... [DEPS <targets/libs>...])
# A static library of every .cpp in the given folders (an interface library while
# a folder is still empty), so each subsystem adds files without touching CMake.
#
# Layers depend one way: a library's files may include only its own folders and
# those of the mz_ libraries it depends on, directly or through them. Building
# the library checks every .h and .cpp of its folders (cmake/CheckIncludes.cmake)
# and fails on an include of any other folder, naming the file and line.
function(mz_library name)
  cmake_parse_arguments(A "" "" "SOURCES_FROM;DEPS" ${ARGN})
  set(srcs "")
  set(files "")
  foreach(d IN LISTS A_SOURCES_FROM)
    file(GLOB s CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${d}/*.cpp)
    file(GLOB h CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${d}/*.h)
    list(APPEND srcs ${s})
    list(APPEND files ${s} ${h})
  endforeach()
  set(reach ${A_SOURCES_FROM})
  foreach(dep IN LISTS A_DEPS)
    if(TARGET ${dep})
      get_target_property(dep_reach ${dep} MZ_REACH)
      if(dep_reach)
        list(APPEND reach ${dep_reach})
      endif()
    endif()
  endforeach()
  list(REMOVE_DUPLICATES reach)
  if(srcs)
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC ${A_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_link_libraries(${name} INTERFACE ${A_DEPS})
  endif()
  set_target_properties(${name} PROPERTIES MZ_REACH "${reach}")
  if(files)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}.includes-checked)
    add_custom_command(
      OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DLIBRARY=${name} -DROOT=${CMAKE_SOURCE_DIR} "-DFOLDERS=${A_SOURCES_FROM}"
              "-DREACH=${reach}" -DSTAMP=${stamp} -P ${CMAKE_SOURCE_DIR}/cmake/CheckIncludes.cmake
      DEPENDS ${files} ${CMAKE_SOURCE_DIR}/cmake/CheckIncludes.cmake
      COMMENT "Checking the includes of ${name}"
      VERBATIM)
    add_custom_target(${name}_includes DEPENDS ${stamp})
    add_dependencies(${name} ${name}_includes)
  endif()
endfunction()

# mz_test(<target> DIR <tests/subdir> [LABELS ...] [LIBS ...])
# One GoogleTest executable per test folder; its cases are registered with ctest.
# Label "unit" marks pure-logic tests that also run under ASan/UBSan; label
# "tsan" marks tests that also run under ThreadSanitizer.
function(mz_test name)
  cmake_parse_arguments(A "" "DIR" "LABELS;LIBS" ${ARGN})
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${A_DIR}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    MZ_SOURCE_DIR="${CMAKE_SOURCE_DIR}" MZ_BIN_DIR="${MZ_BIN_DIR}")
  # gtest_discover_tests flattens a list of labels to its first element, so the
  # labels travel as one word ("unit_tsan"); ctest -L takes a regex and still
  # selects it by "unit" or by "tsan".
  string(JOIN "_" label_word ${A_LABELS})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS "${label_word}")
  add_dependencies(all_tests ${name})
  list(FIND A_LABELS unit is_unit)
  if(NOT is_unit EQUAL -1)
    add_dependencies(unit_tests ${name})
  endif()
  list(FIND A_LABELS tsan is_tsan)
  if(NOT is_tsan EQUAL -1)
    add_dependencies(tsan_tests ${name})
  endif()
endfunction()
