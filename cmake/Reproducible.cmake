# The same bytes from every build of one commit, wherever and whenever it is built: no build
# paths in the objects (__FILE__, debug information), no compiler identification strings,
# and no link time stamp in the Windows programs' headers. The packaging takes its times from
# SOURCE_DATE_EPOCH, which `make release` sets from the last commit.
add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/= -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
if(NOT EMSCRIPTEN)
  add_compile_options(-fno-ident)
endif()
if(WIN32)
  add_link_options(-Wl,--no-insert-timestamp)
endif()
