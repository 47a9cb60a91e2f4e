# VELLUM_SANITIZE builds everything with AddressSanitizer and UndefinedBehaviorSanitizer; any
# report ends the program with an error.
option(VELLUM_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VELLUM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
# VELLUM_SANITIZE_THREADS builds with ThreadSanitizer instead, for the drawing threads of
# Vellum's own OpenGL; a report fails the program.
option(VELLUM_SANITIZE_THREADS "Build with ThreadSanitizer" OFF)
if(VELLUM_SANITIZE_THREADS)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# The usual hardening for release builds: checked string and memory calls, stack protectors,
# position-independent executables and a read-only relocation table bound at start-up.
# (WebAssembly has none of these: its memory safety comes from the sandbox.)
if(EMSCRIPTEN)
  return()
endif()
if(CMAKE_BUILD_TYPE STREQUAL "Release" AND NOT VELLUM_SANITIZE AND NOT VELLUM_SANITIZE_THREADS AND NOT WIN32)
  add_compile_definitions(_FORTIFY_SOURCE=2)
  add_compile_options(-fstack-protector-strong)
endif()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
include(CheckPIESupported)
check_pie_supported()
if(NOT WIN32)
  add_link_options(-Wl,-z,relro,-z,now)
endif()
