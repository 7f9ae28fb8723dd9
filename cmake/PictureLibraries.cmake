# The PNG and GIF decoders: libspng and giflib. Natively Debian's -dev
# packages; the Windows trees compile the few C files of Debian's unpacked
# sources that scripts/setup leaves under VELL_DEPS, which is much cheaper on
# a fresh machine than a configure-and-build of each library per tree.
include_guard(GLOBAL)

if(WIN32)
  foreach(source libspng-src/spng/spng.c giflib-src/dgif_lib.c)
    if(NOT EXISTS "${VELL_WIN_DEPS}/${source}")
      message(FATAL_ERROR "${VELL_WIN_DEPS}/${source} is missing: run scripts/setup")
    endif()
  endforeach()

  add_library(vell_spng STATIC "${VELL_WIN_DEPS}/libspng-src/spng/spng.c")
  target_include_directories(vell_spng SYSTEM PUBLIC "${VELL_WIN_DEPS}/libspng-src/spng")
  target_compile_definitions(vell_spng PUBLIC SPNG_STATIC)
  target_compile_options(vell_spng PRIVATE -w)
  # Its SIMD filters need SSE2 throughout the file, which the 32-bit reader
  # does not assume of the machines it runs on.
  if(VELL_WINDOWS_BITS STREQUAL "32")
    target_compile_definitions(vell_spng PRIVATE SPNG_DISABLE_OPT)
  endif()
  target_link_libraries(vell_spng PUBLIC ZLIB::ZLIB)
  add_library(SPNG::SPNG ALIAS vell_spng)

  set(gif_dir "${VELL_WIN_DEPS}/giflib-src")
  add_library(vell_gif STATIC "${gif_dir}/dgif_lib.c" "${gif_dir}/gifalloc.c" "${gif_dir}/gif_err.c"
    "${gif_dir}/openbsd-reallocarray.c")
  target_include_directories(vell_gif SYSTEM PUBLIC "${gif_dir}")
  target_compile_options(vell_gif PRIVATE -w)
  add_library(GIF::GIF ALIAS vell_gif)
else()
  find_path(SPNG_INCLUDE_DIR spng.h REQUIRED)
  find_library(SPNG_LIBRARY spng REQUIRED)
  add_library(SPNG::SPNG UNKNOWN IMPORTED)
  set_target_properties(SPNG::SPNG PROPERTIES IMPORTED_LOCATION "${SPNG_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${SPNG_INCLUDE_DIR}")
  find_package(GIF REQUIRED)
endif()
