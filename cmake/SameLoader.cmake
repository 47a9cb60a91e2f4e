# Run after the SIMD build of a page module: its Emscripten script must be the plain module's
# but for the module's file name, since the page loads either module with the plain one's
# script. Then the SIMD module goes beside it.
#   cmake -DPLAIN=vellum-720.js -DSIMD=vellum-720-simd.js -DWASM=vellum-720-simd.wasm -DDESTINATION=web -P SameLoader.cmake
file(READ ${PLAIN} plain)
file(READ ${SIMD} simd)
get_filename_component(plainName ${PLAIN} NAME_WE)
get_filename_component(simdName ${SIMD} NAME_WE)
string(REPLACE "${simdName}.wasm" "${plainName}.wasm" simd "${simd}")
if(NOT plain STREQUAL simd)
  message(FATAL_ERROR "${SIMD} differs from ${PLAIN} beyond the module's name: the page cannot load it with one script")
endif()
file(COPY ${WASM} DESTINATION ${DESTINATION})
