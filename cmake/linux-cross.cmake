# Cross-building the parts that need no display for another processor's Linux, with Debian's
# cross compiler, and running their tests under qemu-user with the compiler's own sysroot.
# VELLUM_CROSS_TRIPLE names the target (linux-i686.cmake and linux-aarch64.cmake set it).
string(REGEX REPLACE "-.*" "" _processor ${VELLUM_CROSS_TRIPLE})
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR ${_processor})
set(CMAKE_C_COMPILER ${VELLUM_CROSS_TRIPLE}-gcc)
set(CMAKE_CXX_COMPILER ${VELLUM_CROSS_TRIPLE}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${VELLUM_CROSS_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(VELLUM_PORTABLE_ONLY ON CACHE BOOL "" FORCE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELLUM_QEMU} -L /usr/${VELLUM_CROSS_TRIPLE})
