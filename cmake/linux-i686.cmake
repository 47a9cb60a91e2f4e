# 32-bit x86 Linux, as the 32-bit Windows programs are built: SSE2 maths (Numerics.cmake).
set(VELLUM_CROSS_TRIPLE i686-linux-gnu)
set(VELLUM_QEMU qemu-i386)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
