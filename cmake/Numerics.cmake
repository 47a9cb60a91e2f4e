# Exact numerics.
#
# The soft-light blend, the grain table and the vignette round to single precision at chosen
# points and carry double precision in between, and those roundings decide some pixels. Fused
# multiply-adds would skip a rounding and fast-math would reorder or approximate operations,
# so contraction and fast-math stay off, and x86 does its floating point in SSE registers
# rather than on the x87 stack, whose 80-bit intermediates round differently.
add_compile_options(-ffp-contract=off -fno-fast-math)
if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$" AND NOT EMSCRIPTEN)  # (Emscripten calls itself x86)
  add_compile_options(-msse2 -mfpmath=sse)
endif()
