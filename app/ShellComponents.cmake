# The reader's shell: recent books, start-up panel, About box, trace log and
# file-type registration. Included by app/CMakeLists.txt after the toolkit
# (vell_ui) is defined; the reader links vell_shell_ui (win32) and
# vell_shell_logic.
set(_shell_dir ${CMAKE_CURRENT_LIST_DIR})
include(${_shell_dir}/pictures/Pictures.cmake)

# Platform-neutral logic, also built natively for tests and sanitizers.
add_library(vell_shell_logic STATIC
  ${_shell_dir}/HistoryList.cpp
  ${_shell_dir}/VersionText.cpp
  ${_shell_dir}/FileTypeRegistration.cpp
  ${_shell_dir}/ULog.cpp)
target_include_directories(vell_shell_logic PUBLIC ${_shell_dir} ${VELL_SOURCE_DIR}/archive)
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
  # The shell's windows and menu component, on the toolkit.
  add_library(vell_shell_ui STATIC
    ${_shell_dir}/HistoryFiles.cpp
    ${_shell_dir}/UFrameStartup.cpp
    ${_shell_dir}/UfrmAbout.cpp)
  vell_embed_pictures(vell_shell_ui)
  target_link_libraries(vell_shell_ui PUBLIC vell_ui vell_shell_logic)

  vell_add_gtest(shell_ui_tests
    SOURCES
      ${_shell_dir}/tests/shell/HistoryFilesTest.cpp
      ${_shell_dir}/tests/shell/FrameStartupTest.cpp
      ${_shell_dir}/tests/shell/AboutTest.cpp
    LIBS vell_shell_ui
    NEEDS_DISPLAY)
endif()
