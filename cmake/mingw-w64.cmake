# Cross-building the Windows programs on Linux with Debian's MinGW-w64, in its POSIX threads
# flavour, which has the std::mutex that GoogleTest needs. x86-64 by default;
# mingw-w64-i686.cmake sets the triple for 32-bit x86.
if(NOT VELLUM_MINGW_TRIPLE)
  set(VELLUM_MINGW_TRIPLE x86_64-w64-mingw32)
endif()
string(REGEX REPLACE "-.*" "" _processor ${VELLUM_MINGW_TRIPLE})
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${_processor})
set(CMAKE_C_COMPILER ${VELLUM_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELLUM_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELLUM_MINGW_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VELLUM_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The compiler's own runtime goes into each program, so that they import only from the
# system: KERNEL32, USER32, GDI32, OPENGL32 and the C runtime.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++ -static")
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
