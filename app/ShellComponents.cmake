# The reader's shell: recent books, start-up panel, About box, trace log and
# file-type registration. Included by app/CMakeLists.txt after the `reader`
# target exists (when it does).
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
