# 64-bit ARM Linux, as on ARM laptops.
set(VELLUM_CROSS_TRIPLE aarch64-linux-gnu)
set(VELLUM_QEMU qemu-aarch64)
include(${CMAKE_CURRENT_LIST_DIR}/linux-cross.cmake)
