# The Windows programs for 32-bit x86 (with SSE2 maths, which Numerics.cmake sets).
set(VELLUM_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
