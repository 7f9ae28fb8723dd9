# Compiles the committed JPEGs into the program as byte arrays, so that no
# resource script and no file beside the executable is needed.
set(_vell_pictures_dir ${CMAKE_CURRENT_LIST_DIR})

function(vell_embed_pictures target)
  set(pictures
    BannerPicture banner.jpg
    RecentBookPicture recent-book.jpg
    OpenBookPicture open-book.jpg
    ReaderMarkPicture reader-mark.jpg
    AboutBackgroundPicture about-background.jpg)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/EmbeddedPictures.cpp)
  set(code "// Generated from ${_vell_pictures_dir}; do not edit.\n#include \"pictures/Pictures.h\"\n\nnamespace {\n")
  set(accessors "")
  list(LENGTH pictures count)
  math(EXPR last "${count} - 1")
  foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET pictures ${i} function)
    list(GET pictures ${j} file)
    set(path ${_vell_pictures_dir}/${file})
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${path})
    file(READ ${path} hex HEX)
    string(LENGTH "${hex}" hexLength)
    math(EXPR size "${hexLength} / 2")
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    string(REGEX REPLACE "((0x..,){24})" "\\1\n" bytes "${bytes}")
    string(APPEND code "const unsigned char k${function}[${size}] = {\n${bytes}\n};\n")
    string(APPEND accessors "TEmbeddedPicture ${function}() { return {k${function}, sizeof k${function}}; }\n")
  endforeach()
  string(APPEND code "}  // namespace\n\n${accessors}")
  file(CONFIGURE OUTPUT ${out} CONTENT "${code}" @ONLY)
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE ${_vell_pictures_dir}/..)
endfunction()
