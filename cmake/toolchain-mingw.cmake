# Windows with the posix-threads mingw-w64 compilers, 32- or 64-bit as
# VELL_WINDOWS_BITS says (scripts/configure passes it); the runtime is linked
# statically so that the executables need no DLL beside them.
if(VELL_WINDOWS_BITS STREQUAL "32")
  set(CMAKE_SYSTEM_PROCESSOR x86)
  set(VELL_MINGW_TRIPLE i686-w64-mingw32)
elseif(VELL_WINDOWS_BITS STREQUAL "64")
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
  set(VELL_MINGW_TRIPLE x86_64-w64-mingw32)
else()
  message(FATAL_ERROR "VELL_WINDOWS_BITS must be 32 or 64, not \"${VELL_WINDOWS_BITS}\"")
endif()
# The compiler checks configure projects of their own, which read this file again.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES VELL_WINDOWS_BITS)
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER   ${VELL_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELL_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER  ${VELL_MINGW_TRIPLE}-windres)
set(CMAKE_ASM_NASM_COMPILER nasm)

# Libraries built by scripts/setup live under build/deps, or VELL_DEPS when
# another checkout shares them.
if(DEFINED ENV{VELL_DEPS})
  set(VELL_WIN_DEPS "$ENV{VELL_DEPS}")
else()
  get_filename_component(VELL_WIN_DEPS "${CMAKE_CURRENT_LIST_DIR}/../build/deps" ABSOLUTE)
endif()
set(CMAKE_FIND_ROOT_PATH /usr/${VELL_MINGW_TRIPLE} ${VELL_WIN_DEPS}/libjpeg-turbo-win${VELL_WINDOWS_BITS})
set(ZLIB_USE_STATIC_LIBS ON)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
