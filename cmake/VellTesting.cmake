# Test helpers shared by every folder of the project.
include_guard(GLOBAL)

# GoogleTest is built from Debian's sources in every tree, with that tree's
# compiler and flags (sanitizers included).
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
if(NOT TARGET gtest_main)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
endif()

# vell_add_gtest(NAME SOURCES ... [LIBS ...] [NEEDS_DISPLAY] [TIMEOUT s] [LABELS ...])
# In the win32 tree CTest runs the executable through scripts/wine-run.
function(vell_add_gtest name)
  cmake_parse_arguments(ARG "NEEDS_DISPLAY" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  set(labels ${ARG_LABELS})
  if(ARG_NEEDS_DISPLAY)
    list(APPEND labels display)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT} LABELS "${labels}")
  if(WIN32)
    # A fault inside a window procedure is swallowed by the platform's
    # callback frame and a program that crashed may still exit 0 under Wine:
    # Wine reports both (see vell_tag_tests_with_wine_tree), either fails.
    set_tests_properties(${name} PROPERTIES
      FAIL_REGULAR_EXPRESSION "ignoring exception;Unhandled exception;Unhandled page fault")
  endif()
endfunction()

# vell_test_path(OUT path): the path as a test program of this tree sees it.
# Wine shows the Linux root as drive Z:.
function(vell_test_path out path)
  if(WIN32)
    set(${out} "Z:${path}" PARENT_SCOPE)
  else()
    set(${out} "${path}" PARENT_SCOPE)
  endif()
endfunction()

# vell_tag_tests_with_wine_tree(TREE): CTest sets VELL_WINE_TREE=TREE for
# every test of this tree, and for every script such a test starts, and keeps
# Wine reporting faults that it swallows or that end a program.
function(vell_tag_tests_with_wine_tree tree)
  # Wine's own reports of faults stay on, whatever a test sets besides.
  file(WRITE ${CMAKE_BINARY_DIR}/VellWineTree.cmake
    "set(ENV{VELL_WINE_TREE} ${tree})\nset(ENV{WINEDEBUG} -all,err+seh)\n")
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/VellWineTree.cmake)
endfunction()
