# The reader's shell: recent books, start-up panel, About box, trace log and
# file-type registration. Included by app/CMakeLists.txt.
set(_shell_dir ${CMAKE_CURRENT_LIST_DIR})
include(${_shell_dir}/pictures/Pictures.cmake)

# Platform-neutral logic, also built natively for tests and sanitizers.
add_library(vell_shell_logic STATIC
  ${_shell_dir}/HistoryList.cpp
  ${_shell_dir}/VersionText.cpp
  ${_shell_dir}/FileTypeRegistration.cpp
  ${_shell_dir}/ULog.cpp)
target_include_directories(vell_shell_logic PUBLIC ${_shell_dir})
target_link_libraries(vell_shell_logic PUBLIC vell_base)
if(WIN32)
  target_sources(vell_shell_logic PRIVATE
    ${_shell_dir}/ULogFileWin32.cpp
    ${_shell_dir}/VersionTextWin32.cpp
    ${_shell_dir}/FileTypeRegistrationWin32.cpp)
  target_link_libraries(vell_shell_logic PUBLIC version shell32 advapi32)
else()
  target_sources(vell_shell_logic PRIVATE ${_shell_dir}/ULogFilePosix.cpp)
endif()

vell_add_gtest(shell_logic_tests
  SOURCES
    ${_shell_dir}/tests/shell/HistoryListTest.cpp
    ${_shell_dir}/tests/shell/FileTypeRegistrationTest.cpp
    ${_shell_dir}/tests/shell/ShellTextTest.cpp
    ${_shell_dir}/tests/shell/LogTest.cpp
  LIBS vell_shell_logic)
if(WIN32)
  # GetVersionText reads the running program's own resource.
  target_sources(shell_logic_tests PRIVATE ${_shell_dir}/tests/shell/VersionTest.rc)
endif()

if(WIN32)
  # The shell's windows and menu component are built into the reader's core
  # (app/CMakeLists.txt, with vell_embed_pictures); tested in process here.
  vell_add_gtest(shell_ui_tests
    SOURCES
      ${_shell_dir}/tests/shell/HistoryFilesTest.cpp
      ${_shell_dir}/tests/shell/FrameStartupTest.cpp
      ${_shell_dir}/tests/shell/AboutTest.cpp
    LIBS vell_reader_core
    NEEDS_DISPLAY)
endif()

if(WIN32)
  # End to end: bin/reader.exe under Wine and the display that scripts/test
  # provides, checked from outside. They share the prefix's recent list and
  # registry with other reader tests, hence the lock.
  foreach(check history startup clicks registry log screens)
    add_test(NAME shell_e2e_${check}
      COMMAND python3 ${_shell_dir}/tests/shell/shell_e2e.py ${VELL_SOURCE_DIR} ${CMAKE_BINARY_DIR}/bin/reader.exe
              ${CMAKE_CURRENT_BINARY_DIR}/shell-e2e ${check})
    set_tests_properties(shell_e2e_${check} PROPERTIES
      LABELS "display;e2e" TIMEOUT 600 RESOURCE_LOCK vell_reader_prefix_state)
  endforeach()
endif()
